#include <gtest/gtest.h>

#include "nametidy/tidy.hpp"

namespace {

struct TidyCase {
    std::u32string in;
    std::u32string out;
    friend void PrintTo(const TidyCase& c, std::ostream* os) {
        *os << ::testing::PrintToString(c.in);
    }
};

class Presentable : public ::testing::TestWithParam<TidyCase> {};

TEST_P(Presentable, Tidies) { EXPECT_EQ(nametidy::presentable(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Documented, Presentable,
    ::testing::Values(
        TidyCase{U"John H .   Smith", U"John H. Smith"},
        TidyCase{U"Notes   -   Lee", U"Notes - Lee"},
        TidyCase{U"Notes )   Lee", U"Notes) Lee"},
        TidyCase{U"Finance   ~   [ Issue 2 ]   Report", U"Finance ~ [Issue 2] Report"},
        TidyCase{U"Notes   -   Lee   -   c", U"Notes - Lee - c"},
        TidyCase{U"   -   Notes", U"- Notes"},
        TidyCase{U"Don ' t Panic", U"Don't Panic"},
        TidyCase{U"The Hitchhiker ' s Guide", U"The Hitchhiker's Guide"},
        TidyCase{U"Series ( Book # 3 )", U"Series (Book #3)"},
        TidyCase{U"x : y , z ; w ! v ?", U"x: y, z; w! v?"},
        TidyCase{U"< a > { b }", U"<a> {b}"},
        TidyCase{U"l ' \u00e9t\u00e9", U"l'\u00e9t\u00e9"}));

INSTANTIATE_TEST_SUITE_P(
    LeftAlone, Presentable,
    ::testing::Values(
        TidyCase{U"", U""}, TidyCase{U"  \t ", U""},
        TidyCase{U"Smith - Quarterly Report", U"Smith - Quarterly Report"},
        // A quotation mark as written keeps its one-sided blank.
        TidyCase{U"the 'Best' of", U"the 'Best' of"},
        TidyCase{U"' quoted", U"' quoted"},
        TidyCase{U"a ' - ' b", U"a ' - ' b"},
        TidyCase{U"# a", U"# a"},
        TidyCase{U"a\u00a0 b", U"a\u00a0 b"},
        TidyCase{U"a\t\nb", U"a b"}));

}  // namespace
