// The names the file tree collects below a folder: relative, sorted, filtered,
// and cut at the tree's limit.
#include <gtest/gtest.h>

#include <algorithm>

#include "dirscan/collect.hpp"
#include "disk_tree.hpp"
#include "names/codec.hpp"

namespace {

using disktree::TempFolder;
using Names = std::vector<std::u32string>;

// collect_names with every file matching and the hooks counted.
struct Collected {
    Names names;
    int breaking_inner = 0, limit_reached = 0;
    std::vector<std::string> progress;
};

Collected collect(const std::string& top, const dirscan::CollectOptions& options,
                  const std::function<bool(std::u32string_view)>& matches = [](std::u32string_view) { return true; }) {
    Collected out;
    dirscan::CollectHooks hooks;
    hooks.matches = matches;
    hooks.breaking_inner = [&] { ++out.breaking_inner; };
    hooks.limit_reached = [&] { ++out.limit_reached; };
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

}  // namespace
