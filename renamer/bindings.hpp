// What the binding files of the renamer module share: paths between the
// host's str and the disk's bytes, entries as dicts (path, new, status and
// reason, as the command's JSON has them), the journal folder and its
// errors, and the register functions module.cpp calls.
#pragma once

#include <string>
#include <vector>

#include "names/codec.hpp"
#include "pyglue/pyglue.hpp"
#include "renamer/engine.hpp"

namespace renamer::binding {

namespace py = pybind11;

// Paths go to the disk as the host encodes file names (UTF-8, with the
// bytes it could not decode given back as they were).
inline std::string fs_bytes(py::handle text, const char* func, const char* arg) {
    pyglue::require_str(text, func, arg);
    return names::encode(pyglue::to_u32(text));
}

inline py::str fs_text(const std::string& bytes) { return pyglue::from_u32(names::decode(bytes)); }

inline py::list entries_of(const std::vector<renamer::Entry>& entries) {
    py::list out;
    for (const renamer::Entry& e : entries) {
        py::dict d;
        d["path"] = fs_text(e.path);
        d["new"] = fs_text(e.new_name);
        d["status"] = renamer::status_name(e.status);
        d["reason"] = fs_text(e.reason);
        out.append(d);
    }
    return out;
}

inline std::string journal_folder() { return renamer::default_journal_folder(); }

// The journal folder could not be used: an OSError with the reason.
[[noreturn]] inline void raise_os_error(const std::string& problem) {
    PyErr_SetString(PyExc_OSError, names::encode(names::decode(problem)).c_str());
    throw py::error_already_set();
}

void register_plan(py::module_& m);     // register_plan.cpp: Plan and plan
void register_undo(py::module_& m);     // register_undo.cpp: undo, undo_preview and can_undo
void register_history(py::module_& m);  // register_history.cpp: history, prune and journal_folder

}  // namespace renamer::binding
