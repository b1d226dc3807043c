// Walking a folder the way the host's os.walk does (top-down, followlinks
// off). Paths and names are the file system's bytes; names/codec.hpp reads
// them as the host does.
#pragma once

#include <functional>
#include <string>
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
// Returns false when `visit` ended the walk with subfolders not yet
// visited (links among them, which would be passed over, count too).
using WalkFailure = std::function<void(const std::string& path, int error)>;
bool walk(const std::string& top, const std::function<bool(Directory&)>& visit,
          const WalkFailure& failed = nullptr);

// What a walk for the names of one kind hands over for each directory:
// its path relative to the walk's `top` ("" for `top` itself), the names
// of that kind in listing order (the caller's to take), and the directory
// as listed.
struct Found {
    std::string relative;
    std::vector<std::string>& names;
    Directory& dir;
};

// walk() for the names of files, or of folders when `folders` (those are a
// copy: the walk goes on with the directory's own).
bool walk_names(const std::string& top, bool folders, const std::function<bool(Found&)>& visit,
                const WalkFailure& failed = nullptr);

// `parent` and `name` joined with one slash.
std::string join(const std::string& parent, const std::string& name);

// The path of a visited directory relative to the walk's `top`, without a
// leading separator ("" for `top` itself, also when it is a root).
std::string relative_to(const std::string& top, const std::string& path);

}  // namespace folderwalk
