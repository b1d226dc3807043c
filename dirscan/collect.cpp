#include "collect.hpp"

#include <algorithm>

#include "folderwalk/folderwalk.hpp"
#include "names/codec.hpp"

namespace dirscan {

std::vector<std::u32string> collect_names(const std::string& top, const CollectOptions& options,
                                          const CollectHooks& hooks) {
    std::vector<std::u32string> found;
    std::size_t examined = 0;
    bool passed_over = false, limit = false;
    std::size_t since_progress = 0;
    const bool all_visited = folderwalk::walk_names(top, options.folders, [&](folderwalk::Found& here) {
        if (options.report_progress) {
            if (since_progress > 50) {
                hooks.progress(here.dir.path);
                since_progress = 0;
            }
            ++since_progress;
        }
        const std::u32string relative = names::decode(here.relative);
        for (const std::string& candidate : here.names) {
            const std::u32string name = names::decode(candidate);
            if (hooks.matches(name)) {
                if (examined > options.max_files) {
                    hooks.breaking_inner();
                    passed_over = true;
                    break;
                }
                found.push_back(relative.empty() ? name : relative + U'/' + name);
            }
            ++examined;
        }
        if (examined > options.max_files) {
            hooks.limit_reached();
            limit = true;
            return false;
        }
        return options.recursive;
    }, hooks.unreadable);
    if (limit && (passed_over || (options.recursive && !all_visited)) && hooks.names_left) hooks.names_left();
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace dirscan
