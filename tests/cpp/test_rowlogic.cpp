#include <gtest/gtest.h>

#include "fileitem/rowlogic.hpp"
#include "labelled.hpp"

namespace {

struct SplitCase {
    const char* label;
    std::u32string name;
    std::u32string extension;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.label; }
};

class Extension : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Extension, FromTheLastDotWithSomethingBeforeIt) {
    const std::u32string& name = GetParam().name;
    EXPECT_EQ(name.substr(fileitem::extension_start(name)), GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Extension,
    ::testing::Values(SplitCase{"TwoDots", U"a.b.txt", U".txt"},
                      SplitCase{"DoubleExtension", U"archive.tar.gz", U".gz"},
                      SplitCase{"HiddenFile", U".gitignore", U""},
                      SplitCase{"HiddenProfile", U".profile", U""},
                      SplitCase{"DigitAfterTheDot", U"Vol.2", U".2"},
                      SplitCase{"TrailingDot", U"trailing.", U"."},
                      SplitCase{"OnlyDotsBefore", U"..x", U""},
                      SplitCase{"TwoTrailingDots", U"a..", U"."},
                      SplitCase{"OnlyDots", U"...", U""},
                      SplitCase{"NoDot", U"README", U""},
                      SplitCase{"Empty", U"", U""},
                      SplitCase{"NonAscii", U"caf\u00e9.m\u00f6v", U".m\u00f6v"}),
    labelled::ByLabel());

TEST(Tick, NonEmptyAndDifferentIncludingCase) {
    EXPECT_TRUE(fileitem::proposes_change(U"b", U"a"));
    EXPECT_TRUE(fileitem::proposes_change(U"Notes", U"notes"));
    EXPECT_FALSE(fileitem::proposes_change(U"a", U"a"));
    EXPECT_FALSE(fileitem::proposes_change(U"", U"a"));
}

TEST(CombinedState, AgreementOrMixed) {
    using fileitem::CHECKED;
    using fileitem::UNCHECKED;
    using fileitem::UNDETERMINED;
    EXPECT_EQ(fileitem::combined_state({CHECKED}, CHECKED), CHECKED);
    EXPECT_EQ(fileitem::combined_state({UNCHECKED}, UNCHECKED), UNCHECKED);
    EXPECT_EQ(fileitem::combined_state({CHECKED, UNCHECKED}, CHECKED), UNDETERMINED);
    EXPECT_EQ(fileitem::combined_state({UNDETERMINED}, UNDETERMINED), UNDETERMINED);
}

TEST(Geometry, PopupAndIndent) {
    EXPECT_EQ(fileitem::popup_x(400), 320);
    EXPECT_EQ(fileitem::popup_x(399), 319);
    EXPECT_EQ(fileitem::popup_x(0), 0);
    EXPECT_EQ(fileitem::indent_pixels(3), 45);
}

}  // namespace
