#include "engine.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "renamer/executor.hpp"
#include "renamer/paths.hpp"

namespace renamer {

const char* const INTERRUPTED = "not carried out: the batch was interrupted";

namespace {

std::string base_problem(const std::string& base) { return "the folder " + base + " cannot be opened"; }

// `path` with links resolved, also when its last folders are still to be made.
std::string resolved_even_if_missing(const std::string& path) {
    std::string head = path, tail;
    while (!head.empty()) {
        const std::string real = real_path(head);
        if (!real.empty()) return real + tail;
        const std::size_t slash = head.rfind('/');
        if (slash == std::string::npos) return "";
        tail = head.substr(slash) + tail;
        head.erase(slash);
    }
    return "";
}

void set_all(std::vector<Entry>& entries, Status from, Status to, const std::string& reason) {
    for (Entry& e : entries)
        if (e.status == from) e.status = to, e.reason = reason;
}

}  // namespace

Batch::Batch(const std::string& base, std::vector<Request> requests, const std::string& journal_folder, Use use,
             const Listing* listing)
    : base_(real_path(base)), journal_folder_(journal_folder), use_(use), listing_(listing),
      requests_(std::move(requests)) {
    if (base_.empty()) {
        refusal_ = base_problem(base);
        return;
    }
    const std::string journals = resolved_even_if_missing(journal_folder_);
    if (is_within(base_, journals))
        refusal_ = "the folder holds the journals that undo needs";
    else
        kept_out_ = part_below(journals, base_);
}

PlanInput Batch::input(const std::vector<std::optional<Fingerprint>>* expected, Depth depth) const {
    // A listing lent for the preview is old news by the time of apply.
    PlanInput in{base_, &requests_, expected, kept_out_, depth, depth == Depth::steps ? nullptr : listing_};
    if (expected) in.previewed = &*preview_;
    return in;
}

const std::vector<Entry>& Batch::preview() const {
    if (preview_) return *preview_;
    if (!refusal_.empty() || use_ == Use::preview_only) {
        preview_ = entries_of(requests_, listed_verdicts());
        return *preview_;
    }
    Plan plan = make_plan(input(nullptr, Depth::fingerprints));
    preview_ = entries_of(requests_, std::move(plan.verdicts));
    seen_ = std::move(plan.seen);
    return *preview_;
}

Batch::Verdicts Batch::take_verdicts() && {
    if (preview_) throw std::logic_error("the verdicts of a batch are taken after its preview");
    std::vector<Verdict> verdicts = listed_verdicts();
    return {std::move(requests_), std::move(verdicts)};
}

std::vector<Verdict> Batch::listed_verdicts() const {
    if (!refusal_.empty()) return std::vector<Verdict>(requests_.size(), {Status::refused, refusal_});
    return make_plan(input(nullptr, Depth::verdicts)).verdicts;
}

std::vector<Entry> Batch::apply(const Hooks& hooks) {
    if (use_ == Use::preview_only) throw std::logic_error("a batch made for a preview only is applied");
    if (!refusal_.empty()) return preview();
    std::string reason;
    std::optional<JournalStore> store = JournalStore::open(journal_folder_, reason);
    if (!store || !store->lock(reason, std::chrono::seconds(10), hooks.stop_requested)) {
        std::vector<Entry> result = preview();
        set_all(result, Status::rename, Status::failed, reason);
        return result;
    }
    Plan plan = make_plan(input(preview_ ? &seen_ : nullptr, Depth::steps));
    std::vector<Entry> result = entries_of(requests_, std::move(plan.verdicts));
    if (plan.steps.empty()) return result;

    Journal journal;
    journal.base = base_;
    journal.entries.reserve(plan.journaled.size());
    for (std::size_t request : plan.journaled)
        journal.entries.push_back({requests_[request].path, requests_[request].new_name});
    journal.steps = std::move(plan.steps);
    const std::vector<Step>& steps = journal.steps;
    const std::string name = store->create(journal, reason);
    if (name.empty()) {
        set_all(result, Status::rename, Status::failed, reason);
        return result;
    }
    AppendFile log(store->folder(), name);
    Executor executor(base_, steps, &log, hooks);
    // Without its log, undo after a crash would have to guess: stop then.
    executor.run_all(plan.journaled, result, [&]() -> std::string {
        if (!executor.log_failed()) return "";
        return "not carried out: " + store->journal_called(name) + " cannot be written to";
    });
    const bool stopped = std::any_of(result.begin(), result.end(), [](const Entry& e) { return e.reason == INTERRUPTED; });
    if (!((!stopped || log.append(STOPPED)) && log.append("complete") && log.sync()))
        journal_problem_ = store->journal_called(name) + " could not be written to its end (" + log.failure() + ")";
    return result;
}

}  // namespace renamer
