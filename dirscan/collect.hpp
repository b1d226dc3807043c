// The names the file tree shows: the walk below a chosen folder, filtered
// by the pattern, up to the tree's limit of entries.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dirscan {

struct CollectOptions {
    bool folders = false;          // collect folders rather than files
    bool recursive = true;         // walk below the chosen folder
    std::size_t max_files = 500;   // the walk ends once more candidates were examined
    bool report_progress = false;  // call `progress` every 51st directory
};

struct CollectHooks {
    std::function<bool(std::u32string_view name)> matches;       // the pattern
    std::function<void(const std::string& directory)> progress;  // every 51st directory
    std::function<void()> breaking_inner;                        // limit hit inside a directory
    std::function<void()> limit_reached;                         // the walk ends at the limit
    // Then, when names may be left unread: a matching one passed over, or
    // folders never visited. May be left unset.
    std::function<void()> names_left;
    // A folder that could not be read (the chosen one included), with errno;
    // the walk goes on without it. May be left unset.
    std::function<void(const std::string& directory, int error)> unreadable;
};

// The names below `top` (relative, slash-separated), sorted by code point.
std::vector<std::u32string> collect_names(const std::string& top, const CollectOptions& options,
                                          const CollectHooks& hooks);

}  // namespace dirscan
