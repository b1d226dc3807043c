// What the binding files of the fileitem module share: the row's widget
// registry key, the class-wide settings, the tick marks, and the functions
// that add each concern's methods to the row class, in the order of its
// attributes.
#pragma once

#include "names/rules.hpp"
#include "pyglue/pyglue.hpp"

namespace fileitem::binding {

namespace py = pybind11;
using pyglue::method;
using pyglue::to_u32;

inline const char* const TICK_MARK = "\u221a";
inline const char* const NO_TICK = " ";

// Whether `proposal` renames the row, kept in its `ticked` flag; returns
// the mark its tick field shows for that.
inline const char* tick_for(py::handle self, py::handle proposal) {
    const bool ticked = names::proposes_change(to_u32(proposal), to_u32(self.attr("name")));
    self.attr("ticked") = ticked;
    return ticked ? TICK_MARK : NO_TICK;
}

// The identity of a widget as the registries key it.
inline py::object identity(py::handle obj) {
    return py::reinterpret_steal<py::object>(PyLong_FromVoidPtr(obj.ptr()));
}

// Class-wide settings are read from the row's class at every use, without
// binding: a plain function stored there is the transform itself.
inline py::object setting(py::handle self, const char* name) {
    return py::type::handle_of(self).attr(name);
}

inline bool is_leaf(py::handle self) { return py::len(self.attr("children")) == 0; }

// Each adds its concern's methods to the namespace of the row class. The
// methods hold the module whose globals they read.
void add_model_methods(py::dict& ns, const py::object& mod);     // row_model.cpp
void add_check_methods(py::dict& ns, const py::object& mod);     // row_checks.cpp
void add_widget_methods(py::dict& ns, const py::object& mod);    // row_widgets.cpp
void add_event_methods(py::dict& ns, const py::object& mod);     // row_events.cpp

void register_context_menu(py::module_& m);  // register_menu.cpp
void register_fileitem(py::module_& m);      // register_row.cpp

}  // namespace fileitem::binding
