#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "halves/halves.hpp"

namespace {

// Every position is worked on exactly once, whether the list is shared or
// not, and the returned meeting point is where the second half starts.
TEST(Halves, EveryPositionOnceAndTheMeetingPoint) {
    const bool two_cores = std::thread::hardware_concurrency() > 1;
    struct Case {
        std::size_t count, share_from, meets;
    };
    const Case cases[] = {
        {0, 1, 0},                        // nothing to do: no thread either
        {5, 10, 5},                       // too short to share
        {10, 10, two_cores ? 5u : 10u},   // just long enough
        {11, 4, two_cores ? 5u : 11u},    // an odd count: the second half is the longer
    };
    for (const Case& c : cases) {
        std::vector<int> times(c.count, 0);
        std::vector<std::pair<std::size_t, std::size_t>> calls[2];
        const std::size_t meets = halves::in_halves(c.count, c.share_from, [&](std::size_t first, std::size_t end) {
            calls[first == 0 ? 0 : 1].push_back({first, end});
            for (std::size_t i = first; i < end; ++i) ++times[i];
        });
        EXPECT_EQ(meets, c.meets) << c.count;
        EXPECT_EQ(times, std::vector<int>(c.count, 1)) << c.count;
        EXPECT_EQ(calls[0].size(), 1u) << c.count;
        EXPECT_EQ(calls[1].size(), meets < c.count ? 1u : 0u) << c.count;
    }
}

// A failure of either half comes out of the call, after both halves ended.
TEST(Halves, AFailureOfEitherHalfComesOut) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one core: nothing is shared";
    for (const bool first_fails : {true, false}) {
        bool other_ended = false;
        const auto work = [&](std::size_t first, std::size_t) {
            if ((first == 0) == first_fails) throw std::runtime_error("half failed");
            other_ended = true;
        };
        EXPECT_THROW(halves::in_halves(100, 10, work), std::runtime_error) << first_fails;
        EXPECT_TRUE(other_ended) << first_fails;
    }
}

}  // namespace
