// What the binding files of the years module share: pieces of the text,
// the host's tidying, and the register functions module.cpp calls.
#pragma once

#include "pyglue/pyglue.hpp"

namespace years::binding {

namespace py = pybind11;
using pyglue::concat;
using pyglue::dprint;

inline py::str num(py::handle value) { return py::str(value); }

inline py::object presentable(py::handle mod, py::handle text) {
    return mod.attr("hostkit").attr("presentable")(text);
}

// text[start:stop], either end None for open.
inline py::object piece(py::handle text, py::handle start, py::handle stop) {
    return text[py::slice(py::reinterpret_borrow<py::object>(start), py::reinterpret_borrow<py::object>(stop),
                          py::none())];
}

// Functions and methods hold the module whose globals they read.
void register_chunk(py::module_& m);   // register_chunk.cpp: `Chunk`, a chunk of a name with its year search
void register_search(py::module_& m);  // register_search.cpp: find_years and extract_year

}  // namespace years::binding
