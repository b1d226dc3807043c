#include "folderwalk.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace folderwalk {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

// The entries of the directory open at `fd` (which the listing takes over),
// or the errno when it cannot be read to the end.
int list(int fd, const std::string& path, Directory& out) {
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        const int error = errno;
        close(fd);
        return error;
    }
    out.path = path;
    while (true) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) return errno;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        bool dir_like;
        if (entry->d_type == DT_DIR) {
            dir_like = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;  // follows a link, as is_dir() does
            dir_like = fstatat(dirfd(dir.get()), name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        } else {
            dir_like = false;
        }
        (dir_like ? out.dirs : out.files).emplace_back(name);
    }
}

}  // namespace

std::string join(const std::string& parent, const std::string& name) {
    if (!parent.empty() && parent.back() == '/') return parent + name;
    return parent + "/" + name;
}

bool walk(const std::string& top, const std::function<bool(Directory&)>& visit, const WalkFailure& failed) {
    // Each pending directory is listed when it is reached, as os.walk does,
    // so a stack of (directory, next subdirectory) keeps the order. Each
    // frame keeps its directory open, for its subdirectories to open from.
    struct Frame {
        Directory dir;
        int fd = -1;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    bool left_unvisited = false;
    const auto enter = [&](int parent, const std::string& name, const std::string& path) {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parent == AT_FDCWD ? 0 : O_NOFOLLOW);
        const int fd = openat(parent, name.c_str(), flags);
        Frame frame;
        const int error = fd < 0 ? errno : 0;
        // Below the top, a folder that became a link since the listing: not
        // followed. The top is followed, so there it is a loop of links.
        if (fd < 0 && error == ELOOP && parent != AT_FDCWD) return true;
        if (fd >= 0) frame.fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        const int listed = fd < 0 ? error : list(fd, path, frame.dir);
        if (listed != 0 || frame.fd < 0) {
            if (frame.fd >= 0) close(frame.fd);
            if (failed) failed(path, listed != 0 ? listed : errno);
            return true;
        }
        if (!visit(frame.dir)) {
            close(frame.fd);
            left_unvisited = !frame.dir.dirs.empty() ||
                             std::any_of(stack.begin(), stack.end(),
                                         [](const Frame& f) { return f.next < f.dir.dirs.size(); });
            return false;
        }
        stack.push_back(std::move(frame));
        return true;
    };
    bool going = enter(AT_FDCWD, top, top);
    while (going && !stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.dir.dirs.size()) {
            close(frame.fd);
            stack.pop_back();
            continue;
        }
        const std::string& name = frame.dir.dirs[frame.next++];
        struct stat st;
        if (fstatat(frame.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) continue;
        going = enter(frame.fd, name, join(frame.dir.path, name));
    }
    for (Frame& frame : stack) close(frame.fd);
    return !left_unvisited;
}

bool walk_names(const std::string& top, bool folders, const std::function<bool(Found&)>& visit,
                const WalkFailure& failed) {
    std::vector<std::string> copied;
    return walk(top, [&](Directory& dir) {
        if (folders) copied = dir.dirs;
        Found found{relative_to(top, dir.path), folders ? copied : dir.files, dir};
        return visit(found);
    }, failed);
}

std::string relative_to(const std::string& top, const std::string& path) {
    std::string relative = path.substr(std::min(top.size(), path.size()));
    if (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
    return relative;
}

}  // namespace folderwalk
