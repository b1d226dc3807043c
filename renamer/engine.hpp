// The batch rename engine. A batch is planned whole before anything on
// disk changes: unsafe entries are refused with a reason, the rest are put
// in an order that never needs to overwrite (contents before their folder,
// chains from their free end, cycles through a temporary name), written to
// a journal, and carried out with renames that cannot replace a file.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "renamer/disk.hpp"
#include "renamer/journal.hpp"

namespace renamer {

// One wish: the entry at `path` (relative to the base folder, components
// joined by "/") is to be called `new_name` (one component).
struct Request {
    std::string path;
    std::string new_name;
};

enum class Status { rename, refused, done, failed };
const char* status_name(Status status);

struct Entry {
    std::string path;
    std::string new_name;
    Status status = Status::rename;
    std::string reason;
};

// Raised by a test hook to make a step fail as a rename would.
struct StepFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Hooks {
    std::function<void(std::size_t step)> before_step;  // tests: fail or stop at a step
};

class Batch {
public:
    // Plans the batch against the disk as it is now; nothing is changed.
    Batch(const std::string& base, std::vector<Request> requests);

    // Every request, in order, as "rename" or "refused" with the reason.
    const std::vector<Entry>& preview() const { return preview_; }

    // Plans again (an entry that changed since the preview is refused),
    // journals the plan and carries it out. Every request comes back as
    // done, refused or failed; a failed chain or cycle is rolled back.
    std::vector<Entry> apply(const std::string& journal_folder, const Hooks& hooks = {});

private:
    std::string base_;
    std::vector<Request> requests_;
    std::vector<std::optional<Fingerprint>> seen_;
    std::vector<Entry> preview_;
};

struct UndoResult {
    bool found = false;  // false: no batch of this folder is left to undo
    std::vector<Entry> entries;
};

// Undoes the most recent batch of `base` that is not undone yet, whether it
// finished or was cut short, step by step from the last; a step whose file
// has changed since is refused and left as it is.
UndoResult undo_latest(const std::string& base, const std::string& journal_folder);

bool can_undo(const std::string& base, const std::string& journal_folder);

}  // namespace renamer
