// What the binding files of the lexer module share: `Token` as the binding
// holds it, how one is made, and the register functions module.cpp calls.
#pragma once

#include "pyglue/pyglue.hpp"

namespace lexer::binding {

namespace py = pybind11;
using pyglue::to_u32;

struct Token {
    py::object text;
    py::object toktype;
};

// A token of `text`; a type code of UNDEFINED is worked out from the text
// and the module's current SPECIAL_TOKENS.
Token make_token(py::handle module, py::handle text, py::handle toktype);  // register_token.cpp

// Functions and methods hold the module whose globals they read.
void register_token(py::module_& m);  // register_token.cpp: `Token`
void register_scan(py::module_& m);   // register_scan.cpp: symbolizer and next_token

}  // namespace lexer::binding
