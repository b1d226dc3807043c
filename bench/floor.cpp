// The physical floor of the command's work, for the benchmarks: what any
// tool must do at least to list a folder, look at each entry, or rename
// each one, with nothing else around it.
//   floor list DIR      getdents64 and print each name
//   floor stat DIR      ... and fstatat each entry
//   floor rename DIR    renameat2 each entry to its name with " ~" added
//   floor journal DIR   ... after writing and flushing the list of renames
//   floor checked DIR   ... looking at each entry before the journal (to
//                       record who it is) and again just before its rename
//                       (to rename only that one): the floor of a rename
//                       that keeps its promises
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

std::vector<std::string> names_of(int dir) {
    std::vector<std::string> names;
    alignas(8) char buffer[1 << 16];
    long n;
    while ((n = syscall(SYS_getdents64, dir, buffer, sizeof buffer)) > 0)
        for (long at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer + at);
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
            at += entry->d_reclen;
        }
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor list|stat|rename|journal|checked DIR\n");
        return 2;
    }
    const std::string mode = argv[1];
    const int dir = open(argv[2], O_RDONLY | O_DIRECTORY);
    if (dir < 0) return 1;
    const std::vector<std::string> names = names_of(dir);
    struct stat st;
    if (mode == "list" || mode == "stat") {
        for (const std::string& name : names) {
            if (mode == "stat") fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
            std::fputs(name.c_str(), stdout);
            std::fputc('\n', stdout);
        }
        return 0;
    }
    if (mode == "checked")
        for (const std::string& name : names)
            if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 1;
    if (mode == "journal" || mode == "checked") {
        std::string plan;
        for (const std::string& name : names) plan += name + "\t" + name + " ~\n";
        const int journal = open("/tmp/floor-journal", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (journal < 0 || write(journal, plan.data(), plan.size()) != static_cast<ssize_t>(plan.size()) ||
            fsync(journal) != 0)
            return 1;
        close(journal);
        unlink("/tmp/floor-journal");
    }
    for (const std::string& name : names) {
        if (mode == "checked" && fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 1;
        if (renameat2(dir, name.c_str(), dir, (name + " ~").c_str(), RENAME_NOREPLACE) != 0) return 1;
    }
    return 0;
}
