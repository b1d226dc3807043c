// Planning a batch: every request is checked against the disk as it is and
// refused with a reason when it is unsafe; the rest are put in an order that
// never needs to overwrite (contents before their folder, chains from their
// free end, cycles and changes of letter case through a temporary name).
#pragma once

#include <optional>
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
    std::optional<Identity> identity;  // the entry must still be this one (undo)
};

// back: an undo found the entry at its old name already, and did nothing.
enum class Status { rename, refused, done, failed, back };
const char* status_name(Status status);
// Where the entry is meant to be: renamed now, or back before an undo.
inline bool in_place(Status status) { return status == Status::done || status == Status::back; }

struct Entry {
    std::string path;
    std::string new_name;
    Status status = Status::rename;
    std::string reason;
};

extern const char* const TARGET_TAKEN;

// What planning says of one request.
struct Verdict {
    Status status = Status::rename;
    std::string reason;
};

struct Plan {
    std::vector<Verdict> verdicts;                    // one per request, in order
    std::vector<std::optional<Fingerprint>> seen;     // each source as it was found
    std::vector<std::size_t> journaled;               // request index of each journal entry
    std::vector<Step> steps;                          // units are consecutive
};

// How much a plan must hold: a preview to print needs only the verdicts; a
// preview that will be applied also what each source was, to tell at apply
// time whether it changed; a plan to carry out also the steps.
enum class Depth { verdicts, fingerprints, steps };

struct PlanInput {
    std::string base;                                        // absolute, links resolved
    const std::vector<Request>* requests = nullptr;
    const std::vector<std::optional<Fingerprint>>* expected = nullptr;  // as the preview saw them
    std::string kept_out;  // relative path of the journal folder when it lies inside base
    Depth depth = Depth::steps;
    const Listing* listing = nullptr;  // of the one folder of a batch, read by the caller already
    bool restoring = false;            // undo: old names come back, leading dots too
    // The preview the user was shown: what it refused stays refused, for
    // the reason shown, whatever changed on disk since.
    const std::vector<Entry>* previewed = nullptr;
};

Plan make_plan(const PlanInput& input);

// The requests with their verdicts, names copied, or (from a batch that
// needs its requests no more) moved.
std::vector<Entry> entries_of(const std::vector<Request>& requests, std::vector<Verdict>&& verdicts);
std::vector<Entry> entries_of(std::vector<Request>&& requests, std::vector<Verdict>&& verdicts);

}  // namespace renamer
