// The Python module `reshaper`: its set-up and imports, then one register
// function for each concern (register_*.cpp): the matcher's functions, the
// transformer `Reshape`, the options panel, the main window and the host's
// proposals.
#include "pyglue/pyglue.hpp"
#include "reshaper/bindings.hpp"
#include "reshaper/matching.hpp"

namespace py = pybind11;

namespace {

void translate_core_errors() {
    py::register_local_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const reshaper::IndexError& e) {
            PyErr_SetString(PyExc_IndexError, e.what());
        } catch (const reshaper::ValueError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const reshaper::RecursionError& e) {
            PyErr_SetString(PyExc_RecursionError, e.what());
        }
    });
}

}  // namespace

PYBIND11_MODULE(reshaper, m) {
    py::options options;
    options.disable_function_signatures();  // the docs carry the declared annotations
    translate_core_errors();

    m.attr("__version__") = "1.1";
    for (const char* name : {"os", "sys", "string"}) m.attr(name) = py::module_::import(name);
    py::module_ typing = py::module_::import("typing");
    m.attr("Self") = typing.attr("Self");
    m.attr("Tuple") = typing.attr("Tuple");
    py::module_ wx = py::module_::import("wx");
    m.attr("wx") = wx;
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    m.attr("prefstore") = py::module_::import("prefstore");
    m.attr("lexer") = py::module_::import("lexer");
    m.attr("app") = wx.attr("App")();  // before any window can exist
    m.attr("basewindow") = py::module_::import("basewindow");
    m.attr("choices") = py::module_::import("choices");
    m.attr("debug") = false;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("PROFILING") = true;
    if (pyglue::truth(m.attr("PROFILING"))) m.attr("cProfile") = py::module_::import("cProfile");

    // One register function for each concern, in the order of the module's
    // names. Functions and methods hold the module whose globals they read;
    // the interpreter clears module dictionaries at exit, which ends that
    // cycle.
    reshaper::binding::register_panel(m);
    reshaper::binding::register_matching(m);
    reshaper::binding::register_reshape(m);
    reshaper::binding::register_window(m);
    reshaper::binding::register_proposals(m);
}
