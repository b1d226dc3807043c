// The row itself: its branch, parent, registries, text, transform and new
// name.
#include "fileitem/bindings.hpp"
#include "names/rules.hpp"

namespace fileitem::binding {

namespace {

py::object property(py::cpp_function getter) {
    return py::module_::import("builtins").attr("property")(getter);
}

void row_init(py::handle mod, py::object self, py::object branch, py::object parent, py::object indent,
              py::object rownmb) {
    pyglue::require_exact(branch, &PyList_Type, "Fileitem", "branch", "list");
    const int32_t depth = pyglue::to_int32(indent);
    const int32_t row = pyglue::to_int32(rownmb);
    py::object os = mod.attr("os");
    py::object sep = os.attr("sep");
    self.attr("branch") = branch;
    self.attr("stem") = sep.attr("join")(branch[py::slice(0, -1, 1)]);
    py::object path = pyglue::concat(py::handle(setting(self, "location")), py::handle(sep.attr("join")(branch)));
    self.attr("folder") = os.attr("path").attr("isdir")(path);
    self.attr("parent") = parent;
    self.attr("indent") = py::int_(depth);
    if (!parent.is_none()) parent.attr("children")[self.attr("name")] = self;
    self.attr("expandchar") = mod.attr("MARK_EXPANDED");
    for (const char* field : {"exp1", "exp2"}) self.attr(field) = py::none();
    self.attr("collapsed") = false;
    self.attr("ticked") = false;
    self.attr("children") = py::dict();
    for (const char* field : {"checkbox", "tick", "proposed"}) self.attr(field) = py::none();
    if (depth > -1) {
        self.attr("setup_leftside")(row);
        self.attr("setup_rightside")(row);
    }
}

void update_parent(py::object self) {
    py::object parent = self.attr("parent");
    if (!parent.is_none()) parent.attr("children")[self.attr("name")] = self;
}

py::object row_text(py::handle mod, py::object self) {
    py::object parent = self.attr("parent");
    const bool orphan = parent.is_none();
    py::object parent_name = orphan ? py::str("Empty") : py::str(parent.attr("name"));
    py::object parent_id = orphan ? py::str("-") : py::str(identity(parent));
    py::object children = mod.attr("hostkit").attr("andlist")(py::list(self.attr("children")),
                                                              py::arg("quote") = "'");
    return pyglue::concat("<Fileitem: name: '", py::handle(self.attr("name")), "', parent: ",
                          py::handle(parent_name), " (", py::handle(parent_id), "), indent: ",
                          py::handle(py::str(self.attr("indent"))), "\n    children: ",
                          py::handle(children), ">");
}

py::object transform(py::object self) {
    py::object name = self.attr("name");
    py::object defined = setting(self, "defined_transform");
    if (defined.is_none()) return name;
    if (pyglue::truth(self.attr("folder"))) return defined(name) + py::str("");
    pyglue::require_str(name, "transform", "name");
    const auto length = static_cast<int32_t>(PyUnicode_GET_LENGTH(name.ptr()));
    const auto dot = static_cast<int32_t>(names::extension_start(to_u32(name)));
    return defined(pyglue::substring(name, 0, dot)) + pyglue::substring(name, dot, length - dot);
}

py::object newname(py::object self) {
    py::object text = self.attr("proposed").attr("GetValue")();
    return pyglue::truth(text) ? text : py::object(self.attr("name"));
}

}  // namespace

void add_model_methods(py::dict& ns, const py::object& mod) {
    ns["location"] = "";
    ns["__init__"] = method(
        [mod](py::object self, py::object branch, py::object parent, py::object indent, py::object rownmb) {
            row_init(mod, self, branch, parent, indent, rownmb);
        },
        py::arg("branch"), py::arg("parent"), py::arg("indent"), py::arg("rownmb"));
    ns["update_parent"] = method(&update_parent);
    ns["__str__"] = method([mod](py::object self) { return row_text(mod, self); });
    ns["transform"] = method(&transform);
    ns["leaf"] = property(py::cpp_function([](py::object self) { return is_leaf(self); }));
    ns["name"] = property(py::cpp_function([](py::object self) { return self.attr("branch")[py::int_(-1)]; }));
    ns["newname"] = property(py::cpp_function(&newname));
}

}  // namespace fileitem::binding
