#include <gtest/gtest.h>

#include <map>

#include "labelled.hpp"
#include "lexer/lexer.hpp"
#include "reshaper/spelling.hpp"

namespace {

const reshaper::Brackets BRACKETS{U"([{<", U")]}>"};

std::optional<std::u32string> reshape(std::u32string_view source, std::u32string_view target,
                                      std::u32string_view name) {
    return reshaper::reshape_keeping_spelling(lexer::symbolize(source, false), lexer::symbolize(target, true), name,
                                              lexer::drop_blank(name, lexer::scan(name, {})), BRACKETS);
}

struct SpellingCase {
    const char* label;
    std::u32string source;
    std::u32string target;
    std::u32string name;
    std::u32string expected;
    friend void PrintTo(const SpellingCase& c, std::ostream* os) { *os << c.label; }
};

class Spelling : public ::testing::TestWithParam<SpellingCase> {};

TEST_P(Spelling, PartsAsWritten) {
    const SpellingCase& c = GetParam();
    EXPECT_EQ(reshape(c.source, c.target, c.name), std::optional<std::u32string>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Parts, Spelling,
    ::testing::Values(
        SpellingCase{"PlusSigns", U"a - b", U"b - a", U"Lippman - C++ Primer", U"C++ Primer - Lippman"},
        SpellingCase{"Version", U"a - b", U"b - a", U"Notes - v1.2", U"v1.2 - Notes"},
        SpellingCase{"Date", U"a - b", U"b - a", U"Log - 2024-01-15", U"2024-01-15 - Log"},
        SpellingCase{"Underscores", U"a - b", U"b - a", U"x - file_name_with_underscores",
                     U"file_name_with_underscores - x"},
        SpellingCase{"Apostrophe", U"a - b", U"b - a", U"O'Brien - Notes", U"Notes - O'Brien"},
        SpellingCase{"VolumeNumbers", U"a - b", U"b - a", U"Series - Vol 02-01", U"Vol 02-01 - Series"},
        SpellingCase{"BlanksInsideAPart", U"a - b", U"b - a", U"Lee - Two  Spaces", U"Two  Spaces - Lee"},
        SpellingCase{"BlanksAroundTheDelimiterOfTheName", U"a - b", U"b - a", U"Lee-Notes", U"Notes - Lee"},
        SpellingCase{"Unicode", U"a - b", U"b - a", U"caf\u00e9 - na\u00efve", U"na\u00efve - caf\u00e9"},
        SpellingCase{"CommaInitials", U"a, b", U"b a", U"Smith, John H.", U"John H. Smith"},
        SpellingCase{"HelpExampleB", U"title (series) - author", U"author ~ [series] title",
                     U"Mostly Harmless (Hitchhiker #5) - Douglas Adams",
                     U"Douglas Adams ~ [Hitchhiker #5] Mostly Harmless"},
        SpellingCase{"TargetBlanksCollapse", U"a - b", U"b  -   a", U"Lee - Notes", U"Notes - Lee"},
        SpellingCase{"TargetBlanksAtTheEnds", U"a - b", U" b - a ", U"Lee - Notes", U"Notes - Lee"},
        SpellingCase{"TargetBlanksInsideBrackets", U"a - b", U"( b ) a", U"Lee - Notes", U"(Notes) Lee"},
        SpellingCase{"TargetBlankBeforeComma", U"a - b", U"b , a", U"Lee - Notes", U"Notes, Lee"},
        SpellingCase{"TargetWithoutBlanks", U"a - b", U"b-a", U"Lee - Notes", U"Notes-Lee"},
        SpellingCase{"TargetEndsInPunctuation", U"a - b", U"(b) a.", U"Lee - Notes", U"(Notes) Lee."},
        SpellingCase{"TargetWordThatIsNoKeyword", U"a - b", U"b - a - c", U"Lee - Notes", U"Notes - Lee - c"},
        SpellingCase{"KeywordTwice", U"a - b", U"b b", U"Lee - Notes", U"Notes Notes"},
        SpellingCase{"KeywordDropped", U"a - b", U"b", U"Lee - Notes", U"Notes"},
        SpellingCase{"PartPunctuationBesideATargetBlank", U"a - b", U"b a", U"Lee - .net", U".net Lee"},
        SpellingCase{"PartOpeningBracketBesideATargetBlank", U"a - b", U"a b", U"(Lee) - Notes",
                     U"(Lee) Notes"},
        SpellingCase{"FallbackKeepsTheName", U"name", U"name", U"C++  Primer, v1.2", U"C++  Primer, v1.2"},
        SpellingCase{"FallbackInBrackets", U"name", U"[name]", U"x - y", U"[x - y]"}),
    labelled::ByLabel());

TEST(Spelling, NothingForANameThatDoesNotFit) {
    EXPECT_EQ(reshape(U"a - b", U"b - a", U"Notes without a delimiter"), std::nullopt);
    EXPECT_EQ(reshape(U"a - b", U"b", U"Notes"), std::nullopt);
    EXPECT_EQ(reshape(U"title (series) - author", U"author ~ [series] title",
                      U"Finance - Quarterly Report (2024)"),
              std::nullopt);
    EXPECT_EQ(reshape(U"a (b)", U"b a", U"x"), std::nullopt);  // the matcher raises
}

TEST(Spelling, SpecialStringsAreOneSymbol) {
    // The caller's scan decides what a symbol is; the parts are cut from the name by its places.
    const std::u32string name = U"x<=y - z";
    const std::vector<lexer::Span> places = lexer::drop_blank(name, lexer::scan(name, {{U"<=", true}}));
    EXPECT_EQ(reshaper::reshape_keeping_spelling(lexer::symbolize(U"a - b", false), lexer::symbolize(U"b - a", true),
                                                 name, places, BRACKETS),
              std::optional<std::u32string>(U"z - x<=y"));
}

TEST(Spelling, OnlyTheTargetsOwnBlanksAreTidied) {
    const std::map<std::u32string, std::u32string> values{{U"a", U" (x "}, {U"b", U"y ."}};
    const std::u32string out = reshaper::compose_keeping_spelling(
        lexer::symbolize(U"a [ b ]", true), [&](const std::u32string& s) {
            auto at = values.find(s);
            return at == values.end() ? nullptr : &at->second;
        });
    EXPECT_EQ(out, U" (x  [y .]");
}

}  // namespace
