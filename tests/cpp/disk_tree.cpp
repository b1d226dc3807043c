#include "disk_tree.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace disktree {

namespace {

int open_dir(int parent, const std::string& name) {
    const int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + name);
    return fd;
}

// Opens the folder `dir` (components joined by "/") below `root`, making
// the missing ones.
int descend(const std::string& root, const std::string& dir, bool make_missing) {
    int fd = open_dir(AT_FDCWD, root);
    std::size_t start = 0;
    while (start < dir.size()) {
        std::size_t end = dir.find('/', start);
        if (end == std::string::npos) end = dir.size();
        const std::string component = dir.substr(start, end - start);
        if (make_missing) mkdirat(fd, component.c_str(), 0755);
        const int next = open_dir(fd, component);
        close(fd);
        fd = next;
        start = end + 1;
    }
    return fd;
}

std::vector<std::pair<std::string, bool>> entries(int fd) {
    std::vector<std::pair<std::string, bool>> out;
    DIR* dir = fdopendir(dup(fd));
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
        out.emplace_back(name, S_ISDIR(st.st_mode));
    }
    closedir(dir);
    return out;
}

void read_into(int fd, const std::string& prefix, Snapshot& out) {
    for (const auto& [name, folder] : entries(fd)) {
        if (folder) {
            out[prefix + name + "/"] = "";
            const int child = open_dir(fd, name);
            read_into(child, prefix + name + "/", out);
            close(child);
            continue;
        }
        const int file = openat(fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        std::string text;
        char buffer[4096];
        ssize_t n;
        while (file >= 0 && (n = read(file, buffer, sizeof buffer)) > 0) text.append(buffer, n);
        if (file >= 0) close(file);
        out[prefix + name] = text;
    }
}

void remove_contents(int fd) {
    for (const auto& [name, folder] : entries(fd)) {
        if (folder) {
            const int child = open_dir(fd, name);
            remove_contents(child);
            close(child);
        }
        unlinkat(fd, name.c_str(), folder ? AT_REMOVEDIR : 0);
    }
}

}  // namespace

TempFolder::TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/engine-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fchmod(fd, 0700);
        remove_contents(fd);
        close(fd);
    }
    rmdir(path_.c_str());
}

void make(const std::string& root, const std::vector<std::string>& layout) {
    for (const std::string& path : layout) {
        const bool folder = !path.empty() && path.back() == '/';
        const std::string trimmed = folder ? path.substr(0, path.size() - 1) : path;
        const std::size_t slash = trimmed.rfind('/');
        const std::string dir = slash == std::string::npos ? "" : trimmed.substr(0, slash);
        const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
        const int fd = descend(root, dir, true);
        if (folder) {
            mkdirat(fd, name.c_str(), 0755);
        } else {
            const int file = openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            const std::string text = "contents of " + path;
            if (file < 0 || write(file, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
                throw std::runtime_error("cannot write " + path);
            close(file);
        }
        close(fd);
    }
}

std::string deeper_than_path_max() {
    std::string deep;
    for (int depth = 0; depth < 100; ++depth) {
        std::string name = std::to_string(depth);  // 60 bytes: the depth, zero-padded on both sides
        name.insert(0, 3 - name.size(), '0');
        name.resize(60, '0');
        deep += (deep.empty() ? "" : "/") + name;
    }
    return deep;
}

Snapshot snapshot(const std::string& root) {
    Snapshot out;
    const int fd = open_dir(AT_FDCWD, root);
    read_into(fd, "", out);
    close(fd);
    return out;
}

Snapshot moved(const Snapshot& before, const std::map<std::string, std::string>& renames) {
    Snapshot after;
    for (const auto& [path, text] : before) {
        const bool folder = path.back() == '/';
        const std::string trimmed = folder ? path.substr(0, path.size() - 1) : path;
        std::string old_prefix, new_path;
        std::size_t start = 0;
        while (start <= trimmed.size()) {
            std::size_t end = trimmed.find('/', start);
            if (end == std::string::npos) end = trimmed.size();
            const std::string part = trimmed.substr(start, end - start);
            old_prefix += (old_prefix.empty() ? "" : "/") + part;
            const auto it = renames.find(old_prefix);
            new_path += (new_path.empty() ? "" : "/") + (it == renames.end() ? part : it->second);
            start = end + 1;
        }
        after[new_path + (folder ? "/" : "")] = text;
    }
    return after;
}

std::multiset<std::string> contents(const Snapshot& snapshot) {
    std::multiset<std::string> out;
    for (const auto& [path, text] : snapshot)
        if (path.back() != '/') out.insert(text);
    return out;
}

}  // namespace disktree
