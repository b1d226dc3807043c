// The native chain behind Reshape.run with no Python around it: each name
// of a file (UTF-8, one a line) split, matched, composed and tidied by the
// same object the binding uses, name after name.
//   chain NAMES SOURCE TARGET    prints the median nanoseconds a name of 7 runs
// Timed in the processor time of the thread, so that other work on the
// machine, which takes the processor away now and then, counts for little.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "lexer/lexer.hpp"
#include "names/codec.hpp"
#include "reshaper/chain.hpp"

namespace {

double thread_nanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: chain NAMES SOURCE TARGET\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    std::vector<std::u32string> names;
    for (std::string line; std::getline(in, line);) names.push_back(names::decode(line));
    if (names.empty()) {
        std::fprintf(stderr, "chain: no names in %s\n", argv[1]);
        return 1;
    }
    const reshaper::Symbols source = lexer::symbolize(names::decode(argv[2]), false);
    const reshaper::Symbols target = lexer::symbolize(names::decode(argv[3]), true);
    const reshaper::Brackets brackets{std::u32string(lexer::OPEN_BRACKETS), std::u32string(lexer::CLOSE_BRACKETS)};
    const std::vector<lexer::Special> specials;
    reshaper::Chain chain;
    std::vector<double> runs;
    std::size_t changed = 0;  // used, so that no run can be left out
    for (int run = 0; run < 7; ++run) {
        const double start = thread_nanoseconds();
        for (const std::u32string& name : names)
            changed += chain.reshape(source, target, name, specials, brackets) != name;
        runs.push_back(thread_nanoseconds() - start);
    }
    std::nth_element(runs.begin(), runs.begin() + 3, runs.end());
    std::printf("%.1f ns a name (%zu names, %zu changed a run)\n", runs[3] / static_cast<double>(names.size()),
                names.size(), changed / runs.size());
}
