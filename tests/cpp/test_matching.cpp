#include <gtest/gtest.h>

#include <map>

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
    std::u32string source;
    std::u32string name;
    Pairs expected;
    friend void PrintTo(const ParseCase& c, std::ostream* os) {
        *os << ::testing::PrintToString(c.source + U" | " + c.name);
    }
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
        ParseCase{U"a - b", U"Smith - Quarterly Report", {{U"a", U"Smith"}, {U"b", U"Quarterly Report"}}},
        ParseCase{U"a, b", U"Smith, John H.", {{U"a", U"Smith"}, {U"b", U"John H ."}}},
        ParseCase{U"a b", U"x y", {{U"a", U"x y"}, {U"b", U""}}},
        ParseCase{U"a b", U"x b y", {{U"a", U"x"}, {U"b", U"b y"}}},
        ParseCase{U"a - b", U"Notes", {{U"a", U"Notes"}, {U"b", U""}}},
        ParseCase{U"a - b", U"p q - r - s", {{U"a", U"p q"}, {U"b", U"r - s"}}},
        ParseCase{U"a - b", U"x: y - z", {{U"a", U"x : y"}, {U"b", U"z"}}},
        ParseCase{U"-a", U"junk - x", {{U"a", U"x"}}},
        ParseCase{U"title (series) - author", U"Report (Issue 2) - Finance",
                  {{U"series", U"Issue 2"}, {U"title", U"Report"}, {U"author", U"Finance"}}},
        ParseCase{U"a (b)", U"x (y (z) w)", {{U"b", U"y ( z"}, {U"a", U"x"}}},
        ParseCase{U"a (b)", U"x (y z", {{U"b", U"y z"}, {U"a", U"x"}}},
        ParseCase{U"a () b", U"x () y", {{U"a", U"x"}, {U"b", U"y"}}},
        ParseCase{U"", U"anything", {}},
        ParseCase{U"a - b", U"", {{U"a", U""}, {U"b", U""}}},
        ParseCase{U"a - a", U"x - y", {{U"a", U"y"}}}));

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
    std::u32string target;
    std::u32string start, body, end;
    friend void PrintTo(const ComposeCase& c, std::ostream* os) {
        *os << ::testing::PrintToString(c.target);
    }
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
    ::testing::Values(ComposeCase{U"b - a", U"", U"Notes   -   Lee", U""},
                      ComposeCase{U"(b) a", U"(", U"Notes )   Lee", U""},
                      ComposeCase{U"a.", U"", U"Lee", U"."},
                      ComposeCase{U"b - a - c", U"", U"Notes   -   Lee   -   c", U""},
                      ComposeCase{U"", U"", U"", U""}, ComposeCase{U"-", U"-", U"", U""},
                      ComposeCase{U"-x-", U"-", U"x", U"-"},
                      ComposeCase{U" b - a", U"", U"  Notes   -   Lee", U""},
                      ComposeCase{U"b b", U"", U"Notes   Notes", U""},
                      ComposeCase{U"B - A", U"", U"B   -   A", U""},
                      ComposeCase{U"e - b", U"", U"   -   Notes", U""}));

TEST(EndToEnd, TheHelpTextExamples) {
    const auto reshape = [](std::u32string_view source, std::u32string_view target,
                            std::u32string_view name) {
        const Symbols txt = lexer::symbolize(name, false);
        const reshaper::Match m = reshaper::match(lexer::symbolize(source, false), txt, BRACKETS);
        std::map<std::u32string, std::u32string> values;
        for (const auto& kv : keywords_of(txt, m)) values[kv.first] = kv.second;
        const reshaper::Composition c =
            reshaper::compose(lexer::symbolize(target, true), [&](const std::u32string& s) {
                auto at = values.find(s);
                return at == values.end() ? nullptr : &at->second;
            });
        return c.start_symbol + nametidy::presentable(c.body) + c.end_symbol;
    };
    EXPECT_EQ(reshape(U"a, b", U"b a", U"Smith, John H."), U"John H. Smith");
    EXPECT_EQ(reshape(U"a - b", U"b - a", U"Douglas Adams - The Hitchhiker's Guide"),
              U"The Hitchhiker's Guide - Douglas Adams");
    EXPECT_EQ(reshape(U"title (series) - author", U"author ~ [series] title",
                      U"Mostly Harmless (Hitchhiker #5) - Douglas Adams"),
              U"Douglas Adams ~ [Hitchhiker #5] Mostly Harmless");
}

}  // namespace
