#include <gtest/gtest.h>

#include <map>

#include "labelled.hpp"
#include "lexer/lexer.hpp"
#include "nametidy/tidy.hpp"
#include "reshaper/matching.hpp"

namespace {

using reshaper::Symbols;

const reshaper::Brackets BRACKETS{U"([{<", U")]}>"};

// The keyword map as parse_source gives it, in store order.
using Pairs = std::vector<std::pair<std::u32string, std::u32string>>;

Pairs keywords_of(const Symbols& text, const reshaper::Match& m) {
    Pairs out;
    for (const auto& store : m.stores) {
        const std::u32string value = reshaper::joined(text, store.value);
        auto at = std::find_if(out.begin(), out.end(),
                               [&](const auto& kv) { return kv.first == store.keyword; });
        if (at == out.end())
            out.emplace_back(store.keyword, value);
        else
            at->second = value;
    }
    return out;
}

Pairs parse(std::u32string_view source, std::u32string_view name, std::u32string* msg = nullptr) {
    const Symbols src = lexer::symbolize(source, false);
    const Symbols txt = lexer::symbolize(name, false);
    const reshaper::Match m = reshaper::match(src, txt, BRACKETS);
    if (msg) *msg = m.msg;
    return keywords_of(txt, m);
}

struct ParseCase {
    const char* label;
    std::u32string source;
    std::u32string name;
    Pairs expected;
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.label; }
};

class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, KeywordsInStoreOrder) {
    std::u32string msg;
    EXPECT_EQ(parse(GetParam().source, GetParam().name, &msg), GetParam().expected);
    EXPECT_EQ(msg, U"");
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, Parse,
    ::testing::Values(
        ParseCase{"Delimiter", U"a - b", U"Smith - Quarterly Report", {{U"a", U"Smith"}, {U"b", U"Quarterly Report"}}},
        ParseCase{"CommaAndInitial", U"a, b", U"Smith, John H.", {{U"a", U"Smith"}, {U"b", U"John H ."}}},
        ParseCase{"NoDelimiterFirstTakesAll", U"a b", U"x y", {{U"a", U"x y"}, {U"b", U""}}},
        ParseCase{"KeywordAsDelimiter", U"a b", U"x b y", {{U"a", U"x"}, {U"b", U"b y"}}},
        ParseCase{"DelimiterMissing", U"a - b", U"Notes", {{U"a", U"Notes"}, {U"b", U""}}},
        ParseCase{"LaterDelimitersInTheLastPart", U"a - b", U"p q - r - s", {{U"a", U"p q"}, {U"b", U"r - s"}}},
        ParseCase{"OtherPunctuationKept", U"a - b", U"x: y - z", {{U"a", U"x : y"}, {U"b", U"z"}}},
        ParseCase{"FormatWithoutBlanks", U"a-b", U"x - y", {{U"a", U"x"}, {U"b", U"y"}}},
        ParseCase{"LeadingDelimiter", U"-a", U"junk - x", {{U"a", U"x"}}},
        ParseCase{"Group", U"title (series) - author", U"Report (Issue 2) - Finance",
                  {{U"series", U"Issue 2"}, {U"title", U"Report"}, {U"author", U"Finance"}}},
        ParseCase{"NestedGroupInTheName", U"a (b)", U"x (y (z) w)", {{U"b", U"y ( z"}, {U"a", U"x"}}},
        ParseCase{"UnclosedGroup", U"a (b)", U"x (y z", {{U"b", U"y z"}, {U"a", U"x"}}},
        ParseCase{"EmptyGroup", U"a () b", U"x () y", {{U"a", U"x"}, {U"b", U"y"}}},
        ParseCase{"TwoGroups", U"[a] (b)", U"[x] (y)", {{U"a", U"x"}, {U"b", U"y"}}},
        ParseCase{"EmptyFormat", U"", U"anything", {}},
        ParseCase{"EmptyName", U"a - b", U"", {{U"a", U""}, {U"b", U""}}},
        ParseCase{"RepeatedKeywordLastWins", U"a - a", U"x - y", {{U"a", U"y"}}}),
    labelled::ByLabel());

TEST(Parse, MissingOpeningBracketKeepsWhatWasFound) {
    std::u32string msg;
    EXPECT_EQ(parse(U"a - (b)", U"x - y", &msg), (Pairs{{U"a", U"x"}}));
    EXPECT_EQ(msg, U"Expected opening bracket '(' was not found in text");
}

TEST(Parse, BracketWhereTheNameHasEndedIsAnIndexError) {
    EXPECT_THROW(parse(U"title (series) - author", U"Report - Finance"), reshaper::IndexError);
    EXPECT_THROW(parse(U"title (series) - author", U"Report [Issue 2] - Finance"),
                 reshaper::IndexError);
    EXPECT_THROW(parse(U"a (b)", U"x"), reshaper::IndexError);
}

TEST(Parse, DeepNestingIsAnErrorNotACrash) {
    const Symbols open(100000, U"(");
    EXPECT_THROW(reshaper::match(open, open, BRACKETS), reshaper::RecursionError);
}

TEST(FindClosingBracket, FirstOfTheSameKindOrTheLength) {
    EXPECT_EQ(reshaper::find_closing_bracket({U"(", U"x", U")", U")"}, 0, BRACKETS), 2u);
    EXPECT_EQ(reshaper::find_closing_bracket({U"(", U"x"}, 0, BRACKETS), 2u);
    EXPECT_EQ(reshaper::find_closing_bracket({U"<", U"x", U">"}, 0, BRACKETS), 2u);
    EXPECT_EQ(reshaper::find_closing_bracket({U"[", U")", U"]"}, 0, BRACKETS), 2u);
    EXPECT_THROW(reshaper::find_closing_bracket({U"x"}, 0, BRACKETS), reshaper::ValueError);
    EXPECT_THROW(reshaper::find_closing_bracket({U"("}, 1, BRACKETS), reshaper::IndexError);
    EXPECT_THROW(reshaper::find_closing_bracket({U"<"}, 0, {U"([{<", U")"}), reshaper::IndexError);
}

struct ComposeCase {
    const char* label;
    std::u32string target;
    std::u32string start, body, end;
    friend void PrintTo(const ComposeCase& c, std::ostream* os) { *os << c.label; }
};

class Compose : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(Compose, PiecesForTheTidier) {
    const std::map<std::u32string, std::u32string> values{{U"a", U"Lee"}, {U"b", U"Notes"}, {U"e", U""}};
    const reshaper::Composition c = reshaper::compose(
        lexer::symbolize(GetParam().target, true), [&](const std::u32string& s) {
            auto at = values.find(s);
            return at == values.end() ? nullptr : &at->second;
        });
    EXPECT_EQ(c.start_symbol, GetParam().start);
    EXPECT_EQ(c.body, GetParam().body);
    EXPECT_EQ(c.end_symbol, GetParam().end);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, Compose,
    ::testing::Values(ComposeCase{"Swapped", U"b - a", U"", U"Notes   -   Lee", U""},
                      ComposeCase{"OpeningBracketFirst", U"(b) a", U"(", U"Notes )   Lee", U""},
                      ComposeCase{"FullStopLast", U"a.", U"", U"Lee", U"."},
                      ComposeCase{"WordThatIsNoKeyword", U"b - a - c", U"", U"Notes   -   Lee   -   c", U""},
                      ComposeCase{"Empty", U"", U"", U"", U""},
                      ComposeCase{"OnlyADelimiter", U"-", U"-", U"", U""},
                      ComposeCase{"DelimitersAround", U"-x-", U"-", U"x", U"-"},
                      ComposeCase{"LeadingBlank", U" b - a", U"", U"  Notes   -   Lee", U""},
                      ComposeCase{"KeywordTwice", U"b b", U"", U"Notes   Notes", U""},
                      ComposeCase{"CapitalsAreNoKeywords", U"B - A", U"", U"B   -   A", U""},
                      ComposeCase{"EmptyValue", U"e - b", U"", U"   -   Notes", U""}),
    labelled::ByLabel());

// The name made from `name`: its pieces for the tidier, as the composition of
// the keywords the source format finds gives them.
reshaper::Composition composed(std::u32string_view source, std::u32string_view target, std::u32string_view name) {
    const Symbols txt = lexer::symbolize(name, false);
    const reshaper::Match m = reshaper::match(lexer::symbolize(source, false), txt, BRACKETS);
    std::map<std::u32string, std::u32string> values;
    for (const auto& kv : keywords_of(txt, m)) values[kv.first] = kv.second;
    return reshaper::compose(lexer::symbolize(target, true), [&](const std::u32string& s) {
        auto at = values.find(s);
        return at == values.end() ? nullptr : &at->second;
    });
}

std::u32string reshape(std::u32string_view source, std::u32string_view target, std::u32string_view name) {
    const reshaper::Composition c = composed(source, target, name);
    return c.start_symbol + nametidy::presentable(c.body) + c.end_symbol;
}

struct EndToEndCase {
    const char* label;
    std::u32string source, target, name;
    std::u32string body;  // what the tidier is given
    std::u32string result;
    friend void PrintTo(const EndToEndCase& c, std::ostream* os) { *os << c.label; }
};

class EndToEnd : public ::testing::TestWithParam<EndToEndCase> {};

TEST_P(EndToEnd, BodyForTheTidierAndTheName) {
    const EndToEndCase& c = GetParam();
    EXPECT_EQ(composed(c.source, c.target, c.name).body, c.body);
    EXPECT_EQ(reshape(c.source, c.target, c.name), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Worked, EndToEnd,
    ::testing::Values(
        EndToEndCase{"CommaToBlank", U"a, b", U"b a", U"Smith, John H.", U"John H .   Smith", U"John H. Smith"},
        EndToEndCase{"Swapped", U"a - b", U"b - a", U"Lee - Notes", U"Notes   -   Lee", U"Notes - Lee"},
        EndToEndCase{"OpeningBracketFirst", U"a - b", U"(b) a", U"Lee - Notes", U"Notes )   Lee", U"(Notes) Lee"},
        EndToEndCase{"FullStopLast", U"a - b", U"a.", U"Lee - Notes", U"Lee", U"Lee."},
        EndToEndCase{"Group", U"title (series) - author", U"author ~ [series] title", U"Report (Issue 2) - Finance",
                     U"Finance   ~   [ Issue 2 ]   Report", U"Finance ~ [Issue 2] Report"},
        EndToEndCase{"WordThatIsNoKeyword", U"a - b", U"b - a - c", U"Lee - Notes", U"Notes   -   Lee   -   c",
                     U"Notes - Lee - c"},
        EndToEndCase{"EmptyTarget", U"a - b", U"", U"Lee - Notes", U"", U""},
        EndToEndCase{"OnlyADelimiter", U"a - b", U"-", U"Lee - Notes", U"", U"-"},
        EndToEndCase{"DelimitersAround", U"a - b", U"-x-", U"Lee - Notes", U"x", U"-x-"},
        EndToEndCase{"LeadingBlank", U"a - b", U" b - a", U"Lee - Notes", U"  Notes   -   Lee", U"Notes - Lee"},
        EndToEndCase{"KeywordTwice", U"a - b", U"b b", U"Lee - Notes", U"Notes   Notes", U"Notes Notes"},
        EndToEndCase{"CapitalsAreNoKeywords", U"a - b", U"B - A", U"Lee - Notes", U"B   -   A", U"B - A"},
        EndToEndCase{"DelimiterMissing", U"a - b", U"b - a", U"Notes", U"   -   Notes", U"- Notes"}),
    labelled::ByLabel());

TEST(EndToEnd, TheHelpTextExamples) {
    EXPECT_EQ(reshape(U"a, b", U"b a", U"Smith, John H."), U"John H. Smith");
    EXPECT_EQ(reshape(U"a - b", U"b - a", U"Douglas Adams - The Hitchhiker's Guide"),
              U"The Hitchhiker's Guide - Douglas Adams");
    EXPECT_EQ(reshape(U"title (series) - author", U"author ~ [series] title",
                      U"Mostly Harmless (Hitchhiker #5) - Douglas Adams"),
              U"Douglas Adams ~ [Hitchhiker #5] Mostly Harmless");
}

}  // namespace
