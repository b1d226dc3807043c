// Folders of files that each hold unique contents, and the exact map from
// their paths to their contents, to compare the whole disk before and after
// renames. Everything works relative to open folders, so trees deeper than
// PATH_MAX are fine.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace disktree {

// A fresh folder under the system's temporary folder, removed with all its
// contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Relative paths; a trailing slash makes a folder, and every file's
// contents are "contents of " and its path.
void make(const std::string& root, const std::vector<std::string>& layout);

// A relative path of a hundred nested folders of 60-byte names, far
// longer than PATH_MAX.
std::string deeper_than_path_max();

// {path: contents} for files, {path + "/": ""} for folders.
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const std::string& root);

// `before` after renaming at once every path of `renames` (old path -> new
// name); a folder carries its contents along.
Snapshot moved(const Snapshot& before, const std::map<std::string, std::string>& renames);

// The contents of every file, whatever their names: nothing may get lost.
std::multiset<std::string> contents(const Snapshot& snapshot);

}  // namespace disktree
