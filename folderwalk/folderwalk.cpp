#include "folderwalk.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace folderwalk {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

bool is_directory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_link(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The entries of one directory, or false when it cannot be read to the end.
bool list(const std::string& path, Directory& out) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    if (!dir) return false;
    out.path = path;
    while (true) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) return errno == 0;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        bool dir_like;
        if (entry->d_type == DT_DIR)
            dir_like = true;
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            dir_like = is_directory(join(path, name));  // follows a link, as is_dir() does
        else
            dir_like = false;
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

void walk(const std::string& top, const std::function<bool(const Directory&)>& visit) {
    // Each pending directory is listed when it is reached, as os.walk does,
    // so a stack of (directory, next subdirectory) keeps the order.
    struct Frame {
        Directory dir;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    const auto enter = [&](const std::string& path) {
        Frame frame;
        if (!list(path, frame.dir)) return true;
        if (!visit(frame.dir)) return false;
        stack.push_back(std::move(frame));
        return true;
    };
    if (!enter(top)) return;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.dir.dirs.size()) {
            stack.pop_back();
            continue;
        }
        const std::string path = join(frame.dir.path, frame.dir.dirs[frame.next++]);
        if (!is_link(path) && !enter(path)) return;
    }
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
