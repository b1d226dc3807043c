// The progress line: when it is drawn, what it says, and that it leaves
// nothing behind.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/progress.hpp"

namespace {

struct ProgressTest : ::testing::Test {
    double now = 100.0;
    std::ostringstream terminal;
    cli::Progress progress{&terminal, [this] { return now; }};
};

TEST_F(ProgressTest, NothingInTheFirstSecond) {
    now = 100.99;
    progress.walked(500);
    progress.renamed(10);
    progress.finish();
    EXPECT_EQ(terminal.str(), "");
}

TEST_F(ProgressTest, WalkThenRenamesWithTheRateOfTheWorkUnderWay) {
    now = 102.0;
    progress.walked(3000);
    EXPECT_EQ(terminal.str(), "\rreshape: 3000 entries walked, 0 renames done, 1500 entries/s");
    now = 102.5;
    progress.renamed(0);  // the first rename starts the clock of the renames
    now = 104.5;
    progress.renamed(400);
    EXPECT_EQ(terminal.str(),
              "\rreshape: 3000 entries walked, 0 renames done, 1500 entries/s"
              "\rreshape: 3000 entries walked, 0 renames done, 0 renames/s   "
              "\rreshape: 3000 entries walked, 400 renames done, 200 renames/s");
}

TEST_F(ProgressTest, DrawnAtMostFourTimesASecond) {
    now = 101.0;
    progress.walked(1);
    now = 101.2;
    progress.walked(1);  // too soon: counted, not drawn
    now = 101.25;
    progress.walked(1);
    EXPECT_EQ(terminal.str(),
              "\rreshape: 1 entries walked, 0 renames done, 1 entries/s"
              "\rreshape: 3 entries walked, 0 renames done, 2 entries/s");
}

TEST_F(ProgressTest, AShorterLineCoversTheLongerOneAndFinishErasesIt) {
    now = 101.0;
    progress.walked(10000);
    now = 200.0;
    progress.walked(0);  // the rate falls from 10000 to 100: two digits fewer
    progress.finish();
    const std::string first = "reshape: 10000 entries walked, 0 renames done, 10000 entries/s";
    const std::string all = "\r" + first + "\rreshape: 10000 entries walked, 0 renames done, 100 entries/s  \r" +
                            std::string(first.size(), ' ') + "\r";
    EXPECT_EQ(terminal.str(), all);
    progress.finish();  // once erased, nothing more
    EXPECT_EQ(terminal.str(), all);
}

TEST(ProgressWithoutTerminal, NeverEvenReadsTheClock) {
    int reads = 0;
    cli::Progress progress(nullptr, [&] { return ++reads, 1e9; }, 0, 0);
    progress.walked(1);
    progress.renamed(1);
    progress.finish();
    EXPECT_EQ(reads, 0);
}

}  // namespace
