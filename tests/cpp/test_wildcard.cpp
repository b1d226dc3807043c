// Whole-name matching with the host's fnmatch rules (case-sensitive); the
// expectations are what fnmatch.fnmatchcase answers, odd sets included.
#include <gtest/gtest.h>

#include "labelled.hpp"
#include "wildcard/wildcard.hpp"

namespace {

struct WildcardCase {
    const char* label;
    std::u32string pattern;
    std::u32string name;
    bool matches;
    friend void PrintTo(const WildcardCase& c, std::ostream* os) { *os << c.label; }
};

class Wildcard : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcard, MatchesAsTheHostDoes) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(wildcard::Pattern(c.pattern).matches(c.name), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Wildcard,
    ::testing::Values(
        WildcardCase{"StarMatchesAll", U"*", U"anything", true},
        WildcardCase{"StarMatchesEmpty", U"*", U"", true},
        WildcardCase{"Suffix", U"*.txt", U"a.txt", true},
        WildcardCase{"CaseCounts", U"*.txt", U"a.TXT", false},
        WildcardCase{"QuestionOne", U"?.txt", U"a.txt", true},
        WildcardCase{"QuestionNotTwo", U"?.txt", U"ab.txt", false},
        WildcardCase{"SetMember", U"[ab]*", U"b1", true},
        WildcardCase{"SetNonMember", U"[ab]*", U"c", false},
        WildcardCase{"NegatedSetMember", U"[!ab]*", U"a", false},
        WildcardCase{"NegatedSetNonMember", U"[!ab]*", U"c", true},
        WildcardCase{"RangeInside", U"[a-c]*", U"b", true},
        WildcardCase{"RangeOutside", U"[a-c]*", U"d", false},
        WildcardCase{"ReversedRangeNothing", U"[c-a]*", U"b", false},
        WildcardCase{"NegatedReversedRangeAnything", U"[!c-a]*", U"b", true},
        WildcardCase{"OpeningBracketInSet", U"*[[]*", U"x[y", true},
        WildcardCase{"ClosingBracketFirstInSet", U"[]]*", U"]x", true},
        WildcardCase{"NegatedClosingBracketFirst", U"[!]]*", U"]", false},
        WildcardCase{"NegatedClosingBracketOther", U"[!]]*", U"a", true},
        WildcardCase{"UnclosedBracketIsItself", U"[", U"[", true},
        WildcardCase{"UnclosedBracketNotOther", U"[", U"a", false},
        WildcardCase{"UnclosedNegatedSetIsItself", U"[!]", U"[!]", true},
        WildcardCase{"UnclosedNegatedSetNotItsMark", U"[!]", U"!", false},
        WildcardCase{"NegatedSetOfClosingBracketAndMore", U"[!]a]", U"b", true},
        WildcardCase{"HyphenFirstInSet", U"[-a]*", U"-", true},
        WildcardCase{"HyphenLastInSet", U"[a-]*", U"-", true},
        WildcardCase{"RangeAfterRange", U"[a-cx-z]", U"y", true},
        WildcardCase{"HyphenAfterRange", U"[a-c-e]", U"d", false},
        WildcardCase{"HyphenAfterRangeItself", U"[a-c-e]", U"-", true},
        WildcardCase{"BackslashIsNoEscape", U"[\\]*", U"\\x", true},
        WildcardCase{"SetWithStar", U"[*]", U"*", true},
        WildcardCase{"SetWithStarNotOther", U"[*]", U"a", false},
        WildcardCase{"EmptyPatternEmptyName", U"", U"", true},
        WildcardCase{"EmptyPatternNotAName", U"", U"a", false},
        WildcardCase{"StarsBacktrack", U"*e*t*", U"sweet", true},
        WildcardCase{"StarsBacktrackToNothing", U"*e*t*", U"swat", false},
        WildcardCase{"NonAsciiRange", U"[\u00e0-\u00ff]*", U"\u00e9t\u00e9", true},
        WildcardCase{"NonAsciiRangeNotAscii", U"[\u00e0-\u00ff]*", U"ete", false},
        WildcardCase{"StarAcrossLineBreak", U"*\n*", U"a\nb", true},
        WildcardCase{"WholeNameOnly", U"x", U"xy", false},
        // A byte that is no UTF-8 comes as U+DC80..U+DCFF, like any other character.
        WildcardCase{"UndecodableByteInName", U"*.txt", U"bad\xdcff.txt", true},
        WildcardCase{"QuestionForAnUndecodableByte", U"bad?", U"bad\xdcff", true}),
    labelled::ByLabel());

TEST(Wildcard, ALongNameAgainstManyStarsEndsQuickly) {
    // Backtracking over every star would take for ever on a name that fails late.
    const std::u32string name(5000, U'a');
    EXPECT_FALSE(wildcard::Pattern(U"*a*a*a*a*a*a*a*a*b").matches(name));
    EXPECT_TRUE(wildcard::Pattern(U"*a*a*a*a*a*a*a*a*").matches(name));
}

}  // namespace
