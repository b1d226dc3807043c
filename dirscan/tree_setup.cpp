// Making a `Filetree`: its windows, configuration and transform, the
// default pattern, and the settings it publishes to the row class.
#include "dirscan/bindings.hpp"

namespace dirscan::binding {

namespace {

void filetree_init(py::handle mod, py::object self, py::object parent1, py::object parent2,
                   py::object sizer1, py::object sizer2, py::object config, py::object transform,
                   py::object on_progress) {
    if (pyglue::truth(mod.attr("PROFILING"))) {
        py::object profiler = py::module_::import("cProfile").attr("Profile")();
        self.attr("prof") = profiler;
        profiler.attr("enable")();
    }
    self.attr("wxparent1") = parent1;
    self.attr("wxparent2") = parent2;
    self.attr("sizer1") = sizer1;
    self.attr("sizer2") = sizer2;
    self.attr("config") = config;
    // "~" is where a fresh configuration points: it means the home folder.
    py::object path = mod.attr("os").attr("path");
    self.attr("abslocation") = path.attr("abspath")(path.attr("expanduser")(config.attr("location")));
    self.attr("unreadable_folders") = py::list();  // filled by each walk
    self.attr("stopped_at_limit") = false;         // set by each walk
    if (!pyglue::truth(config.attr("pattern"))) {
        const bool folders = pyglue::truth(config.attr("folders"));
        config.attr("pattern") = (folders || !on_windows()) ? "*" : "*.*";
        dprint(mod, folders ? "config pattern is none and foldersis True, so pattern is:"
                            : "config pattern is none and foldersis False, so pattern is:",
               config.attr("pattern"));
    } else {
        dprint(mod, "config pattern is not None, so pattern is:", config.attr("pattern"));
    }
    self.attr("setup_fileitem_globals")(transform);
    self.attr("on_progress") = on_progress;
    self.attr("row_height") = 20;
    self.attr("rownmb") = 0;
    py::object rows = mod.attr("fileitem");
    rows.attr("nodes") = py::dict();
    rows.attr("propnodes") = py::dict();
    self.attr("head") = py::none();
}

void setup_fileitem_globals(py::handle mod, py::object self, py::object transform) {
    py::object row_class = mod.attr("Fileitem");
    for (const char* name : {"wxparent1", "wxparent2", "sizer1", "sizer2"})
        row_class.attr(name) = self.attr(name);
    row_class.attr("defined_transform") = transform;
    row_class.attr("location") = self.attr("abslocation");
}

}  // namespace

void add_setup_methods(py::dict& ns, const py::object& mod) {
    ns["__init__"] = method(
        [mod](py::object self, py::object parent1, py::object parent2, py::object sizer1, py::object sizer2,
              py::object config, py::object transform, py::object on_progress) {
            filetree_init(mod, self, parent1, parent2, sizer1, sizer2, config, transform, on_progress);
        },
        py::arg("parent1"), py::arg("parent2"), py::arg("sizer1"), py::arg("sizer2"), py::arg("config"),
        py::arg("transform"), py::arg("on_progress"));
    ns["setup_fileitem_globals"] = method(
        [mod](py::object self, py::object transform) { setup_fileitem_globals(mod, self, transform); },
        py::arg("transform"));
}

}  // namespace dirscan::binding
