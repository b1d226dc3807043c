// The tri-state checkboxes: a row's state, passed up to its parents (who
// combine their children's) and down to its children.
#include "fileitem/bindings.hpp"
#include "fileitem/rowlogic.hpp"

namespace fileitem::binding {

namespace {

void set_checkbox_state(py::object self, py::object state) {
    self.attr("checkbox").attr("Set3StateValue")(state);
    self.attr("format_row")();
}

void up_check(py::object self, py::object state) {
    py::object parent = self.attr("parent");
    if (parent.is_none()) return;
    std::set<int32_t> states;
    for (py::handle child : parent.attr("children").attr("values")())
        states.insert(pyglue::to_int32(child.attr("checkbox").attr("Get3StateValue")()));
    const py::int_ next(fileitem::combined_state(states, pyglue::to_int32(state)));
    if (parent.attr("checkbox").is_none()) return;  // the root row
    parent.attr("set_checkbox_state")(next);
    parent.attr("up_check")(next);
}

void down_check(py::object self, py::object state) {
    self.attr("set_checkbox_state")(state);
    for (py::handle child : py::list(self.attr("children").attr("values")())) child.attr("down_check")(state);
}

void propagate_checkbox_state(py::object self, py::object state) {
    self.attr("up_check")(state);
    self.attr("down_check")(state);
}

void checkbox_click(py::handle mod, py::object self, py::object event) {
    py::object checkbox = event.attr("GetEventObject")();
    const int32_t state = pyglue::to_int32(checkbox.attr("Get3StateValue")());
    py::object nodes = mod.attr("nodes");
    py::object key = identity(checkbox);
    // A checkbox of a tree that has since been replaced is no longer known.
    if (!nodes.contains(key)) return;
    nodes[key].attr("propagate_checkbox_state")(state);
    py::object right = setting(self, "wxparent2");
    right.attr("Refresh")();
    right.attr("Update")();
    checkbox.attr("SetFocus")();
}

}  // namespace

void add_check_methods(py::dict& ns, const py::object& mod) {
    ns["set_checkbox_state"] = method(&set_checkbox_state, py::arg("state"));
    ns["up_check"] = method(&up_check, py::arg("state"));
    ns["down_check"] = method(&down_check, py::arg("state"));
    ns["propagate_checkbox_state"] = method(&propagate_checkbox_state, py::arg("state"));
    ns["checkbox_click"] = method(
        [mod](py::object self, py::object event) { checkbox_click(mod, self, event); }, py::arg("event"));
}

}  // namespace fileitem::binding
