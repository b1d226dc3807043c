// Python interface of the name tidier: `nametidy.presentable`, which the
// host re-exports as `hostkit.presentable`.
#include "nametidy/tidy.hpp"
#include "pyglue/pyglue.hpp"

namespace py = pybind11;

PYBIND11_MODULE(nametidy, m) {
    m.doc() = "Tidying of composed names";
    m.def(
        "presentable",
        [](py::object text) -> py::object {
            pyglue::require_str(text, "presentable", "text");
            const std::u32string in = pyglue::to_u32(text);
            const std::u32string out = nametidy::presentable(in);
            if (out == in) return text;  // already tidy: hand back the same object
            return pyglue::from_u32(out);
        },
        py::arg("text"), "The tidied form of a name or of a piece of one.");
    pyglue::keep_native(m, "presentable");
}
