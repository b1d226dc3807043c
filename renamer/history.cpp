#include "history.hpp"

#include <cerrno>
#include <cstring>

#include "renamer/disk.hpp"
#include "renamer/store.hpp"

namespace renamer {

namespace {

BatchRecord record_of(Journal&& journal) {
    BatchRecord r;
    r.sequence = journal.sequence;
    r.time = journal.time;
    r.base = std::move(journal.base);
    r.renames = journal.entries.size();
    std::vector<bool> moved(journal.entries.size(), false);
    for (std::size_t step : journal.logged_done) moved[journal.steps[step].entry] = true;
    for (bool m : moved) r.done += m;
    if (journal.undone)
        r.state = journal.kept ? "partly undone" : "undone";
    else if (journal.partly_undone)
        r.state = "partly undone";
    else
        r.state = !journal.complete ? "cut short" : journal.stopped ? "stopped" : "done";
    r.entries = std::move(journal.entries);
    return r;
}

}  // namespace

History history(const std::string& journal_folder, const std::string& base) {
    History out;
    const std::optional<JournalStore> store = JournalStore::open(journal_folder, out.problem);
    if (!store) return out;
    const std::string root = base.empty() ? "" : real_path(base);
    if (!base.empty() && root.empty()) return out;
    for (JournalStore::Stored& stored : base.empty() ? store->all_journals(&out.unreadable)
                                                     : store->journals_of(root, &out.unreadable))
        out.batches.push_back(record_of(std::move(stored.journal)));
    return out;
}

std::size_t prune(const std::string& journal_folder, const PruneRule& rule, std::int64_t now,
                  std::string* problem) {
    std::string reason;
    std::optional<JournalStore> store = JournalStore::open(journal_folder, reason);
    if (!store) {
        if (problem) *problem = reason;
        return 0;
    }
    if (!store->lock(reason, std::chrono::milliseconds(0))) return 0;
    std::size_t removed = 0, index = 0;
    for (const JournalStore::Stored& stored : store->all_journal_marks()) {
        const bool old = index++ >= rule.keep || stored.journal.time < now - rule.max_age_seconds;
        // A batch cut short and not undone may still hold entries at temporary names.
        const bool settled = stored.journal.undone || stored.journal.complete;
        if (!old || !settled) continue;
        if (store->remove(stored.name))
            ++removed;
        else if (problem && problem->empty())
            *problem = store->journal_called(stored.name) + " could not be removed: " + std::strerror(errno);
    }
    return removed;
}

}  // namespace renamer
