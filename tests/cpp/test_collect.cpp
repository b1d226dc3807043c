// The names the file tree collects below a folder: relative, sorted, filtered,
// and cut at the tree's limit.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "dirscan/collect.hpp"
#include "folderwalk/folderwalk.hpp"
#include "disk_tree.hpp"
#include "names/codec.hpp"

namespace {

using disktree::TempFolder;
using Names = std::vector<std::u32string>;

// collect_names with every file matching and the hooks counted.
struct Collected {
    Names names;
    int breaking_inner = 0, limit_reached = 0, names_left = 0;
    std::vector<std::string> progress;
};

Collected collect(const std::string& top, const dirscan::CollectOptions& options,
                  const std::function<bool(std::u32string_view)>& matches = [](std::u32string_view) { return true; }) {
    Collected out;
    dirscan::CollectHooks hooks;
    hooks.matches = matches;
    hooks.breaking_inner = [&] { ++out.breaking_inner; };
    hooks.limit_reached = [&] { ++out.limit_reached; };
    hooks.names_left = [&] { ++out.names_left; };
    hooks.progress = [&](const std::string& directory) { out.progress.push_back(directory); };
    out.names = dirscan::collect_names(top, options, hooks);
    return out;
}

TEST(Collect, RelativeNamesSortedByCodePoint) {
    TempFolder top;
    disktree::make(top.path(), {"b.txt", "B.txt", "caf\xc3\xa9.txt", "x/a.txt", "x/y/.hidden", "z/", "bad\xff"});
    EXPECT_EQ(collect(top.path(), {}).names,
              (Names{U"B.txt", U"b.txt", U"bad\xdcff", U"caf\u00e9.txt", U"x/a.txt", U"x/y/.hidden"}));
    dirscan::CollectOptions folders;
    folders.folders = true;
    EXPECT_EQ(collect(top.path(), folders).names, (Names{U"x", U"x/y", U"z"}));
    dirscan::CollectOptions here_only;
    here_only.recursive = false;
    EXPECT_EQ(collect(top.path(), here_only).names, (Names{U"B.txt", U"b.txt", U"bad\xdcff", U"caf\u00e9.txt"}));
    EXPECT_EQ(collect(top.path(), {}, [](std::u32string_view name) { return name == U"a.txt"; }).names,
              Names{U"x/a.txt"});
}

TEST(Collect, TheLimitEndsTheWalkOnceMoreCandidatesWereExamined) {
    TempFolder top;
    disktree::make(top.path(), {"1", "2", "3", "4", "5", "sub/6"});
    dirscan::CollectOptions options;
    options.max_files = 2;
    const Collected got = collect(top.path(), options);
    EXPECT_EQ(got.names.size(), 3u);  // candidates number 0, 1 and 2
    EXPECT_EQ(got.breaking_inner, 1);
    EXPECT_EQ(got.limit_reached, 1);
    EXPECT_EQ(std::count(got.names.begin(), got.names.end(), U"sub/6"), 0);

    options.max_files = 6;
    const Collected all = collect(top.path(), options);
    EXPECT_EQ(all.names.size(), 6u);
    EXPECT_EQ(all.breaking_inner + all.limit_reached, 0);
}

// The limit ends the walk once past it, even at the very last name: names
// are left unread only when a matching one was passed over, or folders of
// a recursive walk were never visited.
TEST(Collect, NamesAreLeftOnlyWhenTheLimitPassedSomeOver) {
    TempFolder top;
    disktree::make(top.path(), {"1", "2", "3", "sub/4"});
    struct Case {
        std::size_t max_files;
        bool recursive;
        std::function<bool(std::u32string_view)> matches;
        int limit_reached, names_left;
    };
    const auto any = [](std::u32string_view) { return true; };
    const auto four = [](std::u32string_view name) { return name == U"4"; };
    const std::vector<Case> cases{
        {1, true, any, 1, 1},    // "3" passed over
        {2, false, any, 1, 0},   // the last of the folder's three took it past the limit: none left
        {2, true, any, 1, 1},    // but a recursive walk leaves sub unvisited
        {2, true, four, 1, 1},   // no match passed over, sub unvisited
        {3, true, any, 1, 0},    // past it at the very last name
        {4, true, any, 0, 0},
    };
    for (const Case& c : cases) {
        dirscan::CollectOptions options;
        options.max_files = c.max_files;
        options.recursive = c.recursive;
        const Collected got = collect(top.path(), options, c.matches);
        EXPECT_EQ(got.limit_reached, c.limit_reached) << c.max_files << " " << c.recursive;
        EXPECT_EQ(got.names_left, c.names_left) << c.max_files << " " << c.recursive;
    }
}

TEST(Walk, SaysWhetherItVisitedEveryFolder) {
    TempFolder top;
    disktree::make(top.path(), {"a/b/", "c/"});
    int visits = 0;
    EXPECT_TRUE(folderwalk::walk(top.path(), [&](folderwalk::Directory&) { return ++visits > 0; }));
    EXPECT_EQ(visits, 4);
    EXPECT_FALSE(folderwalk::walk(top.path(), [](folderwalk::Directory&) { return false; }));
    visits = 0;  // stopped at the last folder: nothing left
    EXPECT_TRUE(folderwalk::walk(top.path(), [&](folderwalk::Directory&) { return ++visits < 4; }));
}

TEST(Collect, ProgressEveryFiftyFirstFolderWhenAsked) {
    TempFolder top;
    std::vector<std::string> layout;
    for (int i = 0; i < 120; ++i) layout.push_back("d" + std::to_string(i) + "/");
    disktree::make(top.path(), layout);
    dirscan::CollectOptions options;
    EXPECT_TRUE(collect(top.path(), options).progress.empty());
    options.report_progress = true;
    EXPECT_EQ(collect(top.path(), options).progress.size(), 2u);  // at the 52nd and the 103rd of 121
}

TEST(Collect, BelowAFolderDeeperThanPathMax) {
    TempFolder top;
    const std::string deep = disktree::deeper_than_path_max();
    disktree::make(top.path(), {deep + "/bottom.txt"});
    EXPECT_EQ(collect(top.path(), {}).names, Names{names::decode(deep + "/bottom.txt")});
}

// The folders collect_names could not read, as "path: errno".
std::vector<std::string> unreadable_below(const std::string& top, Names* names = nullptr) {
    std::vector<std::string> told;
    dirscan::CollectHooks hooks;
    hooks.matches = [](std::u32string_view) { return true; };
    hooks.unreadable = [&](const std::string& directory, int error) {
        told.push_back(directory + ": " + std::to_string(error));
    };
    const Names found = dirscan::collect_names(top, {}, hooks);
    if (names) *names = found;
    return told;
}

TEST(Collect, AChosenFolderThatCannotBeReadIsToldAndYieldsNothing) {
    TempFolder top;
    disktree::make(top.path(), {"file"});
    Names names{U"left over"};
    EXPECT_EQ(unreadable_below(top.path() + "/gone", &names),
              std::vector<std::string>{top.path() + "/gone: " + std::to_string(ENOENT)});
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(unreadable_below(top.path() + "/file"),
              std::vector<std::string>{top.path() + "/file: " + std::to_string(ENOTDIR)});
    EXPECT_TRUE(unreadable_below(top.path()).empty());
}

// Root reads every folder, so the walk runs as the user nobody, in a child
// process of its own: 0 when it told exactly the locked folders and
// collected the rest.
int walk_as_nobody(const std::string& top) {
    if (setresuid(65534, 65534, 65534) != 0) return 2;
    Names names;
    std::vector<std::string> told = unreadable_below(top, &names);
    std::sort(told.begin(), told.end());
    const std::string denied = ": " + std::to_string(EACCES);
    const std::vector<std::string> locked{top + "/locked" + denied, top + "/open/locked too" + denied};
    return told == locked && names == Names{U"open/b.txt", U"top.txt"} ? 0 : 1;
}

TEST(CollectDeathTest, FoldersThatCannotBeReadAreToldAndTheWalkGoesOn) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to become the user nobody";
    TempFolder top;
    disktree::make(top.path(), {"top.txt", "locked/a.txt", "open/b.txt", "open/locked too/c.txt"});
    chmod(top.path().c_str(), 0755);
    chmod((top.path() + "/locked").c_str(), 0);
    chmod((top.path() + "/open/locked too").c_str(), 0);
    EXPECT_EXIT(std::_Exit(walk_as_nobody(top.path())), testing::ExitedWithCode(0), "");
}

}  // namespace
