// The batches kept in the journal folder: listed, pruned, and where they are.
#include <chrono>
#include <limits>

#include "renamer/bindings.hpp"
#include "renamer/history.hpp"

namespace renamer::binding {

namespace {

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

// The journals of the folder `base` (of every folder when None), read
// without the GIL: disk work only.
renamer::History history_of(py::object base, const char* function) {
    const std::string folder = base.is_none() ? "" : fs_bytes(base, function, "base");
    py::gil_scoped_release unlocked;
    return renamer::history(journal_folder(), folder);
}

}  // namespace

void register_history(py::module_& m) {
    m.def(
        "history",
        [](py::object base) {
            const renamer::History found = history_of(base, "history");
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
        "unreadable_journals",
        [](py::object base) {
            const renamer::History found = history_of(base, "unreadable_journals");
            py::list out;
            for (const renamer::JournalStore::Unreadable& u : found.unreadable) out.append(fs_text(u.problem));
            return out;
        },
        py::arg("base") = py::none(),
        "What is wrong with each journal of the folder (of every folder when None) that cannot be read\n"
        "or trusted, newest first: history() does not list their batches.");
    m.def(
        "prune",
        [](double max_age_days, std::size_t keep) {
            if (!(max_age_days >= 0)) throw py::value_error("prune: max_age_days must be 0 or more");
            // An age past what the seconds can count keeps every journal, as it would.
            const double seconds = max_age_days * 86400;
            const std::int64_t max_age = seconds < 9e18 ? static_cast<std::int64_t>(seconds)
                                                        : std::numeric_limits<std::int64_t>::max();
            const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch()).count();
            std::string problem;
            std::size_t removed;
            {
                py::gil_scoped_release unlocked;
                removed = renamer::prune(journal_folder(), {max_age, keep},
                                         now, &problem);
            }
            if (!problem.empty()) raise_os_error(problem);
            return removed;
        },
        py::arg("max_age_days") = 90, py::arg("keep") = 200,
        "Removes the journals of finished or undone batches older than max_age_days, beyond the newest\n"
        "keep; a batch cut short is never removed. Returns how many went; OSError when the journal\n"
        "folder cannot be opened or a journal cannot be removed.");
    m.def("journal_folder", [] { return fs_text(journal_folder()); },
          "Where the journals are kept: $XDG_STATE_HOME/reshape or ~/.local/state/reshape.");
}

}  // namespace renamer::binding
