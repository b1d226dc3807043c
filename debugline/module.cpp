// Python interface of the debug printer: `debugline.dprint`, which the host
// re-exports as `hostkit.dprint`. Modules that find it still in place and
// switched off skip building the lines it would drop.
#include "debugline/debugline.hpp"
#include "pyglue/pyglue.hpp"

namespace py = pybind11;

PYBIND11_MODULE(debugline, m) {
    m.doc() = "The renamer's debug printer";
    const py::object missing = py::module_::import("builtins").attr("object")();
    m.attr("_MISSING") = missing;
    m.def(
        "dprint",
        [](py::object label, py::object value) {
            if (!debugline::enabled()) return;
            py::object line = py::str(label);
            if (!value.is(py::module_::import("debugline").attr("_MISSING")))
                line = pyglue::concat(line, " ", PyUnicode_Check(value.ptr()) ? value : py::repr(value));
            // Through the host's own stream, so that it can be captured or redirected.
            py::module_::import("sys").attr("stderr").attr("write")(pyglue::concat(line, "\n"));
        },
        py::arg("label"), py::arg("value") = missing,
        "Writes one debug line to standard error while RESHAPER_DEBUG is set: the label, and the\n"
        "value (a string as it is, anything else as its repr) after a blank.");
    pyglue::keep_native(m, "dprint");
    m.def("enabled", &debugline::enabled, "Whether debug lines are written now.");
    m.attr("VARIABLE") = debugline::VARIABLE;
}
