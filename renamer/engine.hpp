// The batch rename engine. A batch is planned whole before anything on
// disk changes (planner.hpp), written to a journal, and carried out with
// renames that cannot replace a file; undo takes a batch back from the
// journal and the disk.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "renamer/planner.hpp"
#include "renamer/store.hpp"

namespace renamer {

// Raised by a test hook to make a step fail as a rename would.
struct StepFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Hooks {
    std::function<void(std::size_t step)> before_step;  // tests: fail or stop at a step
    std::function<bool()> stop_requested;               // asked between units (a signal came)
};

extern const char* const INTERRUPTED;

class Batch {
public:
    // What the batch is for: a preview to show and nothing more, or a batch
    // to carry out (perhaps after showing its preview).
    enum class Use { preview_only, apply };

    // Nothing is planned or changed yet. The journal folder is never part
    // of a batch. A caller that has just read the batch's one folder may
    // lend its listing to the preview (it must outlive the first preview()).
    Batch(const std::string& base, std::vector<Request> requests,
          const std::string& journal_folder = default_journal_folder(), Use use = Use::apply,
          const Listing* listing = nullptr);

    // Every request, in order, as "rename" or "refused" with the reason,
    // planned against the disk as it is at the first call.
    const std::vector<Entry>& preview() const;

    // The preview, for a caller that will show it and be done with the
    // batch: the requests handed back, each with its verdict, and no entry
    // made of them. Instead of preview(), not after it.
    struct Verdicts {
        std::vector<Request> requests;
        std::vector<Verdict> verdicts;
    };
    Verdicts take_verdicts() &&;

    // Plans (again, after a preview: an entry that changed since is
    // refused), journals the plan and carries it out. Every request comes
    // back as done, refused or failed; a failed chain or cycle is rolled back.
    std::vector<Entry> apply(const Hooks& hooks = {});

    // After apply(): why the journal could not be written to its end ("" when
    // it was). The renames reported done were carried out all the same, and
    // undo finds them as after a crash; but the user must hear of it.
    const std::string& journal_problem() const { return journal_problem_; }

private:
    PlanInput input(const std::vector<std::optional<Fingerprint>>* expected, Depth depth) const;
    // The verdicts of a preview that looks no further than the lent listing
    // (or the disk's), and records nothing for an apply.
    std::vector<Verdict> listed_verdicts() const;

    std::string base_;
    std::string journal_folder_;
    std::string kept_out_;
    std::string refusal_;  // the whole batch is refused, for this reason
    Use use_;
    const Listing* listing_;
    std::vector<Request> requests_;
    mutable std::vector<std::optional<Fingerprint>> seen_;
    mutable std::optional<std::vector<Entry>> preview_;
    std::string journal_problem_;
};

struct UndoResult {
    bool found = false;    // false: no batch of this folder is left to undo
    std::string problem;   // why undo could not even look (the journal folder)
    std::string journal_problem;  // why the batch's journal could not be marked after the undo
    std::uint64_t sequence = 0;
    std::vector<Entry> entries;  // path: where the entry is now; new_name: the name it gets back
};

// Takes back the most recent batch of `base` that changed something and is
// not undone yet, whether it finished or was cut short; entries that
// changed since, or whose old name is taken, are refused and left as they
// are; entries found at their old names already are "back". A batch is
// settled once undone, so the next undo reaches the one before it even when
// some entries had to be refused; chosen by its number, it can be undone
// again for those.
UndoResult undo_latest(const std::string& base, const std::string& journal_folder, const Hooks& hooks = {});

// What undo_latest would do now, without doing it: entries "rename" or
// "refused" (and "back" for those at their old names already).
UndoResult undo_preview(const std::string& base, const std::string& journal_folder);

// Which batch to take back, and which of its entries: the newest that
// changed something, or the one with this sequence number; every entry, or
// those whose old paths are listed.
struct UndoChoice {
    std::optional<std::uint64_t> sequence;
    std::optional<std::vector<std::string>> only;
    // The preview the user was shown (of the same choice): only that batch
    // is taken back, and what it refused stays refused, for the reason shown.
    const UndoResult* shown = nullptr;
};

// undo_latest and undo_preview for a chosen batch. Entries a later batch
// or the user changed are refused, with the reason; the rest come back.
UndoResult undo_chosen(const std::string& base, const std::string& journal_folder, const UndoChoice& choice,
                       const Hooks* hooks);

bool can_undo(const std::string& base, const std::string& journal_folder);

}  // namespace renamer
