// The journal of one batch: the whole plan, written and flushed before the
// first rename, then a line per step done. Undo, after a finished batch or
// after a crash, reads it back and checks the disk for what happened.
#pragma once

#include <optional>
#include <set>
#include <string>
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
    std::string base;
    std::vector<JournalEntry> entries;
    std::vector<Step> steps;
    std::set<std::size_t> logged_done;  // steps the log says were done and not rolled back
    bool undone = false;
};

// Bytes as one space-free field and back.
std::string escape(const std::string& bytes);
std::optional<std::string> unescape(const std::string& field);

std::string format_plan(const Journal& journal);
std::optional<Journal> parse(const std::string& text);

// Where journals live: $XDG_STATE_HOME/reshape, or ~/.local/state/reshape.
std::string default_journal_folder();

// A new journal's path for `base`, and the journals of `base`, newest first.
std::string new_journal_path(const std::string& folder, const std::string& base);
std::vector<std::string> journals_of(const std::string& folder, const std::string& base);

}  // namespace renamer
