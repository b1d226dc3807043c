// The walk the file tree and the command share: its order, what it leaves
// out, paths beyond PATH_MAX, folders it cannot read; the codec of
// file-system names; and the collection of names with its limit.
#include <gtest/gtest.h>

#include <climits>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "disk_tree.hpp"
#include "folderwalk/folderwalk.hpp"
#include "labelled.hpp"

namespace {

using disktree::TempFolder;
using Names = std::vector<std::u32string>;

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
    std::string deep;
    for (int depth = 0; depth < 100; ++depth) {
        std::string name = std::to_string(depth);  // 60 bytes: the depth, zero-padded on both sides
        name.insert(0, 3 - name.size(), '0');
        name.resize(60, '0');
        deep += (deep.empty() ? "" : "/") + name;
    }
    ASSERT_GT(deep.size(), static_cast<std::size_t>(PATH_MAX));
    disktree::make(top.path(), {deep + "/bottom.txt"});
    const Visits seen = visits(top.path(), [](const std::string& path, int error) {
        ADD_FAILURE() << path.size() << "-byte path: errno " << error;
    });
    ASSERT_EQ(seen.size(), 101u);
    EXPECT_EQ(seen.back(), (std::pair<std::string, std::string>{deep, " | bottom.txt"}));

    folderwalk::CollectHooks hooks;
    hooks.matches = [](std::u32string_view) { return true; };
    EXPECT_EQ(folderwalk::collect_names(top.path(), {}, hooks), Names{folderwalk::decode(deep + "/bottom.txt")});
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

TEST(Walk, AMissingTopIsAFailureToo) {
    TempFolder top;
    std::vector<std::pair<std::string, int>> failures;
    const Visits seen = visits(top.path() + "/missing",
                               [&](const std::string& path, int error) { failures.emplace_back(path, error); });
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(failures, (std::vector<std::pair<std::string, int>>{{top.path() + "/missing", ENOENT}}));
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

struct CodecCase {
    const char* label;
    std::string bytes;
    std::u32string text;
    friend void PrintTo(const CodecCase& c, std::ostream* os) { *os << c.label; }
};

class Codec : public ::testing::TestWithParam<CodecCase> {};

TEST_P(Codec, DecodesAsTheHostAndEncodesBack) {
    const CodecCase& c = GetParam();
    EXPECT_EQ(folderwalk::decode(c.bytes), c.text);
    EXPECT_EQ(folderwalk::encode(c.text), c.bytes);
}

// UTF-8 as the host reads it; every byte that is not part of a valid
// sequence stands for itself as U+DC80..U+DCFF.
INSTANTIATE_TEST_SUITE_P(
    Names, Codec,
    ::testing::Values(CodecCase{"Empty", "", U""},
                      CodecCase{"Ascii", "Notes - Lee.txt", U"Notes - Lee.txt"},
                      CodecCase{"TwoBytes", "caf\xc3\xa9", U"caf\u00e9"},
                      CodecCase{"ThreeBytes", "a\xe2\x80\x93" "b", U"a\u2013b"},
                      CodecCase{"FourBytes", "\xf0\x9f\x98\x80", U"\U0001F600"},
                      CodecCase{"LoneByte", "bad\xff name", U"bad\xdcff name"},
                      CodecCase{"LoneContinuationByte", "\x80", U"\xdc80"},
                      CodecCase{"Overlong", "\xc0\x80", U"\xdcc0\xdc80"},
                      CodecCase{"EncodedSurrogate", "\xed\xa0\x80", U"\xdced\xdca0\xdc80"},
                      CodecCase{"BeyondUnicode", "\xf4\x90\x80\x80", U"\xdcf4\xdc90\xdc80\xdc80"},
                      CodecCase{"CutShort", "x\xe2\x80", U"x\xdce2\xdc80"},
                      CodecCase{"CutShortBeforeAscii", "\xe2\x80y", U"\xdce2\xdc80y"}),
    labelled::ByLabel());

// collect_names with every file matching and the hooks counted.
struct Collected {
    Names names;
    int breaking_inner = 0, limit_reached = 0;
    std::vector<std::string> progress;
};

Collected collect(const std::string& top, const folderwalk::CollectOptions& options,
                  const std::function<bool(std::u32string_view)>& matches = [](std::u32string_view) { return true; }) {
    Collected out;
    folderwalk::CollectHooks hooks;
    hooks.matches = matches;
    hooks.breaking_inner = [&] { ++out.breaking_inner; };
    hooks.limit_reached = [&] { ++out.limit_reached; };
    hooks.progress = [&](const std::string& directory) { out.progress.push_back(directory); };
    out.names = collect_names(top, options, hooks);
    return out;
}

TEST(Collect, RelativeNamesSortedByCodePoint) {
    TempFolder top;
    disktree::make(top.path(), {"b.txt", "B.txt", "caf\xc3\xa9.txt", "x/a.txt", "x/y/.hidden", "z/", "bad\xff"});
    EXPECT_EQ(collect(top.path(), {}).names,
              (Names{U"B.txt", U"b.txt", U"bad\xdcff", U"caf\u00e9.txt", U"x/a.txt", U"x/y/.hidden"}));
    folderwalk::CollectOptions folders;
    folders.folders = true;
    EXPECT_EQ(collect(top.path(), folders).names, (Names{U"x", U"x/y", U"z"}));
    folderwalk::CollectOptions here_only;
    here_only.recursive = false;
    EXPECT_EQ(collect(top.path(), here_only).names, (Names{U"B.txt", U"b.txt", U"bad\xdcff", U"caf\u00e9.txt"}));
    EXPECT_EQ(collect(top.path(), {}, [](std::u32string_view name) { return name == U"a.txt"; }).names,
              Names{U"x/a.txt"});
}

TEST(Collect, TheLimitEndsTheWalkOnceMoreCandidatesWereExamined) {
    TempFolder top;
    disktree::make(top.path(), {"1", "2", "3", "4", "5", "sub/6"});
    folderwalk::CollectOptions options;
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
    folderwalk::CollectOptions options;
    EXPECT_TRUE(collect(top.path(), options).progress.empty());
    options.report_progress = true;
    EXPECT_EQ(collect(top.path(), options).progress.size(), 2u);  // at the 52nd and the 103rd of 121
}

}  // namespace
