// `Token`: one piece of text and its type code.
#include "lexer/bindings.hpp"
#include "lexer/lexer.hpp"
#include "lexer/python_scan.hpp"

namespace lexer::binding {

namespace {

const char* const TOKEN_DOC =
    "One piece of text and its type code. The kinds of token:\n"
    "    WHITESPACE   a run of whitespace\n"
    "    SPECIAL      one of the strings of SPECIAL_TOKENS\n"
    "    BRACKETING   a bracket character\n"
    "    PUNCTUATION  a punctuation character that is not a bracket\n"
    "    NEWLINE      the line feed character alone\n"
    "    TEXT         a run of characters that are neither punctuation nor whitespace";

std::vector<std::u32string> specials_for_classify(py::handle module) {
    std::vector<std::u32string> out;
    for (py::handle entry : lexer::python::special_tokens(module))
        if (PyUnicode_Check(entry.ptr())) out.push_back(to_u32(entry));
    return out;
}

}  // namespace

Token make_token(py::handle module, py::handle text, py::handle toktype) {
    pyglue::require_str(text, "Token", "text");
    const int32_t code = pyglue::to_int32(toktype);
    if (code != lexer::UNDEFINED) {
        if (!lexer::is_toktype(code)) throw py::value_error("Unrecognized token type");
        return Token{py::reinterpret_borrow<py::object>(text), py::int_(code)};
    }
    const lexer::TokType type = lexer::classify(to_u32(text), specials_for_classify(module));
    return Token{py::reinterpret_borrow<py::object>(text), py::int_(static_cast<int>(type))};
}

void register_token(py::module_& m) {
    py::object mod = m;
    py::class_<Token>(m, "Token", TOKEN_DOC, py::dynamic_attr())
        .def(py::init([mod](py::object text, py::object toktype) {
                 return make_token(mod, text, toktype);
             }),
             py::arg("text"), py::arg("toktype") = static_cast<int>(lexer::UNDEFINED))
        .def_readwrite("text", &Token::text)
        .def_readwrite("toktype", &Token::toktype)
        .def("__str__", [](const Token& t) { return t.text; })
        .def("__repr__",
             [mod](const Token& t) {
                 py::object name = mod.attr("TOKNAMES")[t.toktype];
                 py::object shown = t.text;
                 if (t.toktype.equal(py::int_(static_cast<int>(lexer::NEWLINE))))
                     shown = py::str("\\n");
                 return py::str("<Token '{}' ({}), {}>")
                     .format(shown, py::len(t.text), name);
             })
        .def(
            "__eq__",
            [](const Token& t, py::handle other) {
                py::object other_type = other.attr("toktype");
                if (!t.toktype.equal(other_type)) return false;
                return t.text.equal(other.attr("text"));
            },
            py::arg("other"));
}

}  // namespace lexer::binding
