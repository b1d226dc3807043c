// Where names join the file tree, on a model of the tree's rows: the rows
// sorted names make, and what a join asks of the chain and the tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "dirscan/branch.hpp"
#include "labelled.hpp"

namespace {

std::vector<std::string> components_of(const std::string& name) {
    std::vector<std::string> parts{""};
    std::size_t start = 0;
    for (std::size_t slash; (slash = name.find('/', start)) != std::string::npos; start = slash + 1)
        parts.push_back(name.substr(start, slash - start));
    parts.push_back(name.substr(start));
    return parts;
}

// The rows as the tree makes them, each named by its path, and the chain
// carried from one insertion to the next, as the tree's build does.
struct Tree {
    struct Row {
        std::string path;
        std::size_t indent;
        std::map<std::string, std::size_t> children;
    };
    std::vector<Row> rows{{"", 0, {}}};  // the root, which is not shown
    std::vector<std::size_t> chain{0};

    void insert(const std::string& name) {
        const std::vector<std::string> parts = components_of(name);
        const dirscan::Join join = dirscan::join_branch(
            parts.size(), chain.size(), [&](std::size_t i) { return parts[i] == name_of(chain[i]); },
            [&](std::size_t i) { return rows[chain[i - 1]].children.count(parts[i]) > 0; });
        chain.resize(join.shared);
        std::size_t current = chain.back();
        if (join.known_child) chain.push_back(current = rows[current].children.at(parts[join.shared]));
        for (std::size_t i = join.first_new; i < parts.size(); ++i) {
            const std::string path = i == 1 ? parts[1] : rows[current].path + "/" + parts[i];
            rows.push_back({path, i, {}});
            rows[current].children[parts[i]] = rows.size() - 1;
            chain.push_back(current = rows.size() - 1);
        }
    }

    std::string name_of(std::size_t row) const {
        const std::string& path = rows[row].path;
        return path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    }

    // "indent path" of every shown row, in the order of their numbers.
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (std::size_t i = 1; i < rows.size(); ++i) out.push_back(std::to_string(rows[i].indent) + " " + rows[i].path);
        return out;
    }
};

struct BuildCase {
    const char* label;
    std::vector<std::string> names;  // in the order the build inserts them
    std::vector<std::string> rows;
};

void PrintTo(const BuildCase& c, std::ostream* out) { *out << c.label; }

class SortedNames : public ::testing::TestWithParam<BuildCase> {};

TEST_P(SortedNames, MakeEachRowOnceInOrderOfFirstUse) {
    Tree tree;
    for (const std::string& name : GetParam().names) tree.insert(name);
    EXPECT_EQ(tree.shown(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Build, SortedNames,
    ::testing::Values(
        BuildCase{"Flat", {"B.txt", "a.txt", "c.txt"}, {"1 B.txt", "1 a.txt", "1 c.txt"}},
        BuildCase{"FileInFolder", {"x/c.txt"}, {"1 x", "2 x/c.txt"}},
        BuildCase{"Siblings", {"a/b", "a/c"}, {"1 a", "2 a/b", "2 a/c"}},
        // Folder mode: the chain moves on to "Photos 2019" before "Photos/2019".
        BuildCase{"FolderBeforeLongerSibling",
                  {"Photos", "Photos 2019", "Photos/2019", "Photos/2019/Jan"},
                  {"1 Photos", "1 Photos 2019", "2 Photos/2019", "3 Photos/2019/Jan"}},
        BuildCase{"BackUpTheChain",
                  {"a/b/c/d.txt", "a/b/e.txt", "a/f.txt", "g.txt"},
                  {"1 a", "2 a/b", "3 a/b/c", "4 a/b/c/d.txt", "3 a/b/e.txt", "2 a/f.txt", "1 g.txt"}},
        BuildCase{"SameNameInOtherFolders",
                  {"a/x/1", "b/x/1", "x/1"},
                  {"1 a", "2 a/x", "3 a/x/1", "1 b", "2 b/x", "3 b/x/1", "1 x", "2 x/1"}},
        // A name wholly on the chain makes nothing.
        BuildCase{"NameOnTheChain", {"a/b", "a"}, {"1 a", "2 a/b"}},
        BuildCase{"EmptyComponents", {"a//b"}, {"1 a", "2 a/", "3 a//b"}}),
    labelled::ByLabel{});

// Any set of distinct names, sorted by code point, makes one row for each
// distinct leading part of a name, whether or not the folders themselves
// are among the names (folder or file mode).
TEST(SortedNames, OneRowForEachDistinctLeadingPart) {
    std::mt19937 pick(2026);
    const std::string letters = "ab !/";  // ' ' and '!' sort before '/'
    for (int round = 0; round < 200; ++round) {
        std::set<std::string> names;
        for (int n = 0; n < 30; ++n) {
            std::string name(1, 'a' + static_cast<char>(pick() % 2));
            for (std::size_t length = pick() % 7; length > 0; --length) {
                const char c = letters[pick() % letters.size()];
                if (c != '/' || (name.back() != '/')) name += c;
            }
            if (name.back() != '/') names.insert(name);
        }
        Tree tree;
        std::set<std::string> parts;
        for (const std::string& name : names) {  // std::set: sorted byte by byte
            tree.insert(name);
            for (std::size_t slash = 0; (slash = name.find('/', slash + 1)) != std::string::npos;)
                parts.insert(name.substr(0, slash));
            parts.insert(name);
        }
        std::vector<std::string> made;
        for (std::size_t i = 1; i < tree.rows.size(); ++i) made.push_back(tree.rows[i].path);
        std::sort(made.begin(), made.end());
        ASSERT_EQ(made, std::vector<std::string>(parts.begin(), parts.end())) << "round " << round;
    }
}

// What join_branch asks, for 4 components on a chain of 3 rows.
struct AskCase {
    const char* label;
    std::size_t components, chain_length, matching;  // leading chain rows that match
    bool child;                                      // the next component is a known child
    dirscan::Join join;
    std::size_t chain_questions, child_questions;
};

void PrintTo(const AskCase& c, std::ostream* out) { *out << c.label; }

class Asks : public ::testing::TestWithParam<AskCase> {};

TEST_P(Asks, OnlyWhatTheAnswerDependsOn) {
    const AskCase& c = GetParam();
    std::vector<std::size_t> chain_asked, child_asked;
    const dirscan::Join join = dirscan::join_branch(
        c.components, c.chain_length,
        [&](std::size_t i) {
            chain_asked.push_back(i);
            return i < c.matching;
        },
        [&](std::size_t i) {
            child_asked.push_back(i);
            return c.child;
        });
    EXPECT_EQ(join.shared, c.join.shared);
    EXPECT_EQ(join.known_child, c.join.known_child);
    EXPECT_EQ(join.first_new, c.join.first_new);
    EXPECT_EQ(chain_asked.size(), c.chain_questions);
    for (std::size_t i = 0; i < chain_asked.size(); ++i) EXPECT_EQ(chain_asked[i], i);
    ASSERT_EQ(child_asked.size(), c.child_questions);
    if (!child_asked.empty()) {
        EXPECT_EQ(child_asked[0], join.shared);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Join, Asks,
    ::testing::Values(AskCase{"RootOnly", 4, 3, 1, false, {1, false, 1}, 2, 1},
                      AskCase{"KnownChild", 4, 3, 1, true, {1, true, 2}, 2, 1},
                      AskCase{"WholeChain", 4, 3, 3, false, {3, false, 3}, 3, 1},
                      AskCase{"WholeChainKnownLast", 4, 3, 3, true, {3, true, 4}, 3, 1},
                      AskCase{"NameOnChain", 2, 3, 3, true, {2, false, 2}, 2, 0},
                      AskCase{"EmptyChain", 4, 0, 0, true, {0, false, 0}, 0, 0},
                      AskCase{"RootDiffers", 4, 3, 0, true, {0, false, 0}, 1, 0}),
    labelled::ByLabel{});

}  // namespace
