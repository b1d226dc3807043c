// The progress line of a long run: entries walked, renames done and the
// rate, drawn over itself on a terminal once the run has lasted a while,
// and erased at the end so that nothing of it stays in the output.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace cli {

// Seconds on a clock that never goes back.
double steady_seconds();

class Progress {
public:
    using Clock = std::function<double()>;

    // Draws nothing without a terminal; with one, nothing before `delay`
    // seconds have passed since construction, then at most every
    // `interval` seconds.
    explicit Progress(std::ostream* terminal = nullptr, Clock clock = steady_seconds, double delay = 1.0,
                      double interval = 0.25);

    void walked(std::size_t entries);  // more entries read
    void renamed(std::size_t total);   // renames done so far in the batch
    void finish();                     // erases the line, if one was drawn

private:
    void update();
    std::string line(double now) const;

    std::ostream* terminal_;
    Clock clock_;
    double start_, delay_, interval_;
    double renames_start_ = -1;  // when the first rename was counted
    double last_draw_ = -1;
    std::size_t walked_ = 0, renamed_ = 0, drawn_width_ = 0;
};

}  // namespace cli
