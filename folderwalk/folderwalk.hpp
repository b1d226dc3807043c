// Walking a folder the way the host's os.walk does (top-down, followlinks
// off), and collecting the names a file tree shows. Paths are the file
// system's bytes; names handed to callers are decoded to code points with
// the host's rules (UTF-8, undecodable bytes kept as U+DC80..U+DCFF).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace folderwalk {

// One directory as the walk visits it: its path and its entries in the
// order the file system lists them. Links to directories are among `dirs`.
struct Directory {
    std::string path;
    std::vector<std::string> dirs;
    std::vector<std::string> files;
};

// Visits `top` and then, depth-first in listing order, every subdirectory
// that is not a symbolic link. Each directory is opened relative to its
// parent, so paths longer than PATH_MAX are walked too. A directory that
// cannot be read is passed over, and told to `failed` (when given) with the
// errno. `visit` returns false to end the walk; it may take the names of
// files (the walk needs only `dirs`).
using WalkFailure = std::function<void(const std::string& path, int error)>;
void walk(const std::string& top, const std::function<bool(Directory&)>& visit,
          const WalkFailure& failed = nullptr);

// `parent` and `name` joined with one slash.
std::string join(const std::string& parent, const std::string& name);

// The path of a visited directory relative to the walk's `top`, without a
// leading separator ("" for `top` itself, also when it is a root).
std::string relative_to(const std::string& top, const std::string& path);

// File-system bytes as the host decodes them.
std::u32string decode(std::string_view bytes);

// Code points back to the bytes they were decoded from.
std::string encode(std::u32string_view text);

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
};

// The names below `top` (relative, slash-separated), sorted by code point.
std::vector<std::u32string> collect_names(const std::string& top, const CollectOptions& options,
                                          const CollectHooks& hooks);

}  // namespace folderwalk
