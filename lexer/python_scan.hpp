// The tokenizer's scan as the Python modules run it: with the special
// strings of a lexer module's SPECIAL_TOKENS, read afresh at every call.
// Shared by the lexer's own binding and by callers of its native
// symbolizer that skip the round trip through Python; for binding files
// only, as it needs the Python glue (lexer.hpp is the plain core).
#pragma once

#include <vector>

#include "lexer/lexer.hpp"
#include "pyglue/pyglue.hpp"

namespace lexer::python {

using pyglue::to_u32;
namespace py = pybind11;

inline py::list special_tokens(py::handle lexer_module) {
    return lexer_module.attr("SPECIAL_TOKENS");
}

// The special strings as the scan needs them. An entry that is not a str
// but has a length can never equal a piece of text and is passed over; one
// without a length stays as a placeholder, which fails where it is tried.
inline std::vector<lexer::Special> specials_for_scan(py::handle lexer_module) {
    std::vector<lexer::Special> out;
    for (py::handle entry : special_tokens(lexer_module)) {
        if (PyUnicode_Check(entry.ptr())) {
            out.push_back({to_u32(entry), true});
        } else if (PyObject_Length(entry.ptr()) < 0) {
            PyErr_Clear();
            out.push_back({{}, false});
        }
    }
    return out;
}

// The host's own error for an entry the scan could not measure, exactly as
// len() of the entry words it.
[[noreturn]] inline void raise_unmeasurable(py::handle lexer_module, const lexer::UnmeasurableSpecial& bad) {
    PyObject_Length(special_tokens(lexer_module)[bad.index].ptr());
    throw py::error_already_set();
}

// The symbols of `text` (whose code points are `u`) as spans, filtered
// unless `whitespace`.
inline std::vector<lexer::Span> scan_symbols(py::handle lexer_module, const std::u32string& u,
                                             bool whitespace) {
    std::vector<lexer::Span> spans;
    try {
        lexer::scan_into(u, specials_for_scan(lexer_module), whitespace, spans);
    } catch (const lexer::UnmeasurableSpecial& bad) {
        raise_unmeasurable(lexer_module, bad);
    }
    return spans;
}

// The symbols of the str `text` as a new list of its slices.
inline py::list symbol_list(py::handle lexer_module, py::handle text, bool whitespace) {
    const std::vector<lexer::Span> spans = scan_symbols(lexer_module, to_u32(text), whitespace);
    py::list out(spans.size());
    for (std::size_t i = 0; i < spans.size(); ++i) out[i] = pyglue::substring(text, spans[i].start, spans[i].length);
    return out;
}

}  // namespace lexer::python
