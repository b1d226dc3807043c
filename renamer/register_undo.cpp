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

// Runs an undo (with `hooks`) or its preview (without) with the GIL
// released: disk work only. An OSError when it could not even look.
renamer::UndoResult run_undo(const std::string& folder, const renamer::UndoChoice& choice, bool carry_out) {
    renamer::UndoResult undone;
    {
        py::gil_scoped_release unlocked;
        const renamer::Hooks hooks;
        undone = renamer::undo_chosen(folder, journal_folder(), choice, carry_out ? &hooks : nullptr);
    }
    if (!undone.problem.empty()) raise_os_error(undone.problem);
    return undone;
}

// The entries of an undo carried out, or None when there was nothing to
// undo; `on_journal_problem`, when not None, is called with the reason the
// batch's journal could not be marked undone (the names are back all the same).
py::object entries_done(const renamer::UndoResult& undone, py::object on_journal_problem) {
    if (!undone.found) return py::none();
    py::object entries = entries_of(undone.entries);
    if (!undone.journal_problem.empty() && !on_journal_problem.is_none())
        on_journal_problem(fs_text(undone.journal_problem));
    return entries;
}

// An undo shown before it is carried out: OK takes back the very batch
// shown, and what the preview refused stays refused.
class UndoPlan {
public:
    UndoPlan(std::string folder, renamer::UndoChoice choice, renamer::UndoResult shown)
        : folder_(std::move(folder)), choice_(std::move(choice)), shown_(std::move(shown)) {
        choice_.shown = &shown_;
    }
    UndoPlan(const UndoPlan&) = delete;  // choice_ points into shown_

    std::uint64_t batch() const { return shown_.sequence; }
    py::list entries() const { return entries_of(shown_.entries); }
    py::object apply(py::object on_journal_problem) {
        return entries_done(run_undo(folder_, choice_, true), on_journal_problem);
    }

private:
    std::string folder_;
    renamer::UndoChoice choice_;
    renamer::UndoResult shown_;
};

}  // namespace

void register_undo(py::module_& m) {
    m.def(
        "undo",
        [](py::object base, py::object batch, py::object only, py::object on_journal_problem) {
            const renamer::UndoChoice choice = choice_of(batch, only, "undo");
            return entries_done(run_undo(fs_bytes(base, "undo", "base"), choice, true), on_journal_problem);
        },
        py::arg("base"), py::arg("batch") = py::none(), py::arg("only") = py::none(),
        py::arg("on_journal_problem") = py::none(),
        "Undoes the most recent batch of the folder that changed something, or the batch with that\n"
        "sequence number; only the entries whose old paths are listed in only, when given. None when\n"
        "there is nothing to undo. Each entry: path (where it was), new (the name it got back), status\n"
        "and reason; entries a later batch or the user changed are refused, and those at their old\n"
        "names already are \"back\". When the batch's journal\n"
        "cannot be marked undone, on_journal_problem (if given) is called with the reason: the entries\n"
        "done are back all the same, but the batch may be offered for undo again.");
    m.def(
        "undo_preview",
        [](py::object base, py::object batch, py::object only) -> py::object {
            const renamer::UndoChoice choice = choice_of(batch, only, "undo_preview");
            const renamer::UndoResult shown = run_undo(fs_bytes(base, "undo_preview", "base"), choice, false);
            return shown.found ? py::object(entries_of(shown.entries)) : py::none();
        },
        py::arg("base"), py::arg("batch") = py::none(), py::arg("only") = py::none(),
        "What undo would do now, without doing it: entries with status 'rename' or 'refused' (and 'back'\n"
        "for those at their old names already); None when there is nothing to undo.");
    py::class_<UndoPlan>(m, "UndoPlan", "An undo shown first, then carried out as it was shown")
        .def_property_readonly("batch", &UndoPlan::batch, "The sequence number of the batch shown")
        .def_property_readonly("entries", &UndoPlan::entries, "What undo_preview gives")
        .def("apply", &UndoPlan::apply, py::arg("on_journal_problem") = py::none(),
             "Takes back the batch shown, and none other (OSError when it is no longer the one to undo);\n"
             "what the preview refused stays refused. Returns what undo returns.");
    m.def(
        "undo_plan",
        [](py::object base, py::object batch, py::object only) -> py::object {
            std::string folder = fs_bytes(base, "undo_plan", "base");
            renamer::UndoChoice choice = choice_of(batch, only, "undo_plan");
            renamer::UndoResult shown = run_undo(folder, choice, false);
            if (!shown.found) return py::none();
            return py::cast(std::make_unique<UndoPlan>(std::move(folder), std::move(choice), std::move(shown)));
        },
        py::arg("base"), py::arg("batch") = py::none(), py::arg("only") = py::none(),
        "The undo that undo() would do now, to show and then carry out: an UndoPlan, or None when there\n"
        "is nothing to undo.");
    m.def(
        "can_undo",
        [](py::object base) { return renamer::can_undo(fs_bytes(base, "can_undo", "base"), journal_folder()); },
        py::arg("base"), "Whether the folder has a batch left to undo.");
}

}  // namespace renamer::binding
