// Python interface of the rename engine, for the host's Execute and Undo:
// plan(base, pairs) gives a Plan to show and then apply; undo(base) takes
// back the most recent batch. Entries come back as dicts with the keys
// path, new, status and reason, as the command-line tool's JSON has them.
#include "names/codec.hpp"
#include "pyglue/pyglue.hpp"
#include <chrono>

#include "renamer/engine.hpp"
#include "renamer/history.hpp"

namespace py = pybind11;

namespace {

// Paths go to the disk as the host encodes file names (UTF-8, with the
// bytes it could not decode given back as they were).
std::string fs_bytes(py::handle text, const char* func, const char* arg) {
    pyglue::require_str(text, func, arg);
    return names::encode(pyglue::to_u32(text));
}

py::str fs_text(const std::string& bytes) { return pyglue::from_u32(names::decode(bytes)); }

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
    PyErr_SetString(PyExc_OSError, names::encode(names::decode(problem)).c_str());
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

// The batch and entries an undo takes back, from its Python arguments.
renamer::UndoChoice choice_of(py::object batch, py::object only, const char* func) {
    renamer::UndoChoice choice;
    if (!batch.is_none()) {
        if (!py::isinstance<py::int_>(batch) || py::isinstance<py::bool_>(batch) || batch.cast<long long>() < 0)
            throw py::type_error(std::string(func) + "(): batch must be a sequence number or None");
        choice.sequence = batch.cast<std::uint64_t>();
    }
    if (!only.is_none()) {
        choice.only.emplace();
        for (py::handle path : only) choice.only->push_back(fs_bytes(py::reinterpret_borrow<py::object>(path), func, "only"));
    }
    return choice;
}

// Runs an undo (with `hooks`) or its preview (without) with the GIL released: disk work only.
py::object undo_entries(py::object base, py::object batch, py::object only, const char* func, bool carry_out) {
    const std::string folder = fs_bytes(base, func, "base");
    const renamer::UndoChoice choice = choice_of(batch, only, func);
    renamer::UndoResult undone;
    {
        py::gil_scoped_release unlocked;
        const renamer::Hooks hooks;
        undone = renamer::undo_chosen(folder, journal_folder(), choice, carry_out ? &hooks : nullptr);
    }
    if (!undone.problem.empty()) raise_os_error(undone.problem);
    if (!undone.found) return py::none();
    return entries_of(undone.entries);
}

py::dict record_of(const renamer::BatchRecord& r) {
    py::dict d;
    d["batch"] = r.sequence;
    d["time"] = r.time;
    d["folder"] = fs_text(r.base);
    d["renames"] = r.renames;
    d["done"] = r.done;
    d["state"] = r.state;
    py::list entries;
    for (const renamer::JournalEntry& e : r.entries) entries.append(py::make_tuple(fs_text(e.path), fs_text(e.new_name)));
    d["entries"] = entries;
    return d;
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
        "undo",
        [](py::object base, py::object batch, py::object only) {
            return undo_entries(base, batch, only, "undo", true);
        },
        py::arg("base"), py::arg("batch") = py::none(), py::arg("only") = py::none(),
        "Undoes the most recent batch of the folder that changed something, or the batch with that\n"
        "sequence number; only the entries whose old paths are listed in only, when given. None when\n"
        "there is nothing to undo. Each entry: path (where it was), new (the name it got back), status\n"
        "and reason; entries a later batch or the user changed are refused.");
    m.def(
        "undo_preview",
        [](py::object base, py::object batch, py::object only) {
            return undo_entries(base, batch, only, "undo_preview", false);
        },
        py::arg("base"), py::arg("batch") = py::none(), py::arg("only") = py::none(),
        "What undo would do now, without doing it: entries with status 'rename' or 'refused' (and 'done'\n"
        "for those already back at their old names); None when there is nothing to undo.");
    m.def(
        "history",
        [](py::object base) {
            const std::string folder = base.is_none() ? "" : fs_bytes(base, "history", "base");
            renamer::History found;
            {
                py::gil_scoped_release unlocked;  // disk work only
                found = renamer::history(journal_folder(), folder);
            }
            if (!found.problem.empty()) raise_os_error(found.problem);
            py::list out;
            for (const renamer::BatchRecord& r : found.batches) out.append(record_of(r));
            return out;
        },
        py::arg("base") = py::none(),
        "The batches of the folder (of every folder when None), newest first: dicts with batch (its\n"
        "sequence number), time, folder, renames, done, state ('done', 'cut short', 'undone' or\n"
        "'partly undone') and entries ((old path, new name) pairs).");
    m.def(
        "prune",
        [](double max_age_days, std::size_t keep) {
            const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch()).count();
            py::gil_scoped_release unlocked;
            return renamer::prune(journal_folder(), {static_cast<std::int64_t>(max_age_days * 86400), keep}, now);
        },
        py::arg("max_age_days") = 90, py::arg("keep") = 200,
        "Removes the journals of finished or undone batches older than max_age_days, beyond the newest\n"
        "keep; a batch cut short is never removed. Returns how many went.");
    m.def(
        "can_undo",
        [](py::object base) { return renamer::can_undo(fs_bytes(base, "can_undo", "base"), journal_folder()); },
        py::arg("base"), "Whether the folder has a batch left to undo.");
    m.def("journal_folder", [] { return fs_text(journal_folder()); },
          "Where the journals are kept: $XDG_STATE_HOME/reshape or ~/.local/state/reshape.");
}
