// What the binding files of the dirscan module share: the tree's progress
// messages and mode, the rows' registry, and the functions that add each
// concern's methods to `Filetree`, in the order of its attributes.
#pragma once

#include "pyglue/pyglue.hpp"

namespace dirscan::binding {

namespace py = pybind11;
using pyglue::dprint;
using pyglue::method;

// The host's progress callback, when one is set.
inline void progress(py::handle self, py::handle message) {
    py::object callback = self.attr("on_progress");
    if (pyglue::truth(callback)) callback(message);
}

inline bool folder_mode(py::handle self) { return pyglue::truth(self.attr("config").attr("folders")); }

inline const char* kind(py::handle self) { return folder_mode(self) ? "folders" : "files"; }

inline py::object wx_of(py::handle mod) { return mod.attr("wx"); }

inline bool on_windows() {
    return py::str(py::module_::import("sys").attr("platform")).equal(py::str("win32"));
}

// The registry of the rows, kept by the row module.
inline py::object all_rows(py::handle mod) { return mod.attr("fileitem").attr("nodes").attr("values")(); }

// Each adds its concern's methods to the namespace of `Filetree`. The
// methods hold the module whose globals they read.
void add_setup_methods(py::dict& ns, const py::object& mod);      // tree_setup.cpp
void add_walk_methods(py::dict& ns, const py::object& mod);       // tree_walk.cpp
void add_build_methods(py::dict& ns, const py::object& mod);      // tree_build.cpp
void add_selection_methods(py::dict& ns, const py::object& mod);  // tree_selection.cpp

void register_renames(py::module_& m);   // tree_selection.cpp: the iterator `renames()` returns
void register_filetree(py::module_& m);  // register_tree.cpp

}  // namespace dirscan::binding
