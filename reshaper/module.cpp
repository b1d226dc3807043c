// Python interface of the reshape engine: the module's set-up, the format
// matcher and composer as module functions, and the transformer `Reshape`.
// The matching itself is in matching.cpp; here are the debug lines, the
// argument checks and the look-ups of module globals at every use.
#include <deque>
#include <optional>

#include "lexer/python_scan.hpp"
#include "nametidy/tidy.hpp"
#include "pyglue/pyglue.hpp"
#include "reshaper/fit.hpp"
#include "reshaper/matching.hpp"
#include "reshaper/spelling.hpp"
#include "reshaper/transformer.hpp"
#include "reshaper/window.hpp"

namespace py = pybind11;
using pyglue::from_u32;
using pyglue::to_u32;
using reshaper::Range;
using reshaper::Symbols;
using namespace reshaper::texts;

namespace {

using pyglue::dprint;

const char* const RESHAPE_DOC =
    "The function to be called when a Reformat operaitons is requested\n"
    "Note that this rquires additional paramrters: tee source and target name syntaxes";

Symbols symbols_of(py::handle list, const char* func, const char* arg) {
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

void require_list(py::handle obj, const char* func, const char* arg) {
    pyglue::require_exact(obj, &PyList_Type, func, arg, "list");
}

void require_dict(py::handle obj, const char* func, const char* arg) {
    pyglue::require_exact(obj, &PyDict_Type, func, arg, "dict");
}

py::object lexer_of(py::handle mod) { return mod.attr("lexer"); }

// The tokenizer's bracket strings as they are now.
reshaper::Brackets current_brackets(py::handle mod) {
    py::object lexer = lexer_of(mod);
    py::object open = lexer.attr("OPEN_BRACKETS");
    py::object close = lexer.attr("CLOSE_BRACKETS");
    pyglue::require_str(open, "lexer", "OPEN_BRACKETS");
    pyglue::require_str(close, "lexer", "CLOSE_BRACKETS");
    return {to_u32(open), to_u32(close)};
}

py::object slice(py::handle list, Range r) {
    PyObject* s = PyList_GetSlice(list.ptr(), static_cast<Py_ssize_t>(r.begin),
                                  static_cast<Py_ssize_t>(r.end));
    if (!s) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(s);
}

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

// The module's current `hostkit.presentable` applied to a string.
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

void reshape_init(py::handle mod, py::object self, py::object cfg) {
    self.attr("cfg") = cfg;
    py::object symbolizer = lexer_of(mod).attr("symbolizer");
    self.attr("source_symbols") = symbolizer(cfg.attr("source_format"), py::arg("whitespace") = false);
    self.attr("target_symbols") = symbolizer(cfg.attr("target_format"), py::arg("whitespace") = true);
    self.attr("reversed_names") = cfg.attr("reversed_names");
}

py::str reshape_validate(py::object self) {
    py::object cfg = self.attr("cfg");
    py::object source = cfg.attr("source_format");
    py::object target = cfg.attr("target_format");
    if (pyglue::truth(source) && pyglue::truth(target)) return py::str("");
    py::print(pyglue::concat("validate source: ", py::str(source), ", target: ", py::str(target)));
    return py::str(reshaper::MISSING_FORMATS);
}

// The whole chain in native code, taken while every piece of it is still
// the module's own and no debug line can be seen: the same name comes out,
// without a Python object made on the way. Nothing when it does not apply.
std::optional<py::object> native_run(py::handle mod, py::object self, py::handle name) {
    if (!pyglue::debug_quiet(mod)) return std::nullopt;
    for (const char* global : {"parse_source", "_parse_source", "apply_parser"})
        if (!pyglue::is_native(mod.attr(global), "reshaper", global)) return std::nullopt;
    py::object lexer = lexer_of(mod);
    if (!pyglue::is_native(lexer.attr("symbolizer"), "lexer", "symbolizer") ||
        !pyglue::is_native(mod.attr("hostkit").attr("presentable"), "nametidy", "presentable"))
        return std::nullopt;
    py::object source = self.attr("source_symbols");
    py::object target = self.attr("target_symbols");
    if (!PyList_CheckExact(source.ptr()) || !PyList_CheckExact(target.ptr())) return std::nullopt;
    const std::u32string u = to_u32(name);
    try {
        const Symbols src = symbols_of(source, "run", "source_symbols");
        const Symbols tgt = symbols_of(target, "run", "target_symbols");
        Symbols text;
        for (const lexer::Span& span : lexer::python::scan_symbols(lexer, u, false))
            text.emplace_back(u.substr(span.start, span.length));
        const std::u32string newname = reshaper::reshape_symbols(src, tgt, text, current_brackets(mod), u);
        if (newname != u) return from_u32(newname);
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;
    } catch (const std::exception&) {
    }
    return py::reinterpret_borrow<py::object>(name);  // unchanged: the caller's own object
}

py::object reshape_run(py::handle mod, py::object self, py::object name) {
    pyglue::require_str(name, "run", "name");
    if (std::optional<py::object> quick = native_run(mod, self, name)) return *quick;
    dprint(mod, "reshape!! name:", name);
    py::object msg = py::str("");
    py::object newname;
    try {
        py::object source = self.attr("source_symbols");
        py::object pair = pyglue::call_current(
            mod, "parse_source", "reshaper", [&] { return parse_source(mod, source, name); }, source, name);
        std::vector<py::object> parts = pyglue::unpack(pair, 2);
        msg = parts[0];
        dprint(mod, pyglue::concat("** msg: '", msg, "', keywords: ", py::str(parts[1])));
        if (pyglue::truth(msg)) {
            newname = name;
            dprint(mod, pyglue::concat("Error on '", name, "': ", msg));
        } else {
            py::object target = self.attr("target_symbols");
            newname = pyglue::call_current(
                mod, "apply_parser", "reshaper", [&] { return apply_parser(mod, target, parts[1]); }, target,
                parts[1]);
            dprint(mod, pyglue::concat("1. newname made for ", name, ": ", newname));
        }
        dprint(mod, pyglue::concat("2. newname made for ", name, ": ", newname));
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;  // interrupts and exits go on
        newname = name;
        msg = py::str(e.value());
    } catch (const std::exception& e) {  // the matcher's own errors and argument checks
        newname = name;
        msg = py::str(e.what());
    }
    if (pyglue::debug_quiet(mod)) return newname;  // what follows is only shown
    if (pyglue::truth(msg)) dprint(mod, pyglue::concat("can't create newname for: '", name, "' - ", msg));
    // The tidied form is only shown; a tidier that fails on it must not turn
    // a kept name into a failure.
    py::object shown = newname;
    try {
        shown = presentable(mod, to_u32(newname));
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;
    }
    py::object class_name = py::type::handle_of(self).attr("__name__");
    dprint(mod, pyglue::concat(class_name, " wil change '", name, "' to '", shown, "'"));
    return newname;
}

py::object make_reshape_class(py::object mod) {
    py::dict ns;
    ns["__init__"] = pyglue::method(
        [mod](py::object self, py::object cfg) { reshape_init(mod, self, cfg); },
        py::arg("cfg"), "__init__(self, cfg: prefstore.Config)");
    ns["validate"] = pyglue::method(&reshape_validate, "validate(self) -> str");
    ns["run"] = pyglue::method(
        [mod](py::object self, py::object name) { return reshape_run(mod, self, name); },
        py::arg("name"), "run(self, name: str) -> str");
    return pyglue::make_class("reshaper", "Reshape", RESHAPE_DOC, py::make_tuple(), ns);
}

// ---- what the host proposes ----

// Where the symbols of a name lie, by the lexer module's scan as it is now
// (its special strings included), whitespace off. Nothing when the scan
// fails: such a name cannot be matched, as run finds too.
std::optional<std::vector<lexer::Span>> places_of(py::handle mod, const std::u32string& name) {
    try {
        return lexer::python::scan_symbols(lexer_of(mod), name, false);
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;
        return std::nullopt;
    }
}

Symbols symbols_at(const std::u32string& name, const std::vector<lexer::Span>& places) {
    Symbols out;
    out.reserve(places.size());
    for (const lexer::Span& place : places) out.push_back(name.substr(place.start, place.length));
    return out;
}

bool fits(py::handle mod, py::handle source, py::handle text) {
    require_list(source, "fits", "source_symbols");
    pyglue::require_str(text, "fits", "text");
    const Symbols src = symbols_of(source, "fits", "source_symbols");
    const std::u32string name = to_u32(text);
    const std::optional<std::vector<lexer::Span>> places = places_of(mod, name);
    return places && reshaper::fits(src, symbols_at(name, *places), current_brackets(mod));
}

py::object propose(py::handle mod, py::handle source, py::handle target, py::handle text) {
    require_list(source, "propose", "source_symbols");
    require_list(target, "propose", "target_symbols");
    pyglue::require_str(text, "propose", "text");
    const Symbols src = symbols_of(source, "propose", "source_symbols");
    const Symbols tgt = symbols_of(target, "propose", "target_symbols");
    const std::u32string name = to_u32(text);
    const std::optional<std::vector<lexer::Span>> places = places_of(mod, name);
    std::optional<std::u32string> reshaped;
    if (places) reshaped = reshaper::reshape_keeping_spelling(src, tgt, name, *places, current_brackets(mod));
    if (!reshaped || *reshaped == name) return py::reinterpret_borrow<py::object>(text);
    return from_u32(*reshaped);
}

void def_proposals(py::module_& m, py::object mod) {
    m.def(
        "fits",
        [mod](py::object source, py::object text) { return fits(mod, source, text); },
        py::arg("source_symbols"), py::arg("text"),
        "fits(source_symbols: list, text: str) -> bool\n\n"
        "Whether a name fits the source format: the match gives no message and raises nothing,\n"
        "every delimiter and bracket group is found in order, and every keyword gets a\n"
        "non-empty part.");
    m.def(
        "propose",
        [mod](py::object source, py::object target, py::object text) {
            return propose(mod, source, target, text);
        },
        py::arg("source_symbols"), py::arg("target_symbols"), py::arg("text"),
        "propose(source_symbols: list, target_symbols: list, text: str) -> str\n\n"
        "The new name of a name that fits, each part spelled as in the old name and only the\n"
        "target's own blanks tidied; a name that does not fit comes back unchanged.");
    m.def(
        "misfit_reason",
        [](py::object source_format) {
            pyglue::require_str(source_format, "misfit_reason", "source_format");
            return from_u32(reshaper::misfit_reason(to_u32(source_format)));
        },
        py::arg("source_format"),
        "misfit_reason(source_format: str) -> str\n\n"
        "Why a name that does not fit is left alone.");
}

// ---- the options panel ----

py::object wx_of(py::handle mod) { return mod.attr("wx"); }

// Adds `item` to `sizer` as every item of the panel is added.
void add_item(py::handle mod, py::handle sizer, py::handle item) {
    sizer.attr("Add")(item, 0, wx_of(mod).attr("ALL"), 5);
}

py::object labelled(py::handle mod, py::object panel, const char* label, const char* tip) {
    py::object text = wx_of(mod).attr("StaticText")(panel, py::arg("label") = label);
    text.attr("SetToolTip")(tip);
    return text;
}

py::object format_field(py::handle mod, py::object panel, py::handle value, const char* tip) {
    py::object field = wx_of(mod).attr("TextCtrl")(panel, py::arg("value") = value,
                                                 py::arg("size") = py::make_tuple(-1, 17));
    field.attr("SetToolTip")(tip);
    return field;
}

void panel_init(py::handle mod, py::object self, py::object parent, py::object config, py::object on_change,
                py::object renames, py::object untick, py::object on_progress) {
    self.attr("cfg") = config;
    mod.attr("choices").attr("ChoicesPanel").attr("__init__")(
        self, parent, py::arg("config") = config, py::arg("on_change") = on_change, py::arg("renames") = renames,
        py::arg("untick") = untick, py::arg("on_progress") = on_progress);
    self.attr("target") = "";
    self.attr("reversed_names") = false;
    py::object wx = wx_of(mod);
    py::object row = wx.attr("BoxSizer")(wx.attr("HORIZONTAL"));
    add_item(mod, row, labelled(mod, self, "Source format:", SOURCE_TIP));
    if (!pyglue::truth(config.attr("source_format"))) config.attr("source_format") = "name";
    py::object source_ctrl = format_field(mod, self, config.attr("source_format"), SOURCE_TIP);
    self.attr("source_ctrl") = source_ctrl;
    add_item(mod, row, source_ctrl);
    add_item(mod, row, labelled(mod, self, "Target format:", TARGET_TIP));
    dprint(mod, "source_format:", config.attr("source_format"));
    py::object target_value;
    if (pyglue::truth(config.attr("target_format"))) {
        dprint(mod, "non-empty target format");
        target_value = config.attr("target_format");
    } else {
        dprint(mod, "empty target format so using source format:", config.attr("source_format"));
        target_value = config.attr("source_format");
    }
    dprint(mod, "target_format:", target_value);
    py::object target_ctrl = format_field(mod, self, target_value, TARGET_TIP);
    self.attr("target_ctrl") = target_ctrl;
    add_item(mod, row, target_ctrl);
    py::object main_sizer = self.attr("main_sizer");
    add_item(mod, main_sizer, row);
    main_sizer.attr("Fit")(self);
    self.attr("SetSizer")(main_sizer);
    main_sizer.attr("Fit")(self);
    self.attr("Layout")();
}

// A field's text without blanks at either end, or `fallback` (also shown in
// the field) when nothing is left.
py::object stripped_or(py::object field, py::object fallback, bool& fell_back) {
    py::object text = field.attr("GetValue")().attr("strip")();
    fell_back = !pyglue::truth(text);
    if (fell_back) field.attr("SetValue")(fallback);
    return fell_back ? fallback : text;
}

void panel_refresh(py::handle mod, py::object self) {
    py::object cfg = self.attr("cfg");
    bool fell_back = false;
    py::object source_ctrl = self.attr("source_ctrl");
    cfg.attr("source_format") = source_ctrl.attr("GetValue")().attr("strip")();
    if (!pyglue::truth(cfg.attr("source_format"))) {
        cfg.attr("source_format") = "name";
        source_ctrl.attr("SetValue")("name");
    }
    cfg.attr("target_format") = stripped_or(self.attr("target_ctrl"), cfg.attr("source_format"), fell_back);
    if (fell_back) self.attr("parent").attr("Refresh")();
    dprint(mod, pyglue::concat("transform is ", py::type::handle_of(self).attr("__name__")));
    dprint(mod, "+++ Reshape");
}

void panel_targetformat(py::object self) {
    self.attr("config").attr("reshape_names")["target_format"] = self.attr("targetformat").attr("GetValue")();
    self.attr("on_fixedformat_change")();
    self.attr("disable_execute")();
}

py::object make_panel_class(py::object mod) {
    py::dict ns;
    ns["__init__"] = pyglue::method(
        [mod](py::object self, py::object parent, py::object config, py::object on_change, py::object renames,
              py::object untick, py::object on_progress) {
            panel_init(mod, self, parent, config, on_change, renames, untick, on_progress);
        },
        py::arg("parent"), py::arg("config"), py::arg("on_change"), py::arg("renames"), py::arg("untick"),
        py::arg("on_progress"), "__init__(self, parent, config, on_change, renames, untick, on_progress) -> Self");
    ns["on_refresh"] = pyglue::method([mod](py::object self) { panel_refresh(mod, self); }, "on_refresh(self)");
    for (const char* name : {"on_source_open", "on_source_close"})
        ns[name] = pyglue::method([](py::object self, py::object) { self.attr("disable_execute")(); },
                                  py::arg("event"), "(self, event: wx.Event)");
    ns["on_targetformat"] = pyglue::method([](py::object self, py::object) { panel_targetformat(self); },
                                           py::arg("event"), "on_targetformat(self, event: wx.Event)");
    return pyglue::make_class("reshaper", "ReshapePanel", PANEL_DOC,
                              py::make_tuple(mod.attr("choices").attr("ChoicesPanel")), ns);
}

// ---- the main window ----

std::string help_text() {
    const std::string a = EXAMPLE_A, a_done = EXAMPLE_A_DONE, b = EXAMPLE_B, b_done = EXAMPLE_B_DONE;
    const std::string lines[] = {
        "The eight-fold path to multiple file renaming",
        "",
        "1. Use File -> Open to choose the folder you wish to operate upon",
        "",
        "2. Click Folders if you only want to view folders, and not both files and folders",
        "",
        "3. Click Recursive if you want to see subfolders and the files within them",
        "",
        "4. Define the layout of our source file names.",
        "   For example, if you choose the source format of 'a - b' and a target format of 'b - a'",
        "   it will transform      '" + a + "'",
        "      to",
        "      '" + a_done + "'",
        "",
        "   If you have a source format of 'title (series) - author' and a target format of ",
        "      'author ~ [series] title' then it will transform",
        "      '" + b + "'      to",
        "     '" + b_done + "'",
        "",
        "5. Click Refresh to see the proposed renames on the righthand pane. They are",
        "   indicated by checkmarks",
        "",
        "6. You can also manually change any text on the right-hand pane",
        "",
        "7. Tick the checkboxes on the left-hand pane or use the Select menu to choose",
        "    which of the proposed renames you want to execute.",
        "",
        "8. Click the Execute button and confirm the changes listed.",
        "",
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text + "\n";
}

py::object program_stem(py::handle mod) {
    py::object name = mod.attr("hostkit").attr("scriptname")();
    return mod.attr("os").attr("path").attr("splitext")(name)[py::int_(0)];
}

py::object default_folder(py::handle mod) {
    py::object os = mod.attr("os");
    if (!py::str(mod.attr("sys").attr("platform")).equal(py::str("win32"))) return py::str("~");
    // Without USERPROFILE there is no Documents folder to name: the home folder will do.
    py::object profile = os.attr("environ").attr("get")("USERPROFILE");
    if (profile.is_none()) return py::str("~");
    return pyglue::concat(profile, os.attr("sep"), "Documents");
}

void window_init(py::handle mod, py::object self, py::object parent) {
    py::dict defaults;
    defaults["location"] = default_folder(mod);
    defaults["pattern"] = "";
    defaults["folders"] = true;
    defaults["recursive"] = true;
    defaults["source_format"] = "a - b";
    defaults["target_format"] = "b - a";
    defaults["delimiter"] = "hyphen";
    defaults["reversed_names"] = false;
    py::object stem = program_stem(mod);
    py::object cfg = mod.attr("prefstore").attr("Config")(defaults, py::arg("cfgfile") = pyglue::concat(stem, ".json"));
    self.attr("cfg") = cfg;
    py::object title = pyglue::concat(stem, " - ", py::str(cfg.attr("location")));
    mod.attr("basewindow").attr("Basewindow").attr("__init__")(
        self, parent, py::arg("title") = title, py::arg("choicespanel") = mod.attr("ReshapePanel"),
        py::arg("transformclass") = mod.attr("Reshape"), py::arg("size") = py::make_tuple(800, 600));
}

void show_message(py::handle mod, py::object self, py::object text) {
    py::object caption = pyglue::concat("About ", mod.attr("hostkit").attr("scriptname")());
    py::module_::import("messagebox").attr("show_message")(self, text, caption);
}

py::object make_window_class(py::object mod) {
    py::dict ns;
    ns["__init__"] = pyglue::method([mod](py::object self, py::object parent) { window_init(mod, self, parent); },
                                    py::arg("parent"), "__init__(self, parent: wx.Window) -> Self");
    ns["on_help"] = pyglue::method(
        [mod](py::object self, py::object) {
            dprint(mod, "messaging help");
            show_message(mod, self, py::str(help_text()));
        },
        py::arg("event"), "on_help(self, event: wx.Event)");
    ns["on_about"] = pyglue::method(
        [mod](py::object self, py::object) {
            dprint(mod, "messaging about");
            show_message(mod, self,
                         pyglue::concat(program_stem(mod), ".exe\n\nversion ", mod.attr("__version__"), ABOUT_BODY));
        },
        py::arg("event"), "on_about(self, event: wx.Event)");
    return pyglue::make_class("reshaper", "Reshaper", "The main frame",
                              py::make_tuple(mod.attr("basewindow").attr("Basewindow")), ns);
}

void translate_core_errors() {
    py::register_local_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const reshaper::IndexError& e) {
            PyErr_SetString(PyExc_IndexError, e.what());
        } catch (const reshaper::ValueError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const reshaper::RecursionError& e) {
            PyErr_SetString(PyExc_RecursionError, e.what());
        }
    });
}

}  // namespace

PYBIND11_MODULE(reshaper, m) {
    py::options options;
    options.disable_function_signatures();  // the docs carry the declared annotations
    translate_core_errors();

    m.attr("__version__") = "1.1";
    for (const char* name : {"os", "sys", "string"}) m.attr(name) = py::module_::import(name);
    py::module_ typing = py::module_::import("typing");
    m.attr("Self") = typing.attr("Self");
    m.attr("Tuple") = typing.attr("Tuple");
    py::module_ wx = py::module_::import("wx");
    m.attr("wx") = wx;
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    m.attr("prefstore") = py::module_::import("prefstore");
    m.attr("lexer") = py::module_::import("lexer");
    m.attr("app") = wx.attr("App")();  // before any window can exist
    m.attr("basewindow") = py::module_::import("basewindow");
    m.attr("choices") = py::module_::import("choices");
    m.attr("debug") = false;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("PROFILING") = true;
    if (pyglue::truth(m.attr("PROFILING"))) m.attr("cProfile") = py::module_::import("cProfile");

    // Functions and methods hold the module whose globals they read; the
    // interpreter clears module dictionaries at exit, which ends that cycle.
    py::object mod = m;
    m.attr("ReshapePanel") = make_panel_class(mod);
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

    m.attr("Reshape") = make_reshape_class(mod);
    m.attr("Reshaper") = make_window_class(mod);
    def_proposals(m, mod);
}
