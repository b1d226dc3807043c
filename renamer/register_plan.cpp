// Execute's batch: plan(base, pairs) gives a Plan to show and then apply.
#include "renamer/bindings.hpp"

namespace renamer::binding {

namespace {

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

    py::str journal_problem() const { return fs_text(batch_.journal_problem()); }

private:
    renamer::Batch batch_;
};

}  // namespace

void register_plan(py::module_& m) {
    py::class_<Plan>(m, "Plan", "A batch planned against the disk: shown first, then applied")
        .def_property_readonly("entries", &Plan::entries,
                               "Each pair as it would fare: status 'rename' or 'refused' with a reason")
        .def("apply", &Plan::apply,
             "Carries the batch out; each pair comes back 'done', 'refused' or 'failed'")
        .def_property_readonly("journal_problem", &Plan::journal_problem,
                               "After apply: why the journal could not be written to its end, or ''. The\n"
                               "renames that came back done were carried out all the same.");
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
}

}  // namespace renamer::binding
