// `Fileitem`: one row of the file tree with its widgets in the two panes,
// made with type() so that it behaves as a Python class. Its methods come
// from one file per concern, added in the order of the class's attributes.
#include "fileitem/bindings.hpp"

namespace fileitem::binding {

namespace {

py::object make_fileitem(py::object mod) {
    py::dict ns;
    for (const char* pane : {"wxparent1", "wxparent2", "sizer1", "sizer2"}) ns[pane] = py::none();
    ns["defined_transform"] = mod.attr("dummy_defined_transform");
    add_model_methods(ns, mod);
    add_check_methods(ns, mod);
    add_widget_methods(ns, mod);
    add_event_methods(ns, mod);
    return pyglue::make_class("fileitem", "Fileitem", "One row of the file tree", py::make_tuple(), ns);
}

}  // namespace

void register_fileitem(py::module_& m) { m.attr("Fileitem") = make_fileitem(m); }

}  // namespace fileitem::binding
