#include <gtest/gtest.h>

#include <functional>

#include "renamer/journal.hpp"
#include "renamer/paths.hpp"

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

// A journal decides what undo renames: one that would reach outside its
// batch's folder, or touch a name its plan never gave the entry, is not one.
TEST(Journal, StepsThatLeaveTheirFolderAreRejected) {
    const struct {
        const char* label;
        std::function<void(renamer::Journal&)> spoil;
    } cases[] = {
        {"step folder ..", [](renamer::Journal& j) { j.steps[0].dir = ".."; }},
        {"step folder through ..", [](renamer::Journal& j) { j.steps[0].dir = "sub/../.."; }},
        {"absolute step folder", [](renamer::Journal& j) { j.steps[0].dir = "/etc"; }},
        {"slash in a name", [](renamer::Journal& j) { j.steps[0].to = "../c"; }},
        {"entry path outside", [](renamer::Journal& j) { j.entries[0].path = "../a b"; }},
        {"new name with slash", [](renamer::Journal& j) { j.entries[1].new_name = "x/y"; }},
        {"step in another folder", [](renamer::Journal& j) { j.steps[1].dir = "sub"; }},
        {"name not of its entry", [](renamer::Journal& j) { j.steps[1].to = "passwd"; }},
        {"entry out of range", [](renamer::Journal& j) { j.steps[1].entry = 7; }},
        {"relative base", [](renamer::Journal& j) { j.base = "home/me"; }},
    };
    ASSERT_TRUE(renamer::parse(renamer::format_plan(sample())));
    for (const auto& c : cases) {
        renamer::Journal j = sample();
        c.spoil(j);
        EXPECT_FALSE(renamer::parse(renamer::format_plan(j))) << c.label;
    }
    EXPECT_FALSE(renamer::parse(renamer::format_plan(sample()) + "done 9\n"));
}

TEST(Journal, TemporaryNamesArePartOfEveryEntrysPlan) {
    renamer::Journal j = sample();
    j.steps[1].to = renamer::temporary_name(0xabcdef);
    EXPECT_TRUE(renamer::parse(renamer::format_plan(j)));
    EXPECT_TRUE(renamer::is_temporary_name(".reshape-00000000000abcde.tmp"));
    EXPECT_FALSE(renamer::is_temporary_name(".reshape-0000000000abcdeg.tmp"));
    EXPECT_FALSE(renamer::is_temporary_name(".reshape-abcde.tmp"));
}

TEST(Journal, SequenceAndCompletionRoundTrip) {
    renamer::Journal j = sample();
    j.sequence = 42, j.time = 1700000000;
    const auto parsed = renamer::parse(renamer::format_plan(j));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->sequence, 42u);
    EXPECT_EQ(parsed->time, 1700000000);
    EXPECT_FALSE(parsed->complete);
    EXPECT_TRUE(parsed->changed_something());  // cut short: the disk must tell
    const auto finished = renamer::parse(renamer::format_plan(j) + "complete\n");
    EXPECT_TRUE(finished->complete);
    EXPECT_FALSE(finished->changed_something());  // every step failed or was rolled back
}

}  // namespace
