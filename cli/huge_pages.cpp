#include "cli/huge_pages.hpp"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace cli {

namespace {

// Huge pages for the heap and for large blocks, no block of its own
// mapping for large tables, and nothing handed back to the system early:
// the command is short-lived.
const char SETTINGS[] =
    "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=4294967295";

}  // namespace

void run_with_huge_pages(char** argv) {
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    const std::string given = tunables ? tunables : "";
    if (given.find(SETTINGS) != std::string::npos) return;
    // The user's own settings come after ours, so that they win.
    const std::string wanted = given.empty() ? SETTINGS : std::string(SETTINGS) + ":" + given;
    if (setenv("GLIBC_TUNABLES", wanted.c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
    // Not started again (no /proc): go on as we are, without the setting.
    if (tunables)
        setenv("GLIBC_TUNABLES", tunables, 1);
    else
        unsetenv("GLIBC_TUNABLES");
}

}  // namespace cli
