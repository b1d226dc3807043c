// Taking a batch back: the latest of a folder or a chosen one, whole or
// some of its entries, and what that would do, shown first.
#include "renamer/bindings.hpp"

namespace renamer::binding {

namespace {

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
// `on_journal_problem`, when not None, is called with the reason the batch's
// journal could not be marked undone (the names are back all the same).
py::object undo_entries(py::object base, py::object batch, py::object only, const char* func, bool carry_out,
                        py::object on_journal_problem = py::none()) {
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
    py::object entries = entries_of(undone.entries);
    if (!undone.journal_problem.empty() && !on_journal_problem.is_none())
        on_journal_problem(fs_text(undone.journal_problem));
    return entries;
}

}  // namespace

void register_undo(py::module_& m) {
    m.def(
        "undo",
        [](py::object base, py::object batch, py::object only, py::object on_journal_problem) {
            return undo_entries(base, batch, only, "undo", true, on_journal_problem);
        },
        py::arg("base"), py::arg("batch") = py::none(), py::arg("only") = py::none(),
        py::arg("on_journal_problem") = py::none(),
        "Undoes the most recent batch of the folder that changed something, or the batch with that\n"
        "sequence number; only the entries whose old paths are listed in only, when given. None when\n"
        "there is nothing to undo. Each entry: path (where it was), new (the name it got back), status\n"
        "and reason; entries a later batch or the user changed are refused. When the batch's journal\n"
        "cannot be marked undone, on_journal_problem (if given) is called with the reason: the entries\n"
        "done are back all the same, but the batch may be offered for undo again.");
    m.def(
        "undo_preview",
        [](py::object base, py::object batch, py::object only) {
            return undo_entries(base, batch, only, "undo_preview", false);
        },
        py::arg("base"), py::arg("batch") = py::none(), py::arg("only") = py::none(),
        "What undo would do now, without doing it: entries with status 'rename' or 'refused' (and 'done'\n"
        "for those already back at their old names); None when there is nothing to undo.");
    m.def(
        "can_undo",
        [](py::object base) { return renamer::can_undo(fs_bytes(base, "can_undo", "base"), journal_folder()); },
        py::arg("base"), "Whether the folder has a batch left to undo.");
}

}  // namespace renamer::binding
