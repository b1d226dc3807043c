// The transformer `Reshape`: a configuration's formats made into symbols once,
// and `run` for each name, in native code while nothing of the chain was
// replaced and no debug line can be seen.
#include <memory>
#include <optional>

#include "reshaper/bindings.hpp"
#include "reshaper/native_run.hpp"
#include "reshaper/transformer.hpp"

namespace reshaper::binding {

namespace {

using pyglue::dprint;

const char* const RESHAPE_DOC =
    "The function to be called when a Reformat operaitons is requested\n"
    "Note that this rquires additional paramrters: tee source and target name syntaxes";

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

// run() through the module functions, with its debug lines.
py::object traced_run(py::handle mod, py::object self, py::object name) {
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

py::object reshape_run(NativeRun& native_run, py::handle mod, py::object self, py::object name) {
    pyglue::require_str(name, "run", "name");
    if (std::optional<py::object> quick = native_run(mod, self, name)) return *quick;
    return traced_run(mod, self, name);
}

// What `run` holds: its module, the shortcut (one for each module object, as
// what it keeps holds Python objects), and the binding that parses any call.
struct RunEntry {
    py::object mod;
    NativeRun native_run;
    py::object general;
};

// `run` as the interpreter calls it. The call nearly every caller makes,
// the instance and one str by position, goes straight to the work, without
// the general binding's parsing of arguments; any other call goes to that
// binding, which checks and words the arguments.
PyObject* run_entry(PyObject* capsule, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    auto* entry = static_cast<RunEntry*>(PyCapsule_GetPointer(capsule, nullptr));
    if (!entry) return nullptr;
    try {
        if (nargs != 2 || kwnames || !PyUnicode_CheckExact(args[1]))
            return PyObject_Vectorcall(entry->general.ptr(), args, static_cast<size_t>(nargs), kwnames);
        const auto self = py::reinterpret_borrow<py::object>(args[0]);
        const auto name = py::reinterpret_borrow<py::object>(args[1]);
        return reshape_run(entry->native_run, entry->mod, self, name).release().ptr();
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (const py::builtin_exception& e) {
        e.set_error();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "Reshape.run failed in native code");
    }
    return nullptr;
}

PyMethodDef RUN_METHOD = {"run", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&run_entry)),
                          METH_FASTCALL | METH_KEYWORDS, "run(self, name: str) -> str"};

// `run` as a method: a function of the entry that binds like a Python function.
py::object make_run(py::object mod) {
    auto owned = std::make_unique<RunEntry>(RunEntry{mod, NativeRun(), py::object()});
    RunEntry* entry = owned.get();
    py::capsule held(entry, [](void* p) { delete static_cast<RunEntry*>(p); });
    owned.release();  // the capsule's now
    NativeRun& native_run = entry->native_run;
    entry->general = pyglue::method(
        [mod, &native_run](py::object self, py::object name) { return reshape_run(native_run, mod, self, name); },
        py::arg("name"), "run(self, name: str) -> str");
    auto function = py::reinterpret_steal<py::object>(PyCFunction_NewEx(&RUN_METHOD, held.ptr(), nullptr));
    if (!function) throw py::error_already_set();
    auto method = py::reinterpret_steal<py::object>(PyInstanceMethod_New(function.ptr()));
    if (!method) throw py::error_already_set();
    return method;
}

py::object make_reshape_class(py::object mod) {
    py::dict ns;
    ns["__init__"] = pyglue::method(
        [mod](py::object self, py::object cfg) { reshape_init(mod, self, cfg); },
        py::arg("cfg"), "__init__(self, cfg: prefstore.Config)");
    ns["validate"] = pyglue::method(&reshape_validate, "validate(self) -> str");
    ns["run"] = make_run(mod);
    return pyglue::make_class("reshaper", "Reshape", RESHAPE_DOC, py::make_tuple(), ns);
}
}  // namespace

void register_reshape(py::module_& m) { m.attr("Reshape") = make_reshape_class(m); }

}  // namespace reshaper::binding
