// The walk the file tree and the command share: its order, what it leaves
// out, paths beyond PATH_MAX, folders it cannot read.
#include <gtest/gtest.h>

#include <climits>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "disk_tree.hpp"
#include "folderwalk/folderwalk.hpp"

namespace {

using disktree::TempFolder;

// Every visited folder (relative to `top`) with its sorted subfolders and
// files, in the order of the visits.
using Visits = std::vector<std::pair<std::string, std::string>>;

std::string sorted_list(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : ",") + name;
    return out;
}

Visits visits(const std::string& top, const std::function<void(const std::string&, int)>& failed = nullptr) {
    Visits out;
    folderwalk::walk(
        top,
        [&](folderwalk::Directory& dir) {
            out.emplace_back(folderwalk::relative_to(top, dir.path),
                             sorted_list(dir.dirs) + " | " + sorted_list(dir.files));
            return true;
        },
        failed);
    return out;
}

TEST(Walk, EachFolderBeforeWhatItHoldsAndLinksToFoldersNotFollowed) {
    TempFolder top;
    disktree::make(top.path(), {"a", "x/b", "x/y/c", "x/y/z/", "empty/"});
    ASSERT_EQ(symlink((top.path() + "/x").c_str(), (top.path() + "/link to x").c_str()), 0);
    ASSERT_EQ(symlink((top.path() + "/missing").c_str(), (top.path() + "/dangling").c_str()), 0);
    const Visits seen = visits(top.path());
    ASSERT_EQ(seen.size(), 5u);
    // A link to a folder is listed among the folders; a dangling one is a file.
    EXPECT_EQ(seen[0], (std::pair<std::string, std::string>{"", "empty,link to x,x | a,dangling"}));
    std::map<std::string, std::string> by_folder(seen.begin(), seen.end());
    EXPECT_EQ(by_folder, (std::map<std::string, std::string>{{"", "empty,link to x,x | a,dangling"},
                                                              {"empty", " | "},
                                                              {"x", "y | b"},
                                                              {"x/y", "z | c"},
                                                              {"x/y/z", " | "}}));
    const auto at = [&](const std::string& folder) {
        return std::find_if(seen.begin(), seen.end(), [&](const auto& v) { return v.first == folder; });
    };
    EXPECT_LT(at("x"), at("x/y"));
    EXPECT_LT(at("x/y"), at("x/y/z"));
}

TEST(Walk, VisitReturningFalseEndsTheWalk) {
    TempFolder top;
    disktree::make(top.path(), {"x/a", "y/b"});
    int visited = 0;
    folderwalk::walk(top.path(), [&](folderwalk::Directory&) { return ++visited < 2; });
    EXPECT_EQ(visited, 2);
}

TEST(Walk, BelowAFolderDeeperThanPathMax) {
    TempFolder top;
    const std::string deep = disktree::deeper_than_path_max();
    ASSERT_GT(deep.size(), static_cast<std::size_t>(PATH_MAX));
    disktree::make(top.path(), {deep + "/bottom.txt"});
    const Visits seen = visits(top.path(), [](const std::string& path, int error) {
        ADD_FAILURE() << path.size() << "-byte path: errno " << error;
    });
    ASSERT_EQ(seen.size(), 101u);
    EXPECT_EQ(seen.back(), (std::pair<std::string, std::string>{deep, " | bottom.txt"}));
}

// The walk as an account that owns nothing here would see it (root reads
// every folder): run in a child that gives up root, and told back through a
// pipe as "path errno" lines, one for each folder the walk could not read.
std::string failures_seen_by_nobody(const std::string& top) {
    int ends[2];
    if (pipe(ends) != 0) return "no pipe";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        std::string report;
        visits(top, [&](const std::string& path, int error) {
            report += folderwalk::relative_to(top, path) + " " + std::to_string(error) + "\n";
        });
        const bool written = write(ends[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        _exit(written ? 0 : 3);
    }
    close(ends[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
    close(ends[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed: " + std::to_string(status);
    return out;
}

TEST(Walk, AFolderThatCannotBeReadIsToldAndPassedOver) {
    TempFolder top;
    disktree::make(top.path(), {"open/a", "shut/b"});
    ASSERT_EQ(chmod(top.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((top.path() + "/open").c_str(), 0755), 0);
    ASSERT_EQ(chmod((top.path() + "/shut").c_str(), 0), 0);
    EXPECT_EQ(failures_seen_by_nobody(top.path()), "shut " + std::to_string(EACCES) + "\n");
    ASSERT_EQ(chmod((top.path() + "/shut").c_str(), 0755), 0);  // for the clean-up
}

// The top folder is followed when it is a link; one that leads nowhere, or
// round in a loop, is a failure, never a quietly empty folder.
TEST(Walk, ATopThatCannotBeOpenedIsAFailureToo) {
    TempFolder top;
    ASSERT_EQ(symlink("loop b", (top.path() + "/loop a").c_str()), 0);
    ASSERT_EQ(symlink("loop a", (top.path() + "/loop b").c_str()), 0);
    for (const auto& [name, expected] : std::vector<std::pair<std::string, int>>{{"missing", ENOENT},
                                                                                 {"loop a", ELOOP}}) {
        std::vector<std::pair<std::string, int>> failures;
        const std::string path = top.path() + "/" + name;
        const Visits seen = visits(path, [&](const std::string& p, int error) { failures.emplace_back(p, error); });
        EXPECT_TRUE(seen.empty()) << name;
        EXPECT_EQ(failures, (std::vector<std::pair<std::string, int>>{{path, expected}})) << name;
    }
}

// The names of one kind: taking them (even the folders' names) leaves the
// walk going on into every folder.
TEST(WalkNames, FilesOrFoldersOfEachFolderWithItsRelativePath) {
    TempFolder top;
    disktree::make(top.path(), {"a.txt", "x/b.txt", "x/y/c.txt", "z/"});
    for (const bool folders : {false, true}) {
        std::vector<std::string> seen;
        folderwalk::walk_names(top.path(), folders, [&](folderwalk::Found& here) {
            std::vector<std::string> taken = std::move(here.names);  // the caller's to take
            seen.push_back(here.relative + ": " + sorted_list(taken));
            EXPECT_EQ(here.relative, folderwalk::relative_to(top.path(), here.dir.path));
            return true;
        });
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen, folders ? (std::vector<std::string>{": x,z", "x/y: ", "x: y", "z: "})
                                : (std::vector<std::string>{": a.txt", "x/y: c.txt", "x: b.txt", "z: "}))
            << (folders ? "folders" : "files");
    }
}

TEST(Paths, JoinAndRelative) {
    EXPECT_EQ(folderwalk::join("/a", "b"), "/a/b");
    EXPECT_EQ(folderwalk::join("/", "b"), "/b");
    EXPECT_EQ(folderwalk::join("a/", "b"), "a/b");
    EXPECT_EQ(folderwalk::relative_to("/a", "/a"), "");
    EXPECT_EQ(folderwalk::relative_to("/a", "/a/b/c"), "b/c");
    EXPECT_EQ(folderwalk::relative_to("/", "/b"), "b");
    EXPECT_EQ(folderwalk::relative_to("/a/", "/a/b"), "b");
}

}  // namespace
