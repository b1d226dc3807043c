#include <gtest/gtest.h>

#include "renamer/journal.hpp"

namespace {

TEST(Journal, EveryByteSurvivesEscaping) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string field = renamer::escape(all);
    EXPECT_EQ(field.find_first_of(" \t\n\r"), std::string::npos);
    EXPECT_EQ(renamer::unescape(field), all);
    EXPECT_EQ(renamer::unescape(renamer::escape("")), "");
    EXPECT_EQ(renamer::escape("a b%"), "a%20b%25");
}

TEST(Journal, BrokenEscapesAreRejected) {
    EXPECT_FALSE(renamer::unescape("a%2"));
    EXPECT_FALSE(renamer::unescape("a%zz"));
}

renamer::Journal sample() {
    renamer::Journal j;
    j.base = "/home/me/My Files";
    j.entries = {{"sub/a b", "c"}, {"x", "y\n"}};
    renamer::Step s;
    s.dir = "sub", s.from = "a b", s.to = "c", s.moved = {5, 42, 1234567890123}, s.entry = 0, s.unit = 0;
    j.steps.push_back(s);
    s.dir = "", s.from = "x", s.to = "y\n", s.moved = {5, 43, 0}, s.entry = 1, s.unit = 1;
    j.steps.push_back(s);
    return j;
}

TEST(Journal, PlanRoundTrips) {
    const std::string text = renamer::format_plan(sample()) + "done 0\ndone 1\nrolledback 1\n";
    const auto parsed = renamer::parse(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->base, "/home/me/My Files");
    ASSERT_EQ(parsed->steps.size(), 2u);
    EXPECT_EQ(parsed->steps[0].dir, "sub");
    EXPECT_EQ(parsed->steps[0].moved.born_ns, 1234567890123);
    EXPECT_EQ(parsed->steps[1].dir, "");
    EXPECT_EQ(parsed->steps[1].to, "y\n");
    EXPECT_EQ(parsed->entries[1].new_name, "y\n");
    EXPECT_EQ(parsed->logged_done, std::set<std::size_t>{0});
    EXPECT_FALSE(parsed->undone);
    EXPECT_TRUE(renamer::parse(text + "undone\n")->undone);
}

TEST(Journal, APlanCutShortWasNeverActedOn) {
    std::string text = renamer::format_plan(sample());
    text.erase(text.rfind("planned"));
    EXPECT_FALSE(renamer::parse(text));
    EXPECT_FALSE(renamer::parse("not a journal\n"));
    EXPECT_FALSE(renamer::parse(""));
}

TEST(Journal, FolderKeysKeepBatchesApart) {
    const std::string a = renamer::new_journal_path("/state", "/one");
    const std::string b = renamer::new_journal_path("/state", "/two");
    EXPECT_NE(a.substr(0, 24), b.substr(0, 24));
}

}  // namespace
