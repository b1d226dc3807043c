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

// Length of the valid UTF-8 sequence at `s`, or 0.
std::size_t utf8_length(std::string_view s, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < len) return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string join(const std::string& parent, const std::string& name) {
    if (!parent.empty() && parent.back() == '/') return parent + name;
    return parent + "/" + name;
}

void walk(const std::string& top, const std::function<bool(Directory&)>& visit, const WalkFailure& failed) {
    // Each pending directory is listed when it is reached, as os.walk does,
    // so a stack of (directory, next subdirectory) keeps the order. Each
    // frame keeps its directory open, for its subdirectories to open from.
    struct Frame {
        Directory dir;
        int fd = -1;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    const auto enter = [&](int parent, const std::string& name, const std::string& path) {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parent == AT_FDCWD ? 0 : O_NOFOLLOW);
        const int fd = openat(parent, name.c_str(), flags);
        Frame frame;
        const int error = fd < 0 ? errno : 0;
        if (fd < 0 && error == ELOOP) return true;  // became a link since the listing: not followed
        if (fd >= 0) frame.fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        const int listed = fd < 0 ? error : list(fd, path, frame.dir);
        if (listed != 0 || frame.fd < 0) {
            if (frame.fd >= 0) close(frame.fd);
            if (failed) failed(path, listed != 0 ? listed : errno);
            return true;
        }
        if (!visit(frame.dir)) {
            close(frame.fd);
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
}

std::string relative_to(const std::string& top, const std::string& path) {
    std::string relative = path.substr(std::min(top.size(), path.size()));
    if (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
    return relative;
}

std::u32string decode(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp;
        if (const std::size_t len = utf8_length(bytes.substr(i), cp)) {
            out += cp;
            i += len;
        } else {
            out += static_cast<char32_t>(0xDC00 + static_cast<unsigned char>(bytes[i]));
            ++i;
        }
    }
    return out;
}

std::string encode(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp >= 0xDC80 && cp <= 0xDCFF)
            out += static_cast<char>(cp - 0xDC00);
        else
            append_utf8(out, cp);
    }
    return out;
}

std::vector<std::u32string> collect_names(const std::string& top, const CollectOptions& options,
                                          const CollectHooks& hooks) {
    std::vector<std::u32string> names;
    std::size_t examined = 0;
    std::size_t since_progress = 0;
    walk(top, [&](const Directory& dir) {
        if (options.report_progress) {
            if (since_progress > 50) {
                hooks.progress(dir.path);
                since_progress = 0;
            }
            ++since_progress;
        }
        const std::string relative = relative_to(top, dir.path);
        for (const std::string& candidate : options.folders ? dir.dirs : dir.files) {
            const std::u32string name = decode(candidate);
            if (hooks.matches(name)) {
                if (examined > options.max_files) {
                    hooks.breaking_inner();
                    break;
                }
                names.push_back(relative.empty() ? name : decode(relative) + U'/' + name);
            }
            ++examined;
        }
        if (examined > options.max_files) {
            hooks.limit_reached();
            return false;
        }
        return options.recursive;
    });
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace folderwalk
