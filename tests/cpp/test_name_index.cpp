// The engine's flat index of names and the folder listing built on it:
// every name found by its bytes alone, the first number kept for a name
// given twice, and the index still right after it grows or the listing moves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "renamer/disk.hpp"
#include "renamer/name_index.hpp"

namespace {

using namespace std::string_literals;

// Names that differ in one byte only, at the start, in the middle, past
// the first eight bytes, in the last byte, or in length alone; with NULs,
// bytes that are not UTF-8, and the empty name.
const std::vector<std::string> NAMES = {
    "", "a", "b", "ab", "abcdefgh", "abcdefgi", "abcdefghX", "abcdefghY", "Abcdefgh",
    "x\0y"s, "x\0z"s, "x"s, "\xff\xfe", "\xff\xfe\x80", "Smith - Report.txt", "Smith - Report.txT",
    "a long name that takes more than two blocks of eight bytes", "a long name that takes more than two blocks of eight bytez",
};

auto index_of(const std::vector<std::string>& names) {
    return renamer::NameIndex([&names](std::size_t i) { return std::string_view(names[i]); });
}

TEST(NameIndex, FindsEveryNameByItsBytesAndNoOther) {
    auto index = index_of(NAMES);
    for (std::size_t i = 0; i < NAMES.size(); ++i) EXPECT_EQ(index.insert(i), i) << i;
    EXPECT_EQ(index.size(), NAMES.size());
    for (std::size_t i = 0; i < NAMES.size(); ++i) EXPECT_EQ(index.find(NAMES[i]), i) << i;
    for (const std::string& missing : {"c"s, "abcdefg"s, "abcdefghZ"s, "x\0"s, "\xff"s, "Smith - Report.tx"s, " "s})
        EXPECT_FALSE(index.contains(missing)) << missing;
}

TEST(NameIndex, ANameGivenTwiceKeepsItsFirstNumber) {
    const std::vector<std::string> names = {"one", "two", "one", "", "two", ""};
    auto index = index_of(names);
    const std::vector<std::size_t> expected = {0, 1, 0, 3, 1, 3};
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(index.insert(i), expected[i]) << i;
    EXPECT_EQ(index.size(), 3u);
}

TEST(NameIndex, GrowsFarBeyondWhatItExpected) {
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) names.push_back("name " + std::to_string(i * 7919 % 5003));
    auto index = index_of(names);
    for (std::size_t i = 0; i < names.size(); ++i) ASSERT_EQ(index.insert(i), i);
    for (std::size_t i = 0; i < names.size(); ++i) ASSERT_EQ(index.find(names[i]), i);
    EXPECT_FALSE(index.contains("name 5003"));
    EXPECT_EQ(index.find("name 5003"), index.NONE);
}

TEST(Listing, KnowsItsNamesInOrderAndAfterAMove) {
    const std::vector<std::string> files = {"b", "a\nb", "\xff"}, dirs = {"sub", ""};
    renamer::Listing listing({&files, &dirs});
    const renamer::Listing moved = std::move(listing);
    ASSERT_EQ(moved.size(), 5u);
    const std::vector<std::string> in_order = {"b", "a\nb", "\xff", "sub", ""};
    for (std::size_t i = 0; i < in_order.size(); ++i) {
        EXPECT_EQ(moved.name(i), in_order[i]);
        EXPECT_TRUE(moved.contains(in_order[i]));
    }
    EXPECT_FALSE(moved.contains("a"));
    EXPECT_FALSE(moved.contains("su"));
}

TEST(Listing, AnEmptyListingHoldsNothing) {
    const renamer::Listing none;
    EXPECT_EQ(none.size(), 0u);
    EXPECT_FALSE(none.contains(""));
    EXPECT_FALSE(none.contains("a"));
}

}  // namespace
