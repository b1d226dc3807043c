#include <gtest/gtest.h>

#include "labelled.hpp"
#include "lexer/lexer.hpp"

using lexer::Special;
using lexer::symbolize;
using Symbols = std::vector<std::u32string>;

namespace {

struct SplitCase {
    const char* label;
    std::u32string text;
    Symbols without_ws;
    Symbols with_ws;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.label; }
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, MatchesBothModes) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(symbolize(c.text, false), c.without_ws);
    EXPECT_EQ(symbolize(c.text, true), c.with_ws);
}

INSTANTIATE_TEST_SUITE_P(
    Worked, Split,
    ::testing::Values(
        SplitCase{"NameWithInitial", U"Smith, John H.", {U"Smith", U",", U"John", U"H", U"."},
                  {U"Smith", U",", U" ", U"John", U" ", U"H", U"."}},
        SplitCase{"Delimiter", U"a - b", {U"a", U"-", U"b"}, {U"a", U" ", U"-", U" ", U"b"}},
        SplitCase{"Brackets", U"Title (1999)", {U"Title", U"(", U"1999", U")"},
                  {U"Title", U" ", U"(", U"1999", U")"}},
        SplitCase{"ApostropheAndUnderscore", U"O'Brien_2", {U"O", U"'", U"Brien", U"_", U"2"},
                  {U"O", U"'", U"Brien", U"_", U"2"}},
        SplitCase{"Empty", U"", {}, {}},
        SplitCase{"BlanksOnly", U"   ", {}, {U"   "}},
        SplitCase{"LineBreaksApart", U"x\r\ny", {U"x", U"y"}, {U"x", U"\r", U"\n", U"y"}},
        SplitCase{"LineBreakBetweenBlanks", U" \n ", {}, {U" ", U"\n", U" "}},
        SplitCase{"NonAsciiDashAndSpaceInsideText", U"a\u2013b c\u00a0d", {U"a\u2013b", U"c\u00a0d"},
                  {U"a\u2013b", U" ", U"c\u00a0d"}},
        // A run of non-ASCII spaces is a text run for the scan, but blank for
        // the filter; so are the ASCII information separators.
        SplitCase{"NonAsciiSpacesAreBlank", U"a \u00a0\u2003 b", {U"a", U"b"},
                  {U"a", U" ", U"\u00a0\u2003", U" ", U"b"}},
        SplitCase{"InformationSeparator", U"a\x1c", {U"a\x1c"}, {U"a\x1c"}},
        SplitCase{"DashesOneByOne", U"--", {U"-", U"-"}, {U"-", U"-"}},
        SplitCase{"LettersAndDigits", U"A1b2", {U"A1b2"}, {U"A1b2"}}),
    labelled::ByLabel());

TEST(Scan, ConcatenationGivesBackTheText) {
    const std::u32string text = U" x\t\t(y)--z\n\n \u00e9\u00a0 ,";
    std::u32string joined;
    for (const auto& s : symbolize(text, true)) {
        EXPECT_FALSE(s.empty());
        joined += s;
    }
    EXPECT_EQ(joined, text);
}

struct SpecialCase {
    const char* label;
    std::vector<Special> specials;
    std::u32string text;
    Symbols expected;
    friend void PrintTo(const SpecialCase& c, std::ostream* os) { *os << c.label; }
};

class Specials : public ::testing::TestWithParam<SpecialCase> {};

TEST_P(Specials, FirstInListOrderWinsWhereASymbolBegins) {
    const SpecialCase& c = GetParam();
    EXPECT_EQ(symbolize(c.text, true, c.specials), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Order, Specials,
    ::testing::Values(
        SpecialCase{"LongerListedFirst", {{U"<="}, {U"<"}}, U"a<=b", {U"a", U"<=", U"b"}},
        SpecialCase{"ShorterListedFirst", {{U"<"}, {U"<="}}, U"a<=b", {U"a", U"<", U"=", U"b"}},
        SpecialCase{"Alone", {{U"<="}}, U"x<=y", {U"x", U"<=", U"y"}},
        SpecialCase{"NotWhereATextRunBegins", {{U"b<"}}, U"ab<=", {U"ab", U"<", U"="}},
        SpecialCase{"CutShortByTheEnd", {{U"<=>"}}, U"a<=", {U"a", U"<", U"="}},
        // An empty special string is passed over instead of matching forever.
        SpecialCase{"EmptyIsPassedOver", {{U""}, {U"ab"}}, U"ab c", {U"ab", U" ", U"c"}}),
    labelled::ByLabel());

TEST(Specials, UnmeasurableEntryFailsWhereFirstTried) {
    const std::vector<Special> specials{{U"a", true}, {{}, false}};
    // Position 0 is taken by the first entry, so the placeholder is never tried.
    EXPECT_EQ(symbolize(U"a", true, specials), Symbols{U"a"});
    EXPECT_NO_THROW(symbolize(U"", true, specials));
    try {
        symbolize(U"b", true, specials);
        FAIL() << "expected UnmeasurableSpecial";
    } catch (const lexer::UnmeasurableSpecial& e) {
        EXPECT_EQ(e.index, 1u);
    }
}

struct ClassifyCase {
    const char* label;
    std::u32string text;
    lexer::TokType type;
    friend void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << c.label; }
};

class Classify : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(Classify, FirstRuleThatHolds) {
    EXPECT_EQ(lexer::classify(GetParam().text, {U"<="}), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Classify,
    ::testing::Values(ClassifyCase{"Word", U"Smith", lexer::TEXT},
                      ClassifyCase{"Blank", U" ", lexer::WHITESPACE},
                      ClassifyCase{"BlanksAndTab", U" \t ", lexer::WHITESPACE},
                      ClassifyCase{"LineBreak", U"\n", lexer::NEWLINE},
                      ClassifyCase{"TwoLineBreaks", U"\n\n", lexer::WHITESPACE},
                      ClassifyCase{"OpeningBracket", U"(", lexer::BRACKETING},
                      ClassifyCase{"ClosingAngle", U">", lexer::BRACKETING},
                      ClassifyCase{"Comma", U",", lexer::PUNCTUATION},
                      ClassifyCase{"Dash", U"-", lexer::PUNCTUATION},
                      ClassifyCase{"Empty", U"", lexer::BRACKETING},
                      ClassifyCase{"TwoBrackets", U"([", lexer::BRACKETING},
                      ClassifyCase{"BracketPair", U"()", lexer::PUNCTUATION},
                      ClassifyCase{"PunctuationRun", U",-.", lexer::PUNCTUATION},
                      ClassifyCase{"TwoDashes", U"--", lexer::UNDEFINED},
                      ClassifyCase{"WordsWithBlank", U"a b", lexer::UNDEFINED},
                      ClassifyCase{"LetterAndFullStop", U"H.", lexer::UNDEFINED},
                      ClassifyCase{"Digits", U"1999", lexer::TEXT},
                      ClassifyCase{"NonAsciiDash", U"\u2013", lexer::TEXT},
                      ClassifyCase{"SpecialString", U"<=", lexer::SPECIAL},
                      ClassifyCase{"PrefixOfASpecial", U"<", lexer::BRACKETING}),
    labelled::ByLabel());

TEST(TokTypes, CodesAreTheSevenInOrder) {
    const std::vector<int32_t> codes(std::begin(lexer::TOKTYPES), std::end(lexer::TOKTYPES));
    EXPECT_EQ(codes, (std::vector<int32_t>{0, 100, 101, 102, 103, 104, 105}));
    EXPECT_TRUE(lexer::is_toktype(0));
    EXPECT_FALSE(lexer::is_toktype(1));
    EXPECT_FALSE(lexer::is_toktype(99));
}

}  // namespace
