// Every batch kept in the journal folder, as people look back on them: when,
// where, how many renames, and what became of them; and the pruning of old
// ones, which never takes a batch that was cut short and not undone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "renamer/journal.hpp"
#include "renamer/store.hpp"

namespace renamer {

struct BatchRecord {
    std::uint64_t sequence = 0;
    std::int64_t time = 0;  // seconds since the epoch
    std::string base;
    std::size_t renames = 0;  // planned
    std::size_t done = 0;     // carried out, as far as the log tells
    std::string state;        // "done", "stopped", "cut short", "undone" or "partly undone"
    std::vector<JournalEntry> entries;  // old path -> new name
};

struct History {
    std::string problem;  // the journal folder cannot be used
    std::vector<BatchRecord> batches;  // newest first
    std::vector<JournalStore::Unreadable> unreadable;  // journals that cannot be read or trusted, newest first
};

// The batches of the folder `base` ("" for every folder).
History history(const std::string& journal_folder, const std::string& base);

struct PruneRule {
    // A batch goes once it is older than this, or beyond the newest `keep`.
    std::int64_t max_age_seconds = 90 * 24 * 3600;
    std::size_t keep = 200;
};

// Removes the journals of batches older than the rule allows or beyond its
// count, as long as they are done or undone; returns how many went. With
// `problem`, says why the journal folder could not be opened or a journal
// could not be removed (another process at work in the folder is none:
// pruning waits for a next time).
std::size_t prune(const std::string& journal_folder, const PruneRule& rule, std::int64_t now,
                  std::string* problem = nullptr);

}  // namespace renamer
