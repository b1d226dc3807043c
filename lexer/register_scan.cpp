// The scan of a text: `symbolizer`, its symbols, and `next_token`, a lazy
// iterator of tokens over the module's current symbolizer.
#include "lexer/bindings.hpp"
#include "lexer/python_scan.hpp"

namespace lexer::binding {

namespace {

py::list symbolize(py::handle module, py::handle text, bool whitespace) {
    pyglue::require_str(text, "symbolizer", "text");
    return lexer::python::symbol_list(module, text, whitespace);
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

void register_scan(py::module_& m) {
    py::object mod = m;
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

}  // namespace lexer::binding
