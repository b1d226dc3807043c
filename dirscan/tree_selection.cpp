// What the user does with the built tree: check, uncheck or invert every
// row, clear the tick marks, and the rows to rename.
#include "dirscan/bindings.hpp"

namespace dirscan::binding {

namespace {

void set_all_checkboxes(py::handle mod, py::object self, py::object state) {
    const py::int_ value(pyglue::to_int32(state));  // checked before any row is touched
    for (py::handle row : py::list(self.attr("head").attr("children").attr("values")())) {
        dprint(mod, pyglue::concat("propagating for '", row.attr("name"), "'"));
        row.attr("propagate_checkbox_state")(value);
    }
}

void invert_all_selections(py::handle mod, py::object self) {
    py::object wx = wx_of(mod);
    py::object checked = wx.attr("CHK_CHECKED");
    py::object unchecked = wx.attr("CHK_UNCHECKED");
    for (py::handle row : py::list(all_rows(mod))) {
        py::object checkbox = row.attr("checkbox");
        py::object value = checkbox.attr("Get3StateValue")();
        if (value.equal(checked))
            checkbox.attr("Set3StateValue")(unchecked);
        else if (value.equal(unchecked))
            checkbox.attr("Set3StateValue")(checked);
    }
    self.attr("wxparent1").attr("Refresh")();
}

void untick_all(py::handle mod) {
    for (py::handle row : py::list(all_rows(mod)))
        if (pyglue::truth(row.attr("ticked"))) row.attr("tick").attr("SetValue")(" ");
}

// The rows to rename, read one at a time as they are asked for: each row's
// flag and checkbox are judged when the row is reached.
class Renames {
public:
    explicit Renames(py::object mod) : mod_(std::move(mod)) {}

    py::object next() {
        if (!rows_) rows_ = py::iter(all_rows(mod_));  // as a generator, nothing before the first request
        py::object checked = wx_of(mod_).attr("CHK_CHECKED");
        while (PyObject* item = PyIter_Next(rows_.ptr())) {
            auto row = py::reinterpret_steal<py::object>(item);
            if (pyglue::truth(row.attr("ticked")) && row.attr("checkbox").attr("Get3StateValue")().equal(checked))
                return row;
        }
        if (PyErr_Occurred()) throw py::error_already_set();  // the registry changed under the iteration
        throw py::stop_iteration();
    }

private:
    py::object mod_;
    py::object rows_;
};

void dump(py::object self, py::object node) {
    if (node.is_none()) node = self.attr("head");
    for (py::handle child : py::list(node.attr("children").attr("values")())) self.attr("dump")(child);
}

}  // namespace

void add_selection_methods(py::dict& ns, const py::object& mod) {
    ns["set_all_checkboxes"] = method(
        [mod](py::object self, py::object state) { set_all_checkboxes(mod, self, state); }, py::arg("state"));
    ns["invert_all_selections"] = method([mod](py::object self) { invert_all_selections(mod, self); });
    ns["untick_all"] = method([mod](py::object) { untick_all(mod); });
    ns["renames"] = method([mod](py::object) { return Renames(mod); });
    ns["dump"] = method(&dump, py::arg("node") = py::none());
}

void register_renames(py::module_& m) {
    py::class_<Renames>(m, "_Renames")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &Renames::next);
}

}  // namespace dirscan::binding
