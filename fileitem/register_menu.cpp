// `ContextMenu`: the Collapse and Expand menu of a folder row, a wx.Menu
// made with type() so that it behaves as a Python class.
#include "fileitem/bindings.hpp"

namespace fileitem::binding {

namespace {

void menu_init(py::handle mod, py::object self, py::object parent, py::object node, py::object sizer1,
               py::object sizer2) {
    py::object wx = mod.attr("wx");
    wx.attr("Menu").attr("__init__")(self);
    self.attr("parent") = parent;
    self.attr("node") = node;
    self.attr("sizer1") = sizer1;
    self.attr("sizer2") = sizer2;
    // The identifiers stay reserved for as long as the menu lives; released
    // at once, the second item could get the first one's identifier back.
    py::list ids;
    const std::pair<const char*, const char*> items[] = {{"Collapse", "on_collapse"}, {"Expand", "on_expand"}};
    for (const auto& [label, handler] : items) {
        py::object id = wx.attr("NewIdRef")();
        ids.append(id);
        py::object item = wx.attr("MenuItem")(self, id, label);
        mod.attr("stylers").attr("format_widget")(item, mod.attr("skins").attr("THEME").attr("menu"));
        self.attr("Append")(item);
        self.attr("Bind")(wx.attr("EVT_MENU"), self.attr(handler), item);
    }
    self.attr("_item_ids") = ids;
}

void menu_act(py::object self, const char* action) {
    self.attr("node").attr(action)();
    for (const char* sizer : {"sizer1", "sizer2"}) {
        py::object s = self.attr(sizer);
        if (!s.is_none()) s.attr("Layout")();
    }
}

py::object make_context_menu(py::object mod) {
    py::dict ns;
    ns["__init__"] = method(
        [mod](py::object self, py::object parent, py::object node, py::object sizer1, py::object sizer2) {
            menu_init(mod, self, parent, node, sizer1, sizer2);
        },
        py::arg("parent"), py::arg("node"), py::arg("sizer1"), py::arg("sizer2"));
    ns["on_collapse"] = method([](py::object self, py::object) { menu_act(self, "collapse"); }, py::arg("event"));
    ns["on_expand"] = method([](py::object self, py::object) { menu_act(self, "expand"); }, py::arg("event"));
    return pyglue::make_class("fileitem", "ContextMenu", "The Collapse and Expand menu of a folder row",
                              py::make_tuple(mod.attr("wx").attr("Menu")), ns);
}

}  // namespace

void register_context_menu(py::module_& m) { m.attr("ContextMenu") = make_context_menu(m); }

}  // namespace fileitem::binding
