#include "cli/progress.hpp"

#include <chrono>

namespace cli {

double steady_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Progress::Progress(std::ostream* terminal, Clock clock, double delay, double interval)
    : terminal_(terminal), clock_(std::move(clock)), start_(terminal ? clock_() : 0), delay_(delay),
      interval_(interval) {}

void Progress::walked(std::size_t entries) {
    walked_ += entries;
    update();
}

void Progress::renamed(std::size_t total) {
    if (!terminal_) return;
    if (renames_start_ < 0) renames_start_ = clock_();
    renamed_ = total;
    update();
}

// The rate is that of the work under way: renames once they have begun,
// entries walked before.
std::string Progress::line(double now) const {
    const bool renaming = renames_start_ >= 0;
    const double seconds = now - (renaming ? renames_start_ : start_);
    const double count = static_cast<double>(renaming ? renamed_ : walked_);
    const long rate = seconds > 0 ? static_cast<long>(count / seconds) : 0;
    return "reshape: " + std::to_string(walked_) + " entries walked, " + std::to_string(renamed_) +
           " renames done, " + std::to_string(rate) + (renaming ? " renames/s" : " entries/s");
}

void Progress::update() {
    if (!terminal_) return;
    const double now = clock_();
    if (now - start_ < delay_ || (last_draw_ >= 0 && now - last_draw_ < interval_)) return;
    last_draw_ = now;
    const std::string text = line(now);
    // Spaces cover what is left of a longer line before.
    *terminal_ << '\r' << text << std::string(drawn_width_ > text.size() ? drawn_width_ - text.size() : 0, ' ');
    terminal_->flush();
    if (text.size() > drawn_width_) drawn_width_ = text.size();
}

void Progress::finish() {
    if (!terminal_ || drawn_width_ == 0) return;
    *terminal_ << '\r' << std::string(drawn_width_, ' ') << '\r';
    terminal_->flush();
    drawn_width_ = 0;
}

}  // namespace cli
