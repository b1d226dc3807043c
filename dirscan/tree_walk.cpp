// The names the tree shows: the native walk below the chosen folder
// (collect.cpp), with the host's pattern, progress and limit messages.
#include <cstring>

#include "dirscan/collect.hpp"
#include "names/codec.hpp"
#include "wildcard/wildcard.hpp"
#include "dirscan/bindings.hpp"

namespace dirscan::binding {

namespace {

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

    bool stopped_at_limit = false;  // for the window to tell that names may be missing
    hooks.names_left = [&] { stopped_at_limit = true; };

    // Skipped in the walk, as the tree's rules ask, but kept for the window
    // to tell: (path, reason) for each folder that could not be read.
    py::list unreadable;
    hooks.unreadable = [&](const std::string& directory, int error) {
        unreadable.append(py::make_tuple(pyglue::from_u32(names::decode(directory)), py::str(std::strerror(error))));
    };

    const std::string top = names::encode(pyglue::to_u32(self.attr("abslocation")));
    const std::vector<std::u32string> names = dirscan::collect_names(top, options, hooks);
    self.attr("unreadable_folders") = unreadable;
    self.attr("stopped_at_limit") = stopped_at_limit;
    py::list out(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) out[i] = pyglue::from_u32(names[i]);
    return out;
}

}  // namespace

void add_walk_methods(py::dict& ns, const py::object& mod) {
    ns["get_names"] = method([mod](py::object self) { return get_names(mod, self); });
}

}  // namespace dirscan::binding
