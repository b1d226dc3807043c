// Relative paths inside a batch's folder: components joined by "/", never
// empty, ".", ".." or holding a NUL, so that no path leaves the folder.
#pragma once

#include <string>
#include <string_view>

namespace renamer {

// One component that names an entry of a folder.
bool is_plain_name(std::string_view name);

// The folder part and the name of a relative path, or false when the path
// does not name an entry inside the base folder.
bool split_path(const std::string& path, std::string& dir, std::string& name);
bool split_path(std::string_view path, std::string_view& dir, std::string_view& name);

// A relative folder path: "" (the base itself) or plain names joined by "/".
bool is_inside(std::string_view dir);

std::string joined(const std::string& dir, const std::string& name);

// Whether `path` is `folder` or lies inside it (both relative).
bool is_within(std::string_view path, std::string_view folder);

// The part of the absolute `path` below the absolute `folder`, or "" when
// it does not lie strictly inside it.
std::string part_below(const std::string& path, const std::string& folder);

// How many folders deep a relative folder path is ("" is 0).
std::size_t depth_of(std::string_view dir);

// The names the engine parks entries at during a cycle.
bool is_temporary_name(std::string_view name);
std::string temporary_name(unsigned long long number);

}  // namespace renamer
