#include <gtest/gtest.h>

#include <functional>

#include "renamer/journal.hpp"
#include "renamer/paths.hpp"

namespace {

TEST(Journal, EveryByteSurvivesEscaping) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string field = renamer::escape(all);
    EXPECT_EQ(field.find_first_of("\t\n\r"), std::string::npos);
    EXPECT_EQ(renamer::unescape(field), all);
    EXPECT_EQ(renamer::unescape(renamer::escape("")), "");
    EXPECT_EQ(renamer::escape("a b%\t"), "a b%25%09");
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
    const std::string text = renamer::format_plan(sample()) + "done\t0\ndone\t1\nrolledback\t1\n";
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
    EXPECT_EQ(parsed->steps[0].from, "a b");
    EXPECT_EQ(parsed->steps[0].to, "c");
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
// A step names its entry's old name "<", its new name ">", or a temporary
// name; its folder is always its entry's.
TEST(Journal, StepsThatLeaveTheirFolderAreRejected) {
    const std::string text = renamer::format_plan(sample());
    ASSERT_NE(text.find("entry\tsub/a b\tc\n"), std::string::npos);
    ASSERT_NE(text.find("\t<\t>\n"), std::string::npos);
    const struct {
        const char* label;
        std::string from, to;
    } cases[] = {
        {"step to a path", "\t<\t>\n", "\t<\t../c\n"},
        {"step to another name", "\t<\t>\n", "\t<\tpasswd\n"},
        {"step from an absolute path", "\t<\t>\n", "\t/etc/passwd\t>\n"},
        {"step that goes nowhere", "\t<\t>\n", "\t<\t<\n"},
        {"entry path through ..", "entry\tsub/a b", "entry\tsub/../../a b"},
        {"entry path absolute", "entry\tsub/a b", "entry\t/sub/a b"},
        {"new name with slash", "\tc\n", "\tx/c\n"},
        {"new name ..", "\tc\n", "\t..\n"},
        {"entry out of range", "step\t1\t", "step\t7\t"},
        {"relative base", "base\t/home", "base\thome"},
        {"done out of range", "planned\n", "planned\ndone\t9\n"},
    };
    ASSERT_TRUE(renamer::parse(text));
    for (const auto& c : cases) {
        std::string spoiled = text;
        const std::size_t at = spoiled.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.label;
        spoiled.replace(at, c.from.size(), c.to);
        EXPECT_FALSE(renamer::parse(spoiled)) << c.label;
    }
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
