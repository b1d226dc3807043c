#include <gtest/gtest.h>

#include "labelled.hpp"
#include "lexer/lexer.hpp"
#include "reshaper/fit.hpp"

namespace {

const reshaper::Brackets BRACKETS{U"([{<", U")]}>"};

bool fits(std::u32string_view source, std::u32string_view name) {
    std::vector<lexer::Span> places;
    lexer::scan_into(name, {}, false, places);
    return reshaper::fits(lexer::symbolize(source, false), reshaper::SymbolViews(name, places), BRACKETS);
}

struct FitCase {
    const char* label;
    std::u32string source;
    std::u32string name;
    bool fits;
    friend void PrintTo(const FitCase& c, std::ostream* os) { *os << c.label; }
};

class Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fit, AsDefined) { EXPECT_EQ(fits(GetParam().source, GetParam().name), GetParam().fits); }

INSTANTIATE_TEST_SUITE_P(
    Names, Fit,
    ::testing::Values(
        FitCase{"BothParts", U"a - b", U"Smith - Report", true},
        FitCase{"NoDelimiter", U"a - b", U"Notes without a delimiter", false},
        FitCase{"EmptyLastPart", U"a - b", U"Notes -", false},
        FitCase{"EmptyFirstPart", U"a - b", U"- Notes", false},
        FitCase{"LaterDelimitersStayInTheLastPart", U"a - b", U"p q - r - s", true},
        FitCase{"DoubledDelimiter", U"a - b", U"x -- y", true},
        FitCase{"CommaAndFullStop", U"a, b", U"Smith, John H.", true},
        FitCase{"OtherDelimiterOnly", U"a, b", U"Smith - John", false},
        FitCase{"KeywordsWithoutDelimiterSplitNowhere", U"a b", U"x y", false},
        FitCase{"KeywordsWithoutDelimiterSplitAtTheName", U"a b", U"x b y", true},
        FitCase{"LeadingDelimiterSkipsWhatPrecedes", U"-a", U"junk - x", true},
        FitCase{"LeadingDelimiterMissing", U"-a", U"x", false},
        FitCase{"Group", U"title (series) - author", U"Report (Issue 2) - Finance", true},
        FitCase{"GroupMissing", U"title (series) - author", U"Report - Finance", false},
        FitCase{"GroupOfAnotherBracket", U"title (series) - author", U"Report [Issue 2] - Finance", false},
        FitCase{"GroupAtTheEndDelimiterMissing", U"title (series) - author",
                U"Finance - Quarterly Report (2024)", false},
        FitCase{"GroupEmpty", U"title (series) - author", U"Report () - Finance", false},
        FitCase{"GroupUnclosed", U"a (b)", U"x (y z", false},
        FitCase{"GroupNestedInTheName", U"a (b)", U"x (y (z) w)", true},
        FitCase{"OpeningBracketAfterDelimiterMissing", U"a - (b)", U"x - y", false},
        FitCase{"EmptyGroupInBoth", U"a () b", U"x () y", true},
        FitCase{"EmptyGroupUnclosed", U"a () b", U"x ( y", false},
        FitCase{"ThreeKindsOfBrackets", U"a [b] <c>", U"x [y] <z>", true},
        FitCase{"SecondGroupMissing", U"a [b] <c>", U"x [y] z", false},
        FitCase{"RepeatedKeyword", U"a - a", U"x - y", true},
        FitCase{"RepeatedKeywordSecondEmpty", U"a - a", U"x -", false},
        FitCase{"RepeatedKeywordFirstEmpty", U"a - a", U"- y", false},
        FitCase{"RepeatedKeywordInAGroup", U"a (a)", U"x (y)", true},
        FitCase{"RepeatedKeywordInAGroupEmpty", U"a (a)", U"x ()", false},
        FitCase{"EmptyName", U"a - b", U"", false},
        FitCase{"FallbackPlainName", U"name", U"Notes", true},
        FitCase{"FallbackDots", U"name", U"..", true},
        FitCase{"FallbackBracketsOnly", U"name", U"((", true},
        FitCase{"FallbackDelimiters", U"name", U"a - b (c)", true},
        FitCase{"FallbackUnicode", U"name", U"caf\u00e9 \u2014 na\u00efve", true}),
    labelled::ByLabel());

TEST(Fit, AMessageOrAnErrorNeverFits) {
    const reshaper::Symbols source = lexer::symbolize(U"a - (b)", false);
    const reshaper::Symbols text = lexer::symbolize(U"x - y", false);
    const reshaper::Match found = reshaper::match(source, text, BRACKETS);
    ASSERT_FALSE(found.msg.empty());
    EXPECT_FALSE(reshaper::fits(found));
    EXPECT_THROW(reshaper::match(lexer::symbolize(U"a (b)", false), lexer::symbolize(U"x", false), BRACKETS),
                 reshaper::IndexError);
    EXPECT_FALSE(fits(U"a (b)", U"x"));
    const reshaper::Symbols deep(100000, U"(");
    const std::u32string opened(deep.size(), U'(');
    std::vector<lexer::Span> one_each(deep.size());
    for (std::size_t i = 0; i < one_each.size(); ++i) one_each[i] = {static_cast<int32_t>(i), 1};
    EXPECT_FALSE(reshaper::fits(deep, reshaper::SymbolViews(opened, one_each), BRACKETS));
}

TEST(Fit, TheMatcherStillGoesOnWithoutTheDelimiter) {
    const reshaper::Match found =
        reshaper::match(lexer::symbolize(U"a - b", false), lexer::symbolize(U"Notes", false), BRACKETS);
    EXPECT_EQ(found.msg, U"");
    EXPECT_FALSE(found.all_found);
    ASSERT_EQ(found.stores.size(), 2u);
    EXPECT_EQ(found.stores[0].keyword, U"a");
}

TEST(Fit, TheReasonNamesTheFormat) {
    EXPECT_EQ(reshaper::misfit_reason(U"a - b"), U"does not fit 'a - b'");
    EXPECT_EQ(reshaper::misfit_reason(U"title (series) - author"), U"does not fit 'title (series) - author'");
}

}  // namespace
