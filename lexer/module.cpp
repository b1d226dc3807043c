// The Python module `lexer`, the tokenizer: its set-up and the token
// vocabulary (brackets, type codes and names), then one register function
// for each concern (register_*.cpp): `Token`, and the scan of a text.
#include "lexer/bindings.hpp"
#include "lexer/lexer.hpp"

namespace py = pybind11;

PYBIND11_MODULE(lexer, m) {
    m.doc() = "Token vocabulary and tokenizer";
    m.attr("__version__") = "1.0";
    m.attr("string") = py::module_::import("string");
    py::module_ typing = py::module_::import("typing");
    m.attr("Final") = typing.attr("Final");
    m.attr("LiteralString") = typing.attr("LiteralString");
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    m.attr("debug") = false;
    m.attr("dprint") = hostkit.attr("dprint");

    m.attr("SPECIAL_TOKENS") = py::list();
    m.attr("OPEN_BRACKETS") = pyglue::from_u32(lexer::OPEN_BRACKETS);
    m.attr("CLOSE_BRACKETS") = pyglue::from_u32(lexer::CLOSE_BRACKETS);
    m.attr("BRACKETS") = pyglue::from_u32(lexer::BRACKETS);
    const std::pair<const char*, lexer::TokType> codes[] = {
        {"UNDEFINED", lexer::UNDEFINED},     {"WHITESPACE", lexer::WHITESPACE},
        {"SPECIAL", lexer::SPECIAL},         {"BRACKETING", lexer::BRACKETING},
        {"PUNCTUATION", lexer::PUNCTUATION}, {"NEWLINE", lexer::NEWLINE},
        {"TEXT", lexer::TEXT},
    };
    py::tuple toktypes(std::size(codes));
    py::dict toknames;
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        py::int_ code(static_cast<int>(codes[i].second));
        m.attr(codes[i].first) = code;
        toktypes[i] = code;
        toknames[code] = codes[i].first;
    }
    m.attr("TOKTYPES") = toktypes;
    m.attr("TOKNAMES") = toknames;

    // Functions and methods hold the module whose globals they read; the
    // interpreter clears module dictionaries at exit, which ends that cycle.
    lexer::binding::register_token(m);
    lexer::binding::register_scan(m);
}
