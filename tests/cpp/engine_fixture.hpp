// What the engine tests share: a folder to rename in, a folder for the
// journals, and the renames a result says were done.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "disk_tree.hpp"
#include "renamer/engine.hpp"

namespace enginetest {

struct Folders {
    disktree::TempFolder files, state;
    std::string journals() const { return state.path() + "/reshape"; }
    std::string base() const { return files.path(); }
};

// old path -> new name, for the entries the result says were done.
inline std::map<std::string, std::string> done_renames(const std::vector<renamer::Entry>& result) {
    std::map<std::string, std::string> out;
    for (const renamer::Entry& e : result)
        if (e.status == renamer::Status::done) out[e.path] = e.new_name;
    return out;
}

inline bool has_temporary_names(const disktree::Snapshot& snapshot) {
    for (const auto& [path, text] : snapshot)
        if (path.find(".reshape-") != std::string::npos) return true;
    return false;
}

inline std::vector<renamer::Request> requests(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::vector<renamer::Request> out;
    for (const auto& [path, name] : pairs) out.push_back({path, name, {}});
    return out;
}

// Runs `work` in a child process and returns how it ended (waitpid status).
int in_child(const std::function<void()>& work);

}  // namespace enginetest
