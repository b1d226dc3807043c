// The journal of one batch: the whole plan, written and flushed before the
// first rename, then a line per step done. Undo, after a finished batch or
// after a crash, reads it back and checks the disk for what happened.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "renamer/disk.hpp"

namespace renamer {

// One rename on disk: inside `dir` (relative to the base, "" for the base),
// `from` becomes `to`. `entry` is the request it serves; `unit` groups the
// steps of one chain or cycle, which succeed or are rolled back together.
struct Step {
    std::string dir;
    std::string from;
    std::string to;
    Identity moved;  // the entry this step moves
    std::size_t entry = 0;
    std::size_t unit = 0;
};

struct JournalEntry {
    std::string path;
    std::string new_name;
};

struct Journal {
    std::uint64_t sequence = 0;  // orders the batches; the clock may be stepped back
    std::int64_t time = 0;       // seconds since the epoch, for people to read
    std::string base;
    std::vector<JournalEntry> entries;
    std::vector<Step> steps;
    std::set<std::size_t> logged_done;  // steps the log says were done and not rolled back
    bool complete = false;              // the batch ran to its end; the log is whole
    bool stopped = false;               // asked to stop, it left units out (still complete)
    bool undone = false;
    std::size_t kept = 0;               // entries an undo had to leave as they were
    bool partly_undone = false;         // some entries were taken back, others not yet

    // Whether the batch may have changed anything on disk.
    bool changed_something() const { return !complete || !logged_done.empty(); }
};

// Bytes as one field (no tab, no line break, no control character) and back.
std::string escape(const std::string& bytes);
std::optional<std::string> unescape(std::string_view field);

std::string format_plan(const Journal& journal);

// The line that marks a journal undone; `kept` entries had to stay.
std::string undone_line(std::size_t kept);
extern const char* const PARTLY_UNDONE;  // the line after some entries were taken back
extern const char* const STOPPED;        // the line before "complete" of a batch asked to stop

// The journal in `text`, or nothing when it is not one, was cut short before
// its plan was whole, or names a step that would leave its batch's folder
// or touch a name the plan does not give its entry. With `marks_only`, its
// header, log and marks (complete, undone) and no entries or steps, read
// without looking into the plan: enough to tell which journals to prune.
// The text may then leave out lines between the header and the marks (and
// so part of the log): a journal marked complete or undone had its plan whole.
std::optional<Journal> parse(const std::string& text, bool marks_only = false);

}  // namespace renamer
