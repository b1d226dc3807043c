// The Python module `dirscan`, the file tree: its set-up and imports, then
// one register function for each class. The walk, the wildcard match and
// where a name joins the tree are native (collect.cpp over folderwalk/,
// wildcard/, branch.cpp); the binding files hold the rows, the messages and
// the toolkit calls, in the order the tree makes them.
#include "dirscan/bindings.hpp"

namespace py = pybind11;

PYBIND11_MODULE(dirscan, m) {
    m.attr("__version__") = "1.4";
    for (const char* name : {"os", "fnmatch", "time"}) m.attr(name) = py::module_::import(name);
    py::module_ typing = py::module_::import("typing");
    for (const char* name : {"Callable", "Final", "Self"}) m.attr(name) = typing.attr(name);
    m.attr("wx") = py::module_::import("wx");
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    py::module_ rows = py::module_::import("fileitem");
    m.attr("fileitem") = rows;
    m.attr("Fileitem") = rows.attr("Fileitem");
    m.attr("prefstore") = py::module_::import("prefstore");
    m.attr("debug") = false;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("TIMING") = true;
    m.attr("PROFILING") = false;
    if (pyglue::truth(m.attr("PROFILING"))) m.attr("cProfile") = py::module_::import("cProfile");
    m.attr("MAX_FILES") = 500;

    // Methods hold the module whose globals they read; the interpreter
    // clears module dictionaries at exit, which ends that cycle.
    dirscan::binding::register_renames(m);
    dirscan::binding::register_filetree(m);
}
