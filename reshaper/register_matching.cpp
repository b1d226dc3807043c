// The matcher and the composer as module functions: `find_closing_bracket`,
// `_parse_source`, `parse_source` and `apply_parser`. The matching itself is
// in matching.cpp; here are the debug lines, the argument checks and the
// look-ups of module globals at every use.
#include <deque>

#include "lexer/python_scan.hpp"
#include "nametidy/tidy.hpp"
#include "reshaper/bindings.hpp"

namespace reshaper::binding {

namespace {

using pyglue::dprint;
using pyglue::from_u32;

// The debug lines of each level of the matcher. The outermost level shows
// the caller's own lists; a bracket group shows its slices.
class DebugTrace : public reshaper::Trace {
public:
    DebugTrace(py::handle mod, py::handle source, py::handle text)
        : mod_(mod), source_(source), text_(text) {}

    void enter(std::size_t depth, Range source, Range text) override {
        dprint(mod_, " source_symbols:", shown(source_, source, depth));
        dprint(mod_, "  text_symbols:", shown(text_, text, depth));
    }

    void no_opening_bracket(std::size_t depth, Range text) override {
        dprint(mod_, "no opening brackets:", shown(text_, text, depth));
    }

private:
    static py::object shown(py::handle list, Range r, std::size_t depth) {
        return depth == 0 ? py::reinterpret_borrow<py::object>(list) : slice(list, r);
    }

    py::handle mod_;
    py::handle source_;
    py::handle text_;
};

py::tuple parse_source_raw(py::handle mod, py::handle source, py::handle text, py::handle keywords) {
    require_list(source, "_parse_source", "source_symbols");
    require_list(text, "_parse_source", "text_symbols");
    require_dict(keywords, "_parse_source", "keywords");
    const Symbols src = symbols_of(source, "_parse_source", "source_symbols");
    const Symbols txt = symbols_of(text, "_parse_source", "text_symbols");
    DebugTrace trace(mod, source, text);
    const reshaper::Match found =
        reshaper::match(src, txt, current_brackets(mod), pyglue::debug_quiet(mod) ? nullptr : &trace);
    // A shallow copy: values the matcher does not store stay the caller's objects.
    auto result = py::reinterpret_steal<py::dict>(PyDict_Copy(keywords.ptr()));
    for (const reshaper::Store& store : found.stores)
        result[from_u32(store.keyword)] = slice(text, store.value);
    return py::make_tuple(from_u32(found.msg), result);
}

// The module's current `lexer.symbolizer` applied to a name, whitespace off.
py::object name_symbols(py::handle mod, py::handle text) {
    py::object lexer = lexer_of(mod);
    return pyglue::call_current(
        lexer, "symbolizer", "lexer", [&] { return lexer::python::symbol_list(lexer, text, false); }, text,
        py::arg("whitespace") = false);
}

py::object find_closing_bracket(py::handle mod, py::handle symbols, py::handle pos) {
    require_list(symbols, "find_closing_bracket", "symbols");
    const int32_t p = pyglue::to_int32(pos);
    const Symbols s = symbols_of(symbols, "find_closing_bracket", "symbols");
    const reshaper::Brackets brackets = current_brackets(mod);
    const auto n = static_cast<int64_t>(s.size());
    if (p >= 0) return py::int_(reshaper::find_closing_bracket(s, static_cast<std::size_t>(p), brackets));
    // A negative position counts from the end, as list indexing does; the
    // scan then runs up through -1 and on from 0.
    if (-static_cast<int64_t>(p) > n) throw reshaper::IndexError("list index out of range");
    const auto start = static_cast<std::size_t>(n + p);
    const std::u32string_view closing = reshaper::closing_of(s[start], brackets);
    const std::size_t found = reshaper::find_symbol(s, start, s.size(), closing);
    if (found < s.size()) return py::int_(static_cast<int64_t>(found) - n);
    return py::int_(reshaper::find_symbol(s, 0, s.size(), closing));
}
}  // namespace

py::tuple parse_source(py::handle mod, py::handle source, py::handle text) {
    require_list(source, "parse_source", "source_symbols");
    pyglue::require_str(text, "parse_source", "text");
    py::object text_symbols = name_symbols(mod, text);
    py::object pair = pyglue::call_current(
        mod, "_parse_source", "reshaper", [&] { return parse_source_raw(mod, source, text_symbols, py::dict()); },
        source, text_symbols, py::dict());
    std::vector<py::object> parts = pyglue::unpack(pair, 2);
    py::dict values;
    py::str blank(" ");
    for (py::handle item : parts[1].attr("items")()) {
        std::vector<py::object> kv = pyglue::unpack(item, 2);
        values[kv[0]] = blank.attr("join")(kv[1]);
    }
    dprint(mod, "keywords:", values);
    return py::make_tuple(parts[0], values);
}

py::object presentable(py::handle mod, const std::u32string& text) {
    return pyglue::call_current(
        mod.attr("hostkit"), "presentable", "nametidy", [&] { return from_u32(nametidy::presentable(text)); },
        from_u32(text));
}

py::object apply_parser(py::handle mod, py::handle target, py::handle keywords) {
    require_list(target, "apply_parser", "target_symbols");
    require_dict(keywords, "apply_parser", "keywords");
    if (!pyglue::debug_quiet(mod)) dprint(mod, "keywords:", keywords);
    const Symbols tgt = symbols_of(target, "apply_parser", "target_symbols");
    std::deque<std::u32string> values;  // stable addresses for the composer
    std::size_t piece = 0;
    const reshaper::ValueOf value_of = [&](const std::u32string& symbol) -> const std::u32string* {
        const std::size_t index = piece++;
        PyObject* value = PyDict_GetItemWithError(keywords.ptr(), from_u32(symbol).ptr());
        if (!value) {
            if (PyErr_Occurred()) throw py::error_already_set();
            return nullptr;
        }
        if (!PyUnicode_Check(value))
            throw py::type_error("sequence item " + std::to_string(index) +
                                 ": expected str instance, " + pyglue::type_name(value) + " found");
        return &values.emplace_back(to_u32(value));
    };
    const reshaper::Composition c = reshaper::compose(tgt, value_of);
    py::object tidied = presentable(mod, c.body);
    if (!PyUnicode_Check(tidied.ptr()))
        throw py::type_error("can only concatenate str (not \"" + pyglue::type_name(tidied) +
                             "\") to str");
    return from_u32(c.start_symbol) + tidied + from_u32(c.end_symbol);
}

void register_matching(py::module_& m) {
    py::object mod = m;
    m.def(
        "find_closing_bracket",
        [mod](py::object symbols, py::object pos) { return find_closing_bracket(mod, symbols, pos); },
        py::arg("symbols"), py::arg("pos"),
        "find_closing_bracket(symbols: list, pos: int) -> int\n\n"
        "Position of the bracket that closes the group opened at pos, or len(symbols).");
    m.def(
        "_parse_source",
        [mod](py::object source, py::object text, py::object keywords) {
            return parse_source_raw(mod, source, text, keywords);
        },
        py::arg("source_symbols"), py::arg("text_symbols"), py::arg("keywords"),
        "_parse_source(source_symbols: list, text_symbols: list, keywords: dict)"
        " -> Tuple(str, dict[str, list[str]])\n\n"
        "Matches text symbols against source symbols; values are lists of text symbols.");
    m.def(
        "parse_source",
        [mod](py::object source, py::object text) { return parse_source(mod, source, text); },
        py::arg("source_symbols"), py::arg("text"),
        "parse_source(source_symbols: list, text: str) -> Tuple(str, dict[str, str])\n\n"
        "Matches a name against source symbols; values are joined by single blanks.");
    m.def(
        "apply_parser",
        [mod](py::object target, py::object keywords) { return apply_parser(mod, target, keywords); },
        py::arg("target_symbols"), py::arg("keywords"),
        "apply_parser(target_symbols: list[str], keywords: dict[str, list[str]]) -> str\n\n"
        "Composes the new name by the target symbols.");
    for (const char* name : {"find_closing_bracket", "_parse_source", "parse_source", "apply_parser"})
        pyglue::keep_native(m, name);
}

}  // namespace reshaper::binding
