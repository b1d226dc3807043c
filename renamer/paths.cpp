#include "paths.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace renamer {

namespace {
const char TEMPORARY_PREFIX[] = ".reshape-";
const char TEMPORARY_SUFFIX[] = ".tmp";
constexpr std::size_t TEMPORARY_DIGITS = 16;
}  // namespace

bool is_plain_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool is_inside(std::string_view dir) {
    if (dir.empty()) return true;
    while (true) {
        const std::size_t end = dir.find('/');
        if (!is_plain_name(dir.substr(0, end))) return false;
        if (end == std::string_view::npos) return true;
        dir.remove_prefix(end + 1);
    }
}

bool split_path(std::string_view path, std::string_view& dir, std::string_view& name) {
    const std::size_t slash = path.rfind('/');
    const std::string_view d = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
    const std::string_view n = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (!is_plain_name(n) || (slash != std::string_view::npos && d.empty()) || !is_inside(d)) return false;
    dir = d, name = n;
    return true;
}

bool split_path(const std::string& path, std::string& dir, std::string& name) {
    std::string_view d, n;
    if (!split_path(std::string_view(path), d, n)) return false;
    dir = d, name = n;
    return true;
}

std::string joined(const std::string& dir, const std::string& name) {
    return dir.empty() ? name : dir + "/" + name;
}

bool is_within(std::string_view path, std::string_view folder) {
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

std::string part_below(const std::string& path, const std::string& folder) {
    const std::string_view inside = folder == "/" ? std::string_view() : std::string_view(folder);
    if (path.size() <= inside.size() + 1 || !is_within(path, inside)) return "";
    return path.substr(inside.size() + 1);
}

std::size_t depth_of(std::string_view dir) {
    return dir.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(dir.begin(), dir.end(), '/'));
}

bool is_temporary_name(std::string_view name) {
    const std::size_t prefix = sizeof TEMPORARY_PREFIX - 1, suffix = sizeof TEMPORARY_SUFFIX - 1;
    if (name.size() != prefix + TEMPORARY_DIGITS + suffix || name.compare(0, prefix, TEMPORARY_PREFIX) != 0 ||
        name.compare(prefix + TEMPORARY_DIGITS, suffix, TEMPORARY_SUFFIX) != 0)
        return false;
    for (std::size_t i = prefix; i < prefix + TEMPORARY_DIGITS; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

std::string temporary_name(unsigned long long number) {
    char text[40];
    std::snprintf(text, sizeof text, "%s%016llx%s", TEMPORARY_PREFIX, number, TEMPORARY_SUFFIX);
    return text;
}

}  // namespace renamer
