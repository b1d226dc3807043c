#include "cli/huge_pages.hpp"

#include <sys/stat.h>
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

// A folder whose list of names takes this much holds some 30,000 names or
// more (on ext4; other file systems count differently, and a tree of small
// folders is never large: those just run as they are).
constexpr off_t LARGE_FOLDER_BYTES = 2 * 1024 * 1024;

}  // namespace

void run_with_huge_pages_for(const std::string& folder, char** argv) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || st.st_size < LARGE_FOLDER_BYTES) return;
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
