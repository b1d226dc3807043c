// Python interface of the tokenizer: module constants, `Token`,
// `symbolizer` and `next_token`.
#include <pybind11/pybind11.h>

#include "lexer/lexer.hpp"
#include "lexer/python_scan.hpp"
#include "pyglue/pyglue.hpp"

namespace py = pybind11;
using pyglue::to_u32;

namespace {

const char* const TOKEN_DOC =
    "One piece of text and its type code. The kinds of token:\n"
    "    WHITESPACE   a run of whitespace\n"
    "    SPECIAL      one of the strings of SPECIAL_TOKENS\n"
    "    BRACKETING   a bracket character\n"
    "    PUNCTUATION  a punctuation character that is not a bracket\n"
    "    NEWLINE      the line feed character alone\n"
    "    TEXT         a run of characters that are neither punctuation nor whitespace";

struct Token {
    py::object text;
    py::object toktype;
};

std::vector<std::u32string> specials_for_classify(py::handle module) {
    std::vector<std::u32string> out;
    for (py::handle entry : lexer::python::special_tokens(module))
        if (PyUnicode_Check(entry.ptr())) out.push_back(to_u32(entry));
    return out;
}

py::list symbolize(py::handle module, py::handle text, bool whitespace) {
    pyglue::require_str(text, "symbolizer", "text");
    return lexer::python::symbol_list(module, text, whitespace);
}

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

// The lazy iterator of next_token: nothing happens until the first value is
// asked for; then the module's current `symbolizer` is called once and its
// symbols become tokens one request at a time.
class TokenGenerator {
public:
    TokenGenerator(py::object module, py::object text, py::object whitespace)
        : module_(std::move(module)), text_(std::move(text)), whitespace_(std::move(whitespace)) {}

    Token next() {
        if (state_ == State::created) start();
        if (state_ == State::exhausted) throw py::stop_iteration();
        PyObject* symbol = PyIter_Next(symbols_.ptr());
        if (!symbol) {
            close();
            if (PyErr_Occurred()) throw py::error_already_set();
            throw py::stop_iteration();
        }
        auto held = py::reinterpret_steal<py::object>(symbol);
        try {
            return make_token(module_, held, py::int_(0));
        } catch (...) {
            close();
            throw;
        }
    }

    void close() {
        state_ = State::exhausted;
        symbols_ = py::object();
    }

private:
    enum class State { created, running, exhausted };

    void start() {
        state_ = State::exhausted;  // an error here ends the iterator, as in a generator
        py::object symbols = pyglue::call_current(
            module_, "symbolizer", "lexer", [&] { return symbolize(module_, text_, pyglue::truth(whitespace_)); },
            text_, py::arg("whitespace") = whitespace_);
        symbols_ = py::iter(symbols);
        state_ = State::running;
    }

    py::object module_;  // keeps the module alive for as long as the iterator
    py::object text_;
    py::object whitespace_;
    py::object symbols_;
    State state_ = State::created;
};

}  // namespace

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

    py::class_<TokenGenerator>(m, "_TokenGenerator")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &TokenGenerator::next)
        .def("close", &TokenGenerator::close);

    m.def(
        "symbolizer",
        [mod](py::object text, py::object whitespace) {
            return symbolize(mod, text, pyglue::truth(whitespace));
        },
        py::arg("text"), py::arg("whitespace") = false,
        "The symbols of the text: punctuation characters and line feeds alone, runs of other\n"
        "characters, and runs of whitespace (dropped unless whitespace is true).");
    pyglue::keep_native(m, "symbolizer");

    m.def(
        "next_token",
        [mod](py::object text, py::object whitespace) {
            return TokenGenerator(py::reinterpret_borrow<py::object>(mod), text, whitespace);
        },
        py::arg("text"), py::arg("whitespace") = true,
        "A lazy iterator over the tokens of the text; whitespace tokens are kept by default.");
}
