#include <gtest/gtest.h>

#include "labelled.hpp"
#include "nametidy/tidy.hpp"

namespace {

struct TidyCase {
    const char* label;
    std::u32string in;
    std::u32string out;
    friend void PrintTo(const TidyCase& c, std::ostream* os) { *os << c.label; }
};

class Presentable : public ::testing::TestWithParam<TidyCase> {};

TEST_P(Presentable, Tidies) { EXPECT_EQ(nametidy::presentable(GetParam().in), GetParam().out); }

// What the composition of names hands over (blank runs where the target
// format had one blank), and what a user must see.
INSTANTIATE_TEST_SUITE_P(
    Documented, Presentable,
    ::testing::Values(
        TidyCase{"FullStopOfAnInitial", U"John H .   Smith", U"John H. Smith"},
        TidyCase{"Delimiter", U"Notes   -   Lee", U"Notes - Lee"},
        TidyCase{"ClosingBracket", U"Notes )   Lee", U"Notes) Lee"},
        TidyCase{"OneWord", U"Lee", U"Lee"},
        TidyCase{"BracketsAndTilde", U"Finance   ~   [ Issue 2 ]   Report", U"Finance ~ [Issue 2] Report"},
        TidyCase{"TwoDelimiters", U"Notes   -   Lee   -   c", U"Notes - Lee - c"},
        TidyCase{"EmptyFirstPart", U"   -   Notes", U"- Notes"},
        TidyCase{"Apostrophe", U"Don ' t Panic", U"Don't Panic"},
        TidyCase{"PossessiveApostrophe", U"The Hitchhiker ' s Guide", U"The Hitchhiker's Guide"},
        TidyCase{"ApostropheAndDelimiter", U"The Hitchhiker ' s Guide   -   Douglas Adams",
                 U"The Hitchhiker's Guide - Douglas Adams"},
        TidyCase{"NumberSign", U"Series ( Book # 3 )", U"Series (Book #3)"},
        TidyCase{"NumberSignInBrackets", U"Adams   ~   [ Trilogy # 1 ]   Guide", U"Adams ~ [Trilogy #1] Guide"},
        TidyCase{"Punctuation", U"x : y , z ; w ! v ?", U"x: y, z; w! v?"},
        TidyCase{"AngleAndCurlyBrackets", U"< a > { b }", U"<a> {b}"},
        TidyCase{"ThreeKindsOfBrackets", U"( a )   < b >   { c }", U"(a) <b> {c}"},
        TidyCase{"NonAsciiAfterApostrophe", U"l ' \u00e9t\u00e9", U"l'\u00e9t\u00e9"}),
    labelled::ByLabel());

INSTANTIATE_TEST_SUITE_P(
    LeftAlone, Presentable,
    ::testing::Values(
        TidyCase{"Empty", U"", U""},
        TidyCase{"BlanksAndTab", U"  \t ", U""},
        TidyCase{"BlanksTabAndLineBreak", U" \t\n ", U""},
        TidyCase{"TidyName", U"Smith - Quarterly Report", U"Smith - Quarterly Report"},
        // A quotation mark as written keeps its one-sided blank.
        TidyCase{"QuotedWord", U"the 'Best' of", U"the 'Best' of"},
        TidyCase{"LeadingQuote", U"' quoted", U"' quoted"},
        TidyCase{"QuotedDelimiter", U"a ' - ' b", U"a ' - ' b"},
        TidyCase{"FullStopBeforeANumber", U"Vol. 2", U"Vol. 2"},
        TidyCase{"NumberSignBeforeAWord", U"# a", U"# a"},
        TidyCase{"NumberSignBeforeNotes", U"# notes", U"# notes"},
        TidyCase{"NoBreakSpaceBeforeABlank", U"a\u00a0 b", U"a\u00a0 b"},
        TidyCase{"BlankBeforeANoBreakSpace", U"caf\u00e9 \u00a0bar", U"caf\u00e9 \u00a0bar"},
        TidyCase{"TabAndLineBreakBecomeABlank", U"a\t\nb", U"a b"}),
    labelled::ByLabel());

// Whitespace runs of every kind around the apostrophe, whose rule looks
// past the blank after it.
INSTANTIATE_TEST_SUITE_P(
    ApostropheAmidRuns, Presentable,
    ::testing::Values(
        TidyCase{"TabsAroundIt", U"Don \t'\t t", U"Don't"},
        TidyCase{"LineBreakAfterIt", U"a ' \n b", U"a'b"},
        TidyCase{"BlanksAtBothEnds", U"  Don ' t  ", U"Don't"},
        TidyCase{"OnlyBlanksAfterIt", U"Don '   ", U"Don '"},
        TidyCase{"AtTheEnd", U"x '", U"x '"},
        TidyCase{"AtTheStart", U"' x", U"' x"},
        TidyCase{"TwoInARow", U"x ' ' y", U"x ' ' y"},
        TidyCase{"TwoWordsClosingUp", U"a ' b ' c", U"a'b'c"},
        TidyCase{"AfterAnOpeningBracket", U"( ' t", U"(' t"},
        TidyCase{"AfterANoBreakSpace", U"a \u00a0' b", U"a \u00a0' b"},
        TidyCase{"BetweenNonAsciiLetters", U"\u00e9 ' \u00e9", U"\u00e9'\u00e9"},
        TidyCase{"NumberSignAcrossATab", U"# \t 7", U"#7"}),
    labelled::ByLabel());

TEST(WritePresentable, WritesNoMoreThanTheTextAndCountsWhatItWrote) {
    const std::u32string text = U"  Notes   -   Lee ' s  ";
    std::u32string buffer(text.size() + 1, U'*');  // one past the room it is given
    const std::size_t written = nametidy::write_presentable(text, buffer.data());
    EXPECT_EQ(buffer.substr(0, written), U"Notes - Lee's");
    EXPECT_EQ(buffer.back(), U'*');
}

}  // namespace
