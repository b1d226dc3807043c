#include <gtest/gtest.h>

#include "labelled.hpp"
#include "years/positions.hpp"

namespace {

struct Case {
    const char* label;
    int64_t lentochunk;
    bool prefix;
    years::Span in_chunk;
    int64_t chunk_length;
    years::Span whole;
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }
};

class WholeName : public ::testing::TestWithParam<Case> {};

TEST_P(WholeName, MovesByTheChunkAndItsPrefix) {
    const Case& c = GetParam();
    const years::Span got = years::in_whole_name(c.lentochunk, c.prefix, c.in_chunk, c.chunk_length);
    EXPECT_EQ(got.start, c.whole.start);
    EXPECT_EQ(got.finish, c.whole.finish);
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, WholeName,
    ::testing::Values(Case{"YearEndsTheChunk", 6, true, {0, 4}, 4, {7, 11}},
                      Case{"RunEndsInsideTheChunk", 6, true, {0, 5}, 6, {7, 11}},
                      Case{"NoPrefixNoChunk", 0, false, {2, 9}, 9, {2, 9}},  // as the search gave them
                      Case{"NoPrefixAfterAChunk", 3, false, {2, 8}, 8, {5, 11}}),
    labelled::ByLabel());

}  // namespace
