// Helpers shared by the binding files: strings as code points, argument
// checks with the host's messages, and module globals looked up at use.
// Header-only; only binding files include it.
#pragma once

#include <pybind11/pybind11.h>

#include "debugline/debugline.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pyglue {

namespace py = pybind11;

inline std::string type_name(py::handle obj) { return Py_TYPE(obj.ptr())->tp_name; }

// The code points of a str, in order, into `out`. Anything else (bytes
// above all, whose memory is laid out otherwise) is a type error, never
// read as a str.
inline void assign_u32(py::handle str, std::u32string& out) {
    PyObject* s = str.ptr();
    if (!PyUnicode_Check(s)) throw py::type_error("expected str, not " + type_name(str));
    const auto n = static_cast<std::size_t>(PyUnicode_GET_LENGTH(s));
    out.resize(n);
    switch (PyUnicode_KIND(s)) {
    case PyUnicode_1BYTE_KIND:
        std::copy_n(PyUnicode_1BYTE_DATA(s), n, out.begin());
        break;
    case PyUnicode_2BYTE_KIND:
        std::copy_n(PyUnicode_2BYTE_DATA(s), n, out.begin());
        break;
    default:
        std::copy_n(PyUnicode_4BYTE_DATA(s), n, out.begin());
    }
}

inline std::u32string to_u32(py::handle str) {
    std::u32string out;
    assign_u32(str, out);
    return out;
}

// A str from code points. Lone surrogates survive the round trip, which a
// detour through UTF-8 would not allow.
inline py::str from_u32(std::u32string_view text) {
    PyObject* s = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, text.data(),
                                            static_cast<Py_ssize_t>(text.size()));
    if (!s) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(s);
}

// text[start:start + length] as a new str.
inline py::str substring(py::handle text, int32_t start, int32_t length) {
    PyObject* s = PyUnicode_Substring(text.ptr(), start, static_cast<Py_ssize_t>(start) + length);
    if (!s) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(s);
}

// The host's wording for an argument of the wrong type.
[[noreturn]] inline void wrong_type(const char* func, const char* arg, const char* expected,
                                    py::handle got) {
    throw py::type_error(std::string(func) + "() argument '" + arg + "' must be " + expected +
                         ", not " + type_name(got));
}

// Exactly the type named (no subclass, no None).
inline void require_exact(py::handle obj, PyTypeObject* type, const char* func, const char* arg,
                          const char* expected) {
    if (Py_TYPE(obj.ptr()) != type) wrong_type(func, arg, expected, obj);
}

inline void require_str(py::handle obj, const char* func, const char* arg) {
    require_exact(obj, &PyUnicode_Type, func, arg, "str");
}

// An integer argument held as a 32-bit signed value, with the host's
// conversion errors: a type error for what is not an integer, an overflow
// error for what does not fit.
inline int32_t to_int32(py::handle obj) {
    PyObject* index = PyNumber_Index(obj.ptr());
    if (!index) throw py::error_already_set();
    const long long value = PyLong_AsLongLong(index);
    Py_DECREF(index);
    if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
    if (value > INT32_MAX) {
        PyErr_SetString(PyExc_OverflowError, "signed integer is greater than maximum");
        throw py::error_already_set();
    }
    if (value < INT32_MIN) {
        PyErr_SetString(PyExc_OverflowError, "signed integer is less than minimum");
        throw py::error_already_set();
    }
    return static_cast<int32_t>(value);
}

inline bool truth(py::handle obj) {
    const int t = PyObject_IsTrue(obj.ptr());
    if (t < 0) throw py::error_already_set();
    return t != 0;
}

// Concatenation with the host's `+`: literal pieces are strings, other
// pieces are used as they are, so a value that is not a string fails as it
// would in the host.
inline py::object piece(const char* text) { return py::str(text); }
inline py::object piece(py::handle obj) { return py::reinterpret_borrow<py::object>(obj); }

template <typename... Parts>
py::object concat(const Parts&... parts) {
    py::object out = py::str("");
    ((out = out + piece(parts)), ...);
    return out;
}

// Sets aside the error being raised, if any, while clean-up code calls into
// Python, and raises it again when it goes out of scope. From Python 3.12 an
// error is one exception object, and the (type, value, traceback) calls are
// deprecated; before, they are all there is.
class SetAsideError {
public:
    SetAsideError() {
#if PY_VERSION_HEX >= 0x030C0000
        raised_ = PyErr_GetRaisedException();
#else
        PyErr_Fetch(&type_, &raised_, &trace_);
#endif
    }
    ~SetAsideError() {
#if PY_VERSION_HEX >= 0x030C0000
        PyErr_SetRaisedException(raised_);
#else
        PyErr_Restore(type_, raised_, trace_);
#endif
    }
    SetAsideError(const SetAsideError&) = delete;
    SetAsideError& operator=(const SetAsideError&) = delete;

private:
    PyObject* raised_ = nullptr;
#if PY_VERSION_HEX < 0x030C0000
    PyObject* type_ = nullptr;
    PyObject* trace_ = nullptr;
#endif
};

// Calls obj.method() from clean-up code: an error already on its way out
// survives it, and an error of the call itself is dropped. Returns the
// result, or None when the call failed.
inline py::object call_quietly(py::handle obj, const char* method) {
    const SetAsideError pending;
    PyObject* result = PyObject_CallMethod(obj.ptr(), method, nullptr);
    if (!result) PyErr_Clear();
    return result ? py::reinterpret_steal<py::object>(result) : py::none();
}

// Gives obj.name another value for as long as it lives, and puts the old
// one back however the scope is left, an exception included. A destructor
// may not throw: should putting it back fail, that error is dropped (for a
// module or plain object setting an attribute does not fail).
class TemporaryAttribute {
public:
    TemporaryAttribute(py::handle obj, const char* name, py::handle value)
        : obj_(py::reinterpret_borrow<py::object>(obj)), name_(name), saved_(obj_.attr(name)) {
        obj_.attr(name) = value;
    }
    ~TemporaryAttribute() {
        const SetAsideError pending;
        if (PyObject_SetAttrString(obj_.ptr(), name_, saved_.ptr()) != 0) PyErr_Clear();
    }
    TemporaryAttribute(const TemporaryAttribute&) = delete;
    TemporaryAttribute& operator=(const TemporaryAttribute&) = delete;

private:
    py::object obj_;
    const char* name_;
    py::object saved_;
};

// `a, b, ... = obj` with exactly `count` names, and the host's messages.
inline std::vector<py::object> unpack(py::handle obj, std::size_t count) {
    PyObject* it = PyObject_GetIter(obj.ptr());
    if (!it) {
        PyErr_Clear();
        throw py::type_error("cannot unpack non-iterable " + type_name(obj) + " object");
    }
    auto iterator = py::reinterpret_steal<py::object>(it);
    std::vector<py::object> out;
    while (PyObject* item = PyIter_Next(iterator.ptr())) {
        out.push_back(py::reinterpret_steal<py::object>(item));
        if (out.size() > count)
            throw py::value_error("too many values to unpack (expected " + std::to_string(count) +
                                  ")");
    }
    if (PyErr_Occurred()) throw py::error_already_set();
    if (out.size() < count)
        throw py::value_error("not enough values to unpack (expected " + std::to_string(count) +
                              ", got " + std::to_string(out.size()) + ")");
    return out;
}

// Module-level functions may be replaced by the host or by a test, so they
// are looked up at every use. While a name still holds a module's own
// native function, callers skip the round trip through Python. The
// originals are kept in the module's `_natives`, so that an identity test
// is never fooled by a freed object's address being reused.
inline void keep_native(py::module_& m, const char* name) {
    if (!py::hasattr(m, "_natives")) m.attr("_natives") = py::dict();
    m.attr("_natives")[name] = m.attr(name);
}

// The original `name` of the loaded module `module_name`, as keep_native
// kept it, or nothing.
inline py::object native_of(const char* module_name, const char* name) {
    PyObject* module = PyImport_GetModule(py::str(module_name).ptr());
    if (!module) {
        if (PyErr_Occurred()) throw py::error_already_set();
        return py::object();
    }
    auto held = py::reinterpret_steal<py::object>(module);
    py::object natives = py::getattr(held, "_natives", py::none());
    if (!PyDict_Check(natives.ptr())) return py::object();
    return py::reinterpret_borrow<py::object>(PyDict_GetItemString(natives.ptr(), name));
}

// Whether `current` is the native `name` of the loaded module `module_name`.
inline bool is_native(py::handle current, const char* module_name, const char* name) {
    py::object original = native_of(module_name, name);
    return original && current.ptr() == original.ptr();
}

// Calls `holder.<name>` as it stands now: `native()` while it still holds
// the native `name` of the module `module_name`, else the replacement with
// `args`.
template <typename Native, typename... Args>
py::object call_current(py::handle holder, const char* name, const char* module_name, Native&& native,
                        Args&&... args) {
    py::object current = holder.attr(name);
    if (is_native(current, module_name, name)) return native();
    return current(std::forward<Args>(args)...);
}

// A debug line through the module's `dprint`, looked up at every call so
// that a replacement takes effect.
template <typename... Args>
void dprint(py::handle module, Args&&... args) {
    module.attr("dprint")(std::forward<Args>(args)...);
}

// True while a module's `dprint` is still the native printer and it is
// switched off: then nobody can see a debug line, and building one can be
// skipped without changing what a replaced printer would receive.
inline bool debug_quiet(py::handle module) {
    return is_native(module.attr("dprint"), "debugline", "dprint") && !debugline::enabled();
}

// A Python class made as a class statement makes it, type(name, bases,
// namespace), so that it can derive from classes written in Python.
inline py::object make_class(const char* module_name, const char* name, const char* doc,
                             py::tuple bases, py::dict ns) {
    ns["__module__"] = module_name;
    ns["__qualname__"] = name;
    ns["__doc__"] = doc;
    return py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(&PyType_Type))(
        name, bases, ns);
}

// A C++ function that binds like a Python function when it is put into a
// class namespace: its first argument is the instance.
template <typename F, typename... Extra>
py::cpp_function method(F&& f, const Extra&... extra) {
    return py::cpp_function(std::forward<F>(f), py::is_method(py::none()), extra...);
}

}  // namespace pyglue
