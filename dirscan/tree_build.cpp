// Building the tree: each collected name joins it where branch.cpp says,
// new rows are made and formatted, and the rows are finished, while the
// panes stay out of sight and the window keeps answering.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "dirscan/branch.hpp"
#include "dirscan/bindings.hpp"

namespace dirscan::binding {

namespace {

py::object add_branch(py::handle mod, py::object self, py::object name, py::object branchnodes) {
    pyglue::require_str(name, "add_branch", "name");
    pyglue::require_exact(branchnodes, &PyList_Type, "add_branch", "branchnodes", "list");
    dprint(mod, "in add_branch");
    py::list components;
    components.append(py::str(""));
    for (py::handle part : name.attr("split")(mod.attr("os").attr("sep"))) components.append(part);
    auto chain = py::reinterpret_borrow<py::list>(branchnodes);
    const Join join = join_branch(
        components.size(), chain.size(),
        [&](std::size_t i) { return py::object(components[i]).equal(py::object(chain[i].attr("name"))); },
        [&](std::size_t i) { return chain[i - 1].attr("children").contains(components[i]); });

    py::list path = chain[py::slice(0, static_cast<Py_ssize_t>(join.shared), 1)];
    py::object current = join.shared ? py::object(chain[join.shared - 1])
                                     : chain.size() ? py::object(chain[0]) : self.attr("head");
    if (join.known_child) {
        current = current.attr("children")[components[join.shared]];
        path.append(current);
    }
    py::object row_class = mod.attr("Fileitem");
    for (std::size_t i = join.first_new; i < components.size(); ++i) {
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
    for (py::handle row : py::list(all_rows(mod))) {
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
    // All panes are shown before their parent lays them out, once: a
    // layout works out the size of every row, and one with a pane still
    // hidden would be thrown away.
    ~PanesHidden() {
        std::vector<py::object> parents;
        for (py::object& pane : hidden_) {
            pyglue::call_quietly(pane, "Show");
            py::object parent = pyglue::call_quietly(pane, "GetParent");
            const bool known = std::any_of(parents.begin(), parents.end(),
                                           [&](const py::object& p) { return p.is(parent); });
            if (!parent.is_none() && !known) parents.push_back(parent);
        }
        for (py::object& parent : parents) pyglue::call_quietly(parent, "Layout");
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

}  // namespace

void add_build_methods(py::dict& ns, const py::object& mod) {
    ns["add_branch"] = method(
        [mod](py::object self, py::object name, py::object chain) { return add_branch(mod, self, name, chain); },
        py::arg("name"), py::arg("branchnodes"));
    ns["build"] = method([mod](py::object self) { build(mod, self); });
    ns["finish_nodes"] = method([mod](py::object) { finish_nodes(mod); });
}

}  // namespace dirscan::binding
