// The Python module `years`: its set-up, the delimiter sets and year
// patterns, then one register function for each concern (register_*.cpp):
// `Chunk` with its year search, and the search of a whole name.
#include "years/bindings.hpp"

namespace py = pybind11;
using pyglue::concat;

PYBIND11_MODULE(years, m) {
    m.attr("__version__") = "1.0";
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    m.attr("textsplit") = py::module_::import("textsplit");
    m.attr("re") = py::module_::import("re");
    py::module_ string = py::module_::import("string");
    m.attr("debug") = false;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("NOT_LETTERS") = concat(string.attr("digits"), string.attr("punctuation"), " ");
    // Read once, here: the dash characters join the delimiters as they are.
    py::object in_set = concat("!#%&,-/:;=@`$*+^|.", hostkit.attr("DASHES"));
    m.attr("PUNCT_IN_SET") = in_set;
    m.attr("YEAR_ENTIRE") = R"(^\s*(\d{4})\s*$)";
    m.attr("YEAR_PAREN") = R"(\(\s*(\d{4})\s*\))";
    py::object punct = concat("(?<=[", in_set, R"(])\s*\d{4}\s*[)", in_set, "]");
    m.attr("YEAR_PUNCT") = punct;
    py::object start = concat(R"(^\s*(\d{4})\s*[)", in_set, "]");
    m.attr("YEAR_START") = start;
    py::object end = concat("[", in_set, R"(]\s*(\d{4})\s*$)");
    m.attr("YEAR_END") = end;
    m.attr("YEAR_PATTERN") = concat(punct, "|", end, "|", start, "|", m.attr("YEAR_ENTIRE"));
    py::list second;
    second.append(" and ");
    second.append("or");
    second.append(concat(",-:;&", hostkit.attr("LONG_DASH")));
    m.attr("SECOND_YEAR_DELIMITER_LIST") = second;

    // Methods and functions hold the module whose globals they read; the
    // interpreter clears module dictionaries at exit, which ends that cycle.
    years::binding::register_chunk(m);
    years::binding::register_search(m);
}
