// Python interface of the file tree: `Filetree`, which walks the chosen
// folder, builds the rows of the tree and offers the selection commands and
// the rename list. The walk and the wildcard match are native (collect.cpp
// over folderwalk/, and wildcard/); here are the rows, the messages and
// the toolkit calls, in the order the tree makes them.
#include <chrono>
#include <cstdio>
#include <optional>

#include "dirscan/collect.hpp"
#include "names/codec.hpp"
#include "pyglue/pyglue.hpp"
#include "wildcard/wildcard.hpp"

namespace py = pybind11;
using pyglue::method;

namespace {

using pyglue::dprint;

// The host's progress callback, when one is set.
void progress(py::handle self, py::handle message) {
    py::object callback = self.attr("on_progress");
    if (pyglue::truth(callback)) callback(message);
}

bool folder_mode(py::handle self) { return pyglue::truth(self.attr("config").attr("folders")); }

const char* kind(py::handle self) { return folder_mode(self) ? "folders" : "files"; }

py::object wx_of(py::handle mod) { return mod.attr("wx"); }

bool on_windows() {
    return py::str(py::module_::import("sys").attr("platform")).equal(py::str("win32"));
}

// ---- construction ----

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

// ---- the walk ----

py::list get_names(py::handle mod, py::object self) {
    py::object config = self.attr("config");
    py::object pattern = config.attr("pattern");
    const bool any_name = !pyglue::truth(pattern);
    const bool host_rules = !any_name && on_windows();  // case folding and slashes: the host's own
    std::unique_ptr<wildcard::Pattern> native;
    if (!any_name && !host_rules) {
        pyglue::require_str(pattern, "get_names", "pattern");
        native = std::make_unique<wildcard::Pattern>(pyglue::to_u32(pattern));
    }
    py::object max_files = mod.attr("MAX_FILES");

    dirscan::CollectOptions options;
    options.folders = folder_mode(self);
    options.recursive = pyglue::truth(config.attr("recursive"));
    options.max_files = static_cast<std::size_t>(std::max(0, pyglue::to_int32(max_files)));
    options.report_progress = pyglue::truth(self.attr("on_progress"));

    dirscan::CollectHooks hooks;
    hooks.matches = [&](std::u32string_view name) {
        if (any_name) return true;
        if (native) return native->matches(name);
        return pyglue::truth(mod.attr("fnmatch").attr("fnmatch")(pyglue::from_u32(name), pattern));
    };
    hooks.progress = [&](const std::string& directory) {
        wx_of(mod).attr("Yield")();
        progress(self, pyglue::concat("Processing ", pyglue::from_u32(names::decode(directory))));
    };
    hooks.breaking_inner = [&] { dprint(mod, "*** breaking inner"); };
    hooks.limit_reached = [&] {
        progress(self, pyglue::concat("Only (", py::str(max_files),
                                      ") files can be processed at one time, additional files will be ignored"));
        dprint(mod, "*** breaking outer");
    };

    const std::string top = names::encode(pyglue::to_u32(self.attr("abslocation")));
    const std::vector<std::u32string> names = dirscan::collect_names(top, options, hooks);
    py::list out(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) out[i] = pyglue::from_u32(names[i]);
    return out;
}

// ---- building ----

py::object add_branch(py::handle mod, py::object self, py::object name, py::object branchnodes) {
    pyglue::require_str(name, "add_branch", "name");
    pyglue::require_exact(branchnodes, &PyList_Type, "add_branch", "branchnodes", "list");
    dprint(mod, "in add_branch");
    py::list components;
    components.append(py::str(""));
    for (py::handle part : name.attr("split")(mod.attr("os").attr("sep"))) components.append(part);
    const std::size_t count = components.size();
    auto chain = py::reinterpret_borrow<py::list>(branchnodes);

    std::size_t i = 0;
    py::object current = chain.size() ? py::object(chain[0]) : self.attr("head");
    while (i < count && i < chain.size() && py::object(components[i]).equal(py::object(chain[i].attr("name")))) {
        current = chain[i];
        ++i;
    }
    py::list path = chain[py::slice(0, static_cast<Py_ssize_t>(i), 1)];
    if (i < count && path.size()) {
        py::object children = path[path.size() - 1].attr("children");
        if (children.contains(components[i])) {
            current = children[components[i]];
            path.append(current);
            ++i;
        }
    }
    py::object row_class = mod.attr("Fileitem");
    for (; i < count; ++i) {
        py::object row = row_class(py::arg("branch") = components[py::slice(0, static_cast<Py_ssize_t>(i + 1), 1)],
                                   py::arg("parent") = current, py::arg("indent") = i,
                                   py::arg("rownmb") = self.attr("rownmb"));
        row.attr("format_row_leftside")();
        row.attr("format_row_rightside")();
        path.append(row);
        self.attr("rownmb") = py::object(self.attr("rownmb")) + py::int_(1);
        current = row;
    }
    return py::make_tuple(current, path);
}

void finish_nodes(py::handle mod) {
    py::object unchecked = wx_of(mod).attr("CHK_UNCHECKED");
    for (py::handle row : py::list(mod.attr("fileitem").attr("nodes").attr("values")())) {
        if (!pyglue::truth(row.attr("leaf"))) row.attr("set_right_click")();
        row.attr("set_checkbox_state")(unchecked);
    }
}

void show_nothing_found(py::handle mod, py::object self) {
    py::object wx = wx_of(mod);
    py::object pattern = self.attr("config").attr("pattern");
    py::object matching = pyglue::truth(pattern) ? pyglue::concat(" matching ", pattern) : py::str("");
    py::object message = pyglue::concat("No ", kind(self), matching, " found");
    py::object caption = pyglue::concat(mod.attr("hostkit").attr("scriptname")(), " file selection");
    py::module_::import("messagebox").attr("show_message")(self.attr("wxparent1"), message, caption,
                                                           wx.attr("CENTRE"));
}

// Keeps the panes out of sight while rows are added to them: each hand-over
// to the toolkit would otherwise lay out and paint every row made so far.
// They are shown again however the build ends.
class PanesHidden {
public:
    explicit PanesHidden(py::object self) {
        for (const char* name : {"wxparent1", "wxparent2"}) {
            py::object pane = self.attr(name);
            if (pyglue::truth(pane.attr("IsShown")())) {
                pane.attr("Hide")();
                hidden_.push_back(pane);
            }
        }
    }
    ~PanesHidden() {
        for (py::object& pane : hidden_) {
            pyglue::call_quietly(pane, "Show");
            py::object parent = pyglue::call_quietly(pane, "GetParent");
            if (!parent.is_none()) pyglue::call_quietly(parent, "Layout");
        }
    }

private:
    std::vector<py::object> hidden_;
};

// Step 4 of a build, under a busy cursor: collect the names and insert
// them in sorted order, handing the toolkit its pending events every 51
// names. Returns the number of names collected.
std::size_t fill_tree(py::handle mod, py::object self) {
    py::object busy = wx_of(mod).attr("BusyCursor")();  // gone when this scope ends, error or not
    std::optional<PanesHidden> out_of_sight(std::in_place, self);
    py::object chain = py::list();
    chain.attr("append")(self.attr("head"));
    py::list names = self.attr("get_names")();
    if (pyglue::truth(mod.attr("debug")))
        for (py::handle name : names) dprint(mod, "name:", name);
    if (names.size()) {
        int progresscnt = 0;
        for (py::handle name : names) {
            if (progresscnt > 50) {
                progress(self, pyglue::concat("Processing ", name));
                wx_of(mod).attr("Yield")();
                progresscnt = 0;
            }
            ++progresscnt;
            std::vector<py::object> pair = pyglue::unpack(self.attr("add_branch")(name, chain), 2);
            chain = pair[1];
            pair[0].attr("format_row")();
        }
    } else {
        show_nothing_found(mod, self);
    }
    self.attr("finish_nodes")();
    out_of_sight.reset();
    py::object pane = self.attr("wxparent1");
    pane.attr("Layout")();
    pane.attr("Refresh")();
    return names.size();
}

std::string seconds(double elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%10.3f", elapsed);
    return text;
}

void build(py::handle mod, py::object self) {
    const auto start = std::chrono::steady_clock::now();
    self.attr("rownmb") = 0;
    py::list root_branch;
    root_branch.append(py::str(""));
    self.attr("head") = mod.attr("Fileitem")(py::arg("branch") = root_branch, py::arg("parent") = py::none(),
                                             py::arg("indent") = -1,
                                             py::arg("rownmb") = py::object(self.attr("rownmb")) - py::int_(1));
    py::object location = self.attr("abslocation");
    progress(self, pyglue::concat("Building filetree for ", location));
    const std::size_t count = fill_tree(mod, self);
    const bool maxed = static_cast<long long>(count) > pyglue::to_int32(mod.attr("MAX_FILES"));
    progress(self, pyglue::concat(maxed ? "Maximum number of " : "", py::str(py::int_(count)), " files loaded"));
    if (pyglue::truth(mod.attr("TIMING"))) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        py::print(pyglue::concat("++++++++++ '", location, "' ", py::str(py::int_(count)), " ", kind(self),
                                 " ~ initial: ", seconds(elapsed).c_str()));
    }
    if (pyglue::truth(mod.attr("PROFILING")) && py::hasattr(self, "prof")) {
        py::object profiler = self.attr("prof");
        profiler.attr("disable")();
        profiler.attr("dump_stats")("dirscan.profile");
    }
}

// ---- selections and the rename list ----

py::object all_rows(py::handle mod) { return mod.attr("fileitem").attr("nodes").attr("values")(); }

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

py::object make_filetree(py::object mod) {
    py::dict ns;
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
    ns["get_names"] = method([mod](py::object self) { return get_names(mod, self); });
    ns["add_branch"] = method(
        [mod](py::object self, py::object name, py::object chain) { return add_branch(mod, self, name, chain); },
        py::arg("name"), py::arg("branchnodes"));
    ns["build"] = method([mod](py::object self) { build(mod, self); });
    ns["finish_nodes"] = method([mod](py::object) { finish_nodes(mod); });
    ns["set_all_checkboxes"] = method(
        [mod](py::object self, py::object state) { set_all_checkboxes(mod, self, state); }, py::arg("state"));
    ns["invert_all_selections"] = method([mod](py::object self) { invert_all_selections(mod, self); });
    ns["untick_all"] = method([mod](py::object) { untick_all(mod); });
    ns["renames"] = method([mod](py::object) { return Renames(mod); });
    ns["dump"] = method(&dump, py::arg("node") = py::none());
    return pyglue::make_class("dirscan", "Filetree", "The tree of rows that shows the chosen folder",
                              py::make_tuple(), ns);
}

}  // namespace

PYBIND11_MODULE(dirscan, m) {
    m.attr("__version__") = "1.4";
    for (const char* name : {"os", "fnmatch", "time"}) m.attr(name) = py::module_::import(name);
    py::module_ typing = py::module_::import("typing");
    for (const char* name : {"Callable", "Final", "Self"}) m.attr(name) = typing.attr(name);
    m.attr("wx") = py::module_::import("wx");
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    py::module_ rows = py::module_::import("fileitem");
    m.attr("fileitem") = rows;
    m.attr("Fileitem") = rows.attr("Fileitem");
    m.attr("prefstore") = py::module_::import("prefstore");
    m.attr("debug") = false;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("TIMING") = true;
    m.attr("PROFILING") = false;
    if (pyglue::truth(m.attr("PROFILING"))) m.attr("cProfile") = py::module_::import("cProfile");
    m.attr("MAX_FILES") = 500;

    py::class_<Renames>(m, "_Renames")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &Renames::next);

    // Methods hold the module whose globals they read; the interpreter
    // clears module dictionaries at exit, which ends that cycle.
    py::object mod = m;
    m.attr("Filetree") = make_filetree(mod);
}
