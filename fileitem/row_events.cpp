// What the row does when used: the right-click menu of a folder, typing
// in the proposed name, collapsing and expanding, and letting go of its
// handlers.
#include "fileitem/bindings.hpp"
#include "fileitem/rowlogic.hpp"

namespace fileitem::binding {

namespace {

void set_right_click(py::handle mod, py::object self) {
    py::object event = mod.attr("wx").attr("EVT_RIGHT_DOWN");
    py::object handler = self.attr("on_right_click");
    self.attr("exp1").attr("Bind")(event, handler);
    self.attr("checkbox").attr("Bind")(event, handler);
    if (self.attr("proposed").is_none()) return;
    for (const char* field : {"exp2", "tick", "proposed"}) self.attr(field).attr("Bind")(event, handler);
}

// Destroys the popup menu however its showing ends.
struct MenuGuard {
    py::object menu;
    ~MenuGuard() {
        if (menu) pyglue::call_quietly(menu, "Destroy");
    }
};

void on_right_click(py::handle mod, py::object self, py::object) {
    if (is_leaf(self)) return;
    MenuGuard guard{mod.attr("ContextMenu")(self, self, setting(self, "sizer1"), setting(self, "sizer2"))};
    py::object pane = setting(self, "wxparent1");
    const int32_t x = fileitem::popup_x(pyglue::to_int32(pane.attr("GetSize")()[py::int_(0)]));
    const int32_t y = pyglue::to_int32(self.attr("tick").attr("GetPosition")()[py::int_(1)]);
    pane.attr("PopupMenu")(guard.menu, py::make_tuple(x, y));
}

void on_proposed_update(py::object self, py::object) {
    py::object text = self.attr("proposed").attr("GetValue")();
    self.attr("tick").attr("SetValue")(tick_for(self, text));
    self.attr("format_row")();
    py::object left = setting(self, "wxparent1");
    left.attr("Refresh")();
    left.attr("Update")();
}

void unbind(py::handle mod, py::object self) {
    py::object wx = mod.attr("wx");
    try {
        py::object checkbox = self.attr("checkbox");
        if (!checkbox.is_none())
            checkbox.attr("Unbind")(wx.attr("EVT_CHECKBOX"), py::arg("handler") = self.attr("checkbox_click"));
        if (!is_leaf(self)) {
            py::object right_down = wx.attr("EVT_RIGHT_DOWN");
            py::object handler = self.attr("on_right_click");
            checkbox.attr("Unbind")(right_down, py::arg("handler") = handler);
            for (const char* field : {"exp1", "exp2"}) {
                py::object widget = self.attr(field);
                if (!widget.is_none()) widget.attr("Unbind")(right_down, py::arg("handler") = handler);
            }
        }
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;
        py::print("Exception: on unbinding checkbox:", py::str(e.value()));
    }
}

const char* const HIDDEN_WHEN_COLLAPSED[] = {"checkbox", "exp1", "exp2", "tick", "proposed"};

// Collapsing and expanding differ only in the flag and in Hide or Show.
void fold(py::object self, bool collapse) {
    if (!is_leaf(self)) {
        self.attr("collapsed") = collapse;
        for (py::handle child : py::list(self.attr("children").attr("values")())) {
            child.attr(collapse ? "collapse" : "expand")();
            for (const char* field : HIDDEN_WHEN_COLLAPSED) child.attr(field).attr(collapse ? "Hide" : "Show")();
        }
    }
    self.attr("format_row")();
}

}  // namespace

void add_event_methods(py::dict& ns, const py::object& mod) {
    ns["set_right_click"] = method([mod](py::object self) { set_right_click(mod, self); });
    ns["on_right_click"] = method(
        [mod](py::object self, py::object event) { on_right_click(mod, self, event); }, py::arg("event"));
    ns["on_proposed_update"] = method(&on_proposed_update, py::arg("event"));
    ns["unbind"] = method([mod](py::object self) { unbind(mod, self); });
    ns["collapse"] = method([](py::object self) { fold(self, true); });
    ns["expand"] = method([](py::object self) { fold(self, false); });
}

}  // namespace fileitem::binding
