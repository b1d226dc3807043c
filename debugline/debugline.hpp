// The switch of the renamer's debug lines: on while the environment variable
// RESHAPER_DEBUG is set to anything but the empty string, read at each use.
#pragma once

#include <cstdlib>

namespace debugline {

inline constexpr char VARIABLE[] = "RESHAPER_DEBUG";

inline bool enabled() {
    const char* value = std::getenv(VARIABLE);
    return value && *value;
}

}  // namespace debugline
