// The Python module `fileitem`, the rows of the file tree: its set-up and
// imports, its markers and registries, then one register function for each
// class (register_*.cpp). The decisions the rows take are in rowlogic.cpp
// and names/rules.cpp.
#include "fileitem/bindings.hpp"

namespace py = pybind11;

PYBIND11_MODULE(fileitem, m) {
    m.attr("__version__") = "1.0";
    m.attr("os") = py::module_::import("os");
    m.attr("wx") = py::module_::import("wx");
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    m.attr("skins") = py::module_::import("skins");
    m.attr("stylers") = py::module_::import("stylers");
    m.attr("debug") = true;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("MARK_EXPANDED") = "\u2013";
    m.attr("MARK_COLLAPSED") = "+";
    m.attr("MARK_LEAF") = " ";
    m.attr("nodes") = py::dict();
    m.attr("propnodes") = py::dict();
    m.attr("textwidth") = 0;

    // Methods hold the module whose globals they read; the interpreter
    // clears module dictionaries at exit, which ends that cycle.
    fileitem::binding::register_context_menu(m);
    m.def("dummy_defined_transform", [](py::object name) { return name; }, py::arg("name"),
          "The identity transform: returns the name unchanged.");
    fileitem::binding::register_fileitem(m);
}
