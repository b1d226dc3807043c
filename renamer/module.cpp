// Python interface of the rename engine, for the host's Execute and Undo:
// plan(base, pairs) gives a Plan to show and then apply; undo(base) takes
// back the most recent batch. Entries come back as dicts with the keys
// path, new, status and reason, as the command-line tool's JSON has them.
#include "folderwalk/folderwalk.hpp"
#include "pyglue/pyglue.hpp"
#include "renamer/engine.hpp"

namespace py = pybind11;

namespace {

// Paths go to the disk as the host encodes file names (UTF-8, with the
// bytes it could not decode given back as they were).
std::string fs_bytes(py::handle text, const char* func, const char* arg) {
    pyglue::require_str(text, func, arg);
    return folderwalk::encode(pyglue::to_u32(text));
}

py::str fs_text(const std::string& bytes) { return pyglue::from_u32(folderwalk::decode(bytes)); }

py::list entries_of(const std::vector<renamer::Entry>& entries) {
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

std::string journal_folder() { return renamer::default_journal_folder(); }

// The journal folder could not be used: an OSError with the reason.
[[noreturn]] void raise_os_error(const std::string& problem) {
    PyErr_SetString(PyExc_OSError, folderwalk::encode(folderwalk::decode(problem)).c_str());
    throw py::error_already_set();
}

class Plan {
public:
    Plan(std::string base, std::vector<renamer::Request> requests)
        : batch_(base, std::move(requests), journal_folder()) {
        batch_.preview();  // what the caller will be shown is the disk as it is now
    }

    py::list entries() const { return entries_of(batch_.preview()); }

    py::list apply() {
        std::vector<renamer::Entry> result;
        {
            // Only the disk is touched here, no Python object: other threads may run.
            py::gil_scoped_release unlocked;
            result = batch_.apply();
        }
        return entries_of(result);
    }

private:
    renamer::Batch batch_;
};

// Runs an undo (or its preview) with the GIL released: disk work only.
py::object undo_entries(py::object base, const char* func,
                        renamer::UndoResult (*undo)(const std::string&, const std::string&)) {
    const std::string folder = fs_bytes(base, func, "base");
    renamer::UndoResult undone;
    {
        py::gil_scoped_release unlocked;
        undone = undo(folder, journal_folder());
    }
    if (!undone.problem.empty()) raise_os_error(undone.problem);
    if (!undone.found) return py::none();
    return entries_of(undone.entries);
}

renamer::UndoResult undo_now(const std::string& base, const std::string& journals) {
    return renamer::undo_latest(base, journals);
}

}  // namespace

PYBIND11_MODULE(renamer, m) {
    m.doc() = "A batch rename engine that never overwrites and can undo";
    py::class_<Plan>(m, "Plan", "A batch planned against the disk: shown first, then applied")
        .def_property_readonly("entries", &Plan::entries,
                               "Each pair as it would fare: status 'rename' or 'refused' with a reason")
        .def("apply", &Plan::apply,
             "Carries the batch out; each pair comes back 'done', 'refused' or 'failed'");
    m.def(
        "plan",
        [](py::object base, py::object pairs) {
            const std::string folder = fs_bytes(base, "plan", "base");
            std::vector<renamer::Request> requests;
            for (py::handle pair : pairs) {
                std::vector<py::object> parts = pyglue::unpack(pair, 2);
                requests.push_back({fs_bytes(parts[0], "plan", "path"), fs_bytes(parts[1], "plan", "new name"), {}});
            }
            return Plan(folder, std::move(requests));
        },
        py::arg("base"), py::arg("pairs"),
        "Plans renaming each (relative path, new name) pair inside the folder base.");
    m.def(
        "undo", [](py::object base) { return undo_entries(base, "undo", undo_now); }, py::arg("base"),
        "Undoes the most recent batch of the folder that changed something; None when there is none left.\n"
        "Each entry: path (where it was), new (the name it got back), status and reason.");
    m.def(
        "undo_preview", [](py::object base) { return undo_entries(base, "undo_preview", renamer::undo_preview); },
        py::arg("base"),
        "What undo would do now, without doing it: entries with status 'rename' or 'refused' (and 'done'\n"
        "for those already back at their old names); None when there is nothing to undo.");
    m.def(
        "can_undo",
        [](py::object base) { return renamer::can_undo(fs_bytes(base, "can_undo", "base"), journal_folder()); },
        py::arg("base"), "Whether the folder has a batch left to undo.");
    m.def("journal_folder", [] { return fs_text(journal_folder()); },
          "Where the journals are kept: $XDG_STATE_HOME/reshape or ~/.local/state/reshape.");
}
