// What the binding files of the reshaper module share: the argument checks,
// the module globals as they are now, the two functions of the matcher that
// `Reshape` calls while they are still the module's own, and the register_*
// functions module.cpp calls, one for each concern.
#pragma once

#include <string>

#include "pyglue/pyglue.hpp"
#include "reshaper/matching.hpp"

namespace reshaper::binding {

namespace py = pybind11;
using pyglue::to_u32;
using reshaper::Range;
using reshaper::Symbols;

inline Symbols symbols_of(py::handle list, const char* func, const char* arg) {
    Symbols out;
    out.reserve(static_cast<std::size_t>(PyList_GET_SIZE(list.ptr())));
    for (py::handle item : py::reinterpret_borrow<py::list>(list)) {
        if (!PyUnicode_Check(item.ptr()))
            throw py::type_error(std::string(func) + "() argument '" + arg +
                                 "' must hold only str, not " + pyglue::type_name(item));
        out.push_back(to_u32(item));
    }
    return out;
}

inline void require_list(py::handle obj, const char* func, const char* arg) {
    pyglue::require_exact(obj, &PyList_Type, func, arg, "list");
}

inline void require_dict(py::handle obj, const char* func, const char* arg) {
    pyglue::require_exact(obj, &PyDict_Type, func, arg, "dict");
}

inline py::object lexer_of(py::handle mod) { return mod.attr("lexer"); }

// The tokenizer's bracket strings as they are now.
inline reshaper::Brackets current_brackets(py::handle mod) {
    py::object lexer = lexer_of(mod);
    py::object open = lexer.attr("OPEN_BRACKETS");
    py::object close = lexer.attr("CLOSE_BRACKETS");
    pyglue::require_str(open, "lexer", "OPEN_BRACKETS");
    pyglue::require_str(close, "lexer", "CLOSE_BRACKETS");
    return {to_u32(open), to_u32(close)};
}

inline py::object slice(py::handle list, Range r) {
    PyObject* s = PyList_GetSlice(list.ptr(), static_cast<Py_ssize_t>(r.begin),
                                  static_cast<Py_ssize_t>(r.end));
    if (!s) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(s);
}

// The module functions of the matcher (matching.cpp does the matching).
py::tuple parse_source(py::handle mod, py::handle source, py::handle text);
py::object apply_parser(py::handle mod, py::handle target, py::handle keywords);

// The module's current `hostkit.presentable` applied to a string.
py::object presentable(py::handle mod, const std::u32string& text);

void register_matching(py::module_& m);   // find_closing_bracket, _parse_source, parse_source, apply_parser
void register_reshape(py::module_& m);    // the transformer `Reshape`
void register_panel(py::module_& m);      // the options panel `ReshapePanel`
void register_window(py::module_& m);     // the main window `Reshaper`
void register_proposals(py::module_& m);  // fits, propose, misfit_reason

}  // namespace reshaper::binding
