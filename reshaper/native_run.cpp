#include "native_run.hpp"

#include "lexer/python_scan.hpp"
#include "reshaper/bindings.hpp"

namespace reshaper::binding {

namespace {

py::object interned(const char* text) {
    PyObject* s = PyUnicode_InternFromString(text);
    if (!s) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(s);
}

// A global of a plain module, found where the host finds it: in the
// module's dictionary (a module type has no attribute of these names).
// Nothing for anything else, or for a name that is not there.
PyObject* global_of(PyObject* module, const py::object& key) {
    if (!module || !PyModule_CheckExact(module)) return nullptr;
    PyObject* value = PyDict_GetItemWithError(PyModule_GetDict(module), key.ptr());  // borrowed
    if (!value) PyErr_Clear();  // a missing name: the general path raises what the host would
    return value;
}

// obj.<key>, or nothing when an ordinary error stands in the way: the
// general path raises it where the host would. Interrupts go on.
py::object attribute(py::handle obj, const py::object& key) {
    PyObject* value = PyObject_GetAttr(obj.ptr(), key.ptr());
    if (value) return py::reinterpret_steal<py::object>(value);
    if (!PyErr_ExceptionMatches(PyExc_Exception)) throw py::error_already_set();
    PyErr_Clear();
    return py::object();
}

bool is(PyObject* current, const py::object& native) { return current && current == native.ptr(); }

std::u32string symbol(std::u32string text) { return text; }
lexer::Special special(std::u32string text) { return {std::move(text), true}; }

}  // namespace

template <typename Item>
bool ListCache<Item>::holds(PyObject* list) const {
    if (list != list_.ptr() || static_cast<std::size_t>(PyList_GET_SIZE(list)) != strings_.size()) return false;
    for (std::size_t i = 0; i < strings_.size(); ++i)
        if (PyList_GET_ITEM(list, static_cast<Py_ssize_t>(i)) != strings_[i].ptr()) return false;
    return true;
}

template <typename Item>
const std::vector<Item>* ListCache<Item>::find(PyObject* list) {
    if (!list || !PyList_CheckExact(list)) return nullptr;
    if (holds(list)) return &made_;
    const Py_ssize_t n = PyList_GET_SIZE(list);
    for (Py_ssize_t i = 0; i < n; ++i)
        if (!PyUnicode_CheckExact(PyList_GET_ITEM(list, i))) return nullptr;
    list_ = py::object();  // nothing kept should a conversion fail half-way
    strings_.clear();
    made_.clear();
    for (Py_ssize_t i = 0; i < n; ++i) {
        py::handle item = PyList_GET_ITEM(list, i);
        strings_.push_back(py::reinterpret_borrow<py::object>(item));
        made_.push_back(make_(pyglue::to_u32(item)));
    }
    list_ = py::reinterpret_borrow<py::object>(list);
    return &made_;
}

NativeRun::NativeRun()
    : keys_{interned("dprint"),         interned("parse_source"),   interned("_parse_source"),
            interned("apply_parser"),   interned("lexer"),          interned("hostkit"),
            interned("symbolizer"),     interned("presentable"),    interned("SPECIAL_TOKENS"),
            interned("OPEN_BRACKETS"),  interned("CLOSE_BRACKETS"), interned("source_symbols"),
            interned("target_symbols")},
      source_(&symbol),
      target_(&symbol),
      specials_(&special) {}

bool NativeRun::find_natives() {
    using pyglue::native_of;
    natives_ = {native_of("debugline", "dprint"),      native_of("reshaper", "parse_source"),
                native_of("reshaper", "_parse_source"), native_of("reshaper", "apply_parser"),
                native_of("lexer", "symbolizer"),       native_of("nametidy", "presentable")};
    natives_found_ = natives_.dprint && natives_.parse_source && natives_.raw_parse_source &&
                     natives_.apply_parser && natives_.symbolizer && natives_.presentable;
    return natives_found_;
}

// The module's lexer while the chain is the system's own and nobody can
// see a debug line; nothing otherwise.
PyObject* NativeRun::lexer_if_native(PyObject* mod) {
    if (!natives_found_ && !find_natives()) return nullptr;
    if (!is(global_of(mod, keys_.dprint), natives_.dprint) || debugline::enabled()) return nullptr;
    if (!is(global_of(mod, keys_.parse_source), natives_.parse_source) ||
        !is(global_of(mod, keys_.raw_parse_source), natives_.raw_parse_source) ||
        !is(global_of(mod, keys_.apply_parser), natives_.apply_parser))
        return nullptr;
    PyObject* lexer = global_of(mod, keys_.lexer);
    if (!is(global_of(lexer, keys_.symbolizer), natives_.symbolizer)) return nullptr;
    if (!is(global_of(global_of(mod, keys_.hostkit), keys_.presentable), natives_.presentable)) return nullptr;
    return lexer;
}

const Symbols& NativeRun::symbols_of(PyObject* list, ListCache<std::u32string>& cache, Symbols& scratch,
                                     const char* arg) {
    if (const Symbols* kept = cache.find(list)) return *kept;
    scratch = binding::symbols_of(list, "run", arg);
    return scratch;
}

const std::vector<lexer::Special>& NativeRun::specials_of(PyObject* lexer) {
    if (const std::vector<lexer::Special>* kept = specials_.find(global_of(lexer, keys_.special_tokens)))
        return *kept;
    specials_scratch_ = lexer::python::specials_for_scan(lexer);
    return specials_scratch_;
}

const Brackets& NativeRun::brackets_of(py::handle mod, PyObject* lexer) {
    PyObject* open = global_of(lexer, keys_.open_brackets);
    PyObject* close = global_of(lexer, keys_.close_brackets);
    if (open && close && open == open_.ptr() && close == close_.ptr()) return brackets_;
    if (!open || !close || !PyUnicode_CheckExact(open) || !PyUnicode_CheckExact(close)) {
        brackets_scratch_ = current_brackets(mod);
        return brackets_scratch_;
    }
    brackets_ = {pyglue::to_u32(open), pyglue::to_u32(close)};
    open_ = py::reinterpret_borrow<py::object>(open);
    close_ = py::reinterpret_borrow<py::object>(close);
    return brackets_;
}

std::optional<py::object> NativeRun::operator()(py::handle mod, py::handle self, py::handle name) {
    if (busy_) return std::nullopt;
    busy_ = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{busy_};
    PyObject* borrowed = lexer_if_native(mod.ptr());
    if (!borrowed) return std::nullopt;
    // Held: reading the instance's lists and the lexer's strings may run
    // Python code that rebinds the module's `lexer`.
    const py::object held = py::reinterpret_borrow<py::object>(borrowed);
    PyObject* lexer = held.ptr();
    py::object source = attribute(self, keys_.source_symbols);
    if (!source) return std::nullopt;
    py::object target = attribute(self, keys_.target_symbols);
    if (!target) return std::nullopt;
    if (!PyList_CheckExact(source.ptr()) || !PyList_CheckExact(target.ptr())) return std::nullopt;
    pyglue::assign_u32(name, name_);
    try {
        const Symbols& src = symbols_of(source.ptr(), source_, source_scratch_, "source_symbols");
        const Symbols& tgt = symbols_of(target.ptr(), target_, target_scratch_, "target_symbols");
        const std::vector<lexer::Special>& specials = specials_of(lexer);
        const Brackets& brackets = brackets_of(mod, lexer);
        std::u32string_view newname;
        try {
            newname = chain_.reshape(src, tgt, name_, specials, brackets);
        } catch (const lexer::UnmeasurableSpecial& bad) {
            lexer::python::raise_unmeasurable(lexer, bad);
        }
        if (newname != name_) return pyglue::from_u32(newname);
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;
    } catch (const std::exception&) {
    }
    return py::reinterpret_borrow<py::object>(name);  // unchanged: the caller's own object
}

}  // namespace reshaper::binding
