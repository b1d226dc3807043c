// Undo reads where each entry of a batch should be from the journal and
// finds where it is from the disk: at its new name, at its old name, or at
// one of the engine's temporary names when a batch (or an earlier undo) was
// cut short in a cycle. What is not back at its old name becomes a request
// of a new batch, planned and carried out as any other: so undo inherits
// every safety of a batch (no replacing, cycles through a temporary name,
// units rolled back whole), and entries are matched by identity first.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string_view>
#include <unordered_map>

#include "renamer/engine.hpp"
#include "renamer/executor.hpp"
#include "renamer/paths.hpp"

namespace renamer {

namespace {

// The undo of one journal, as found on disk now.
struct UndoPlan {
    std::vector<Request> requests;
    std::vector<Entry> settled;  // back already, or lost: nothing to rename
    bool empty() const { return requests.empty() && settled.empty(); }
};

struct EntrySteps {
    std::string dir, old_name, new_name;
    std::vector<std::string> names;  // where it may be, the likeliest first; its old name last
    Identity id;
    bool logged = false;
};

std::vector<EntrySteps> steps_by_entry(const Journal& journal) {
    std::vector<EntrySteps> out(journal.entries.size());
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        EntrySteps& e = out[i];
        split_path(journal.entries[i].path, e.dir, e.old_name);
        e.new_name = journal.entries[i].new_name;
    }
    for (std::size_t i = journal.steps.size(); i-- > 0;) {
        const Step& s = journal.steps[i];
        EntrySteps& e = out[s.entry];
        e.id = s.moved;
        if (journal.logged_done.count(i)) e.logged = true;
        for (const std::string& name : {s.to, s.from})
            if (std::find(e.names.begin(), e.names.end(), name) == e.names.end()) e.names.push_back(name);
    }
    return out;
}

// Where the entry with identity `id` is in `folder`: one of `names`, else
// (when `search` is set) any temporary name; "" when it is nowhere.
std::string locate(const Folder& folder, const std::vector<std::string>& names, const Identity& id, bool search) {
    for (const std::string& name : names)
        if (const auto fp = fingerprint(folder, name); fp && fp->id == id) return name;
    if (!search) return "";
    if (const auto listing = names_in(folder))
        for (std::size_t i = 0; i < listing->size(); ++i)
            if (const std::string_view name = listing->name(i); is_temporary_name(name))
                if (const auto fp = fingerprint(folder, std::string(name)); fp && fp->id == id) return std::string(name);
    return "";
}

UndoPlan plan_undo(const std::string& root, const Journal& journal, const std::optional<std::vector<std::string>>& only) {
    UndoPlan plan;
    const std::vector<EntrySteps> entries = steps_by_entry(journal);
    // Entries left out are still looked for: a folder among them moves the paths below it.
    const auto wanted = [&](std::size_t i) {
        return !only || std::find(only->begin(), only->end(), journal.entries[i].path) != only->end();
    };
    // Shallow entries first: a folder renamed by the batch changes the
    // current path of everything below it.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].names.empty()) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return depth_of(entries[a].dir) < depth_of(entries[b].dir); });
    std::map<std::string, std::string> now_of;  // old path -> path now, for entries found elsewhere
    const auto path_now = [&](const std::string& dir) {
        std::string now, old;
        std::size_t start = 0;
        while (start < dir.size()) {
            std::size_t end = dir.find('/', start);
            if (end == std::string::npos) end = dir.size();
            const std::string component = dir.substr(start, end - start);
            old = joined(old, component);
            const auto it = now_of.find(old);
            now = it != now_of.end() ? it->second : joined(now, component);
            start = end + 1;
        }
        return now;
    };
    for (std::size_t i : order) {
        const EntrySteps& e = entries[i];
        // A complete journal tells which entries moved; after a crash any may have.
        const bool may_have_moved = e.logged || !journal.complete;
        const std::string dir = path_now(e.dir);
        std::string reason;
        int error = 0;
        const Folder folder = open_folder(root, dir, reason, &error);
        const std::string at = folder.open() ? locate(folder, e.names, e.id, may_have_moved) : "";
        const std::string new_path = joined(dir, e.new_name);
        if (!at.empty() && at != e.old_name) now_of[journal.entries[i].path] = joined(dir, at);
        if (!wanted(i)) continue;
        if (at == e.old_name) {
            if (e.logged) plan.settled.push_back({new_path, e.old_name, Status::back, ""});
        } else if (!at.empty()) {
            plan.requests.push_back({joined(dir, at), e.old_name, e.id});
        } else if (may_have_moved && folder.open()) {
            plan.settled.push_back({new_path, e.old_name, Status::refused, new_path + " has changed since the batch"});
        } else if (may_have_moved) {
            // A folder out of reach for now keeps the batch open for the next
            // undo; one that is gone is a refusal for good.
            plan.settled.push_back({new_path, e.old_name, may_open_later(error) ? Status::failed : Status::refused,
                                    reason});
        }
    }
    return plan;
}

bool is_parked(const std::string& path) {
    std::string_view dir, name;
    return split_path(path, dir, name) && is_temporary_name(name);
}

// Whether every entry of the batch is back at its old name.
bool nothing_left(const std::string& root, const Journal& journal) {
    const UndoPlan rest = plan_undo(root, journal, std::nullopt);
    return rest.requests.empty() && std::all_of(rest.settled.begin(), rest.settled.end(),
                                                [](const Entry& e) { return in_place(e.status); });
}

// Where an entry had its old name: its folder now, and the old name.
std::string old_path(const std::string& path, const std::string& old_name) {
    std::string dir, name;
    return split_path(path, dir, name) ? joined(dir, old_name) : old_name;
}

// For each request, its entry in the preview `shown` when that refused it,
// or a refusal when that found it back at its old name: OK was to leave it
// alone, wherever it went since.
std::vector<Entry> refused_when_shown(const std::vector<Request>& requests, const UndoResult& shown) {
    std::unordered_map<std::string_view, const Entry*> refused;
    std::unordered_map<std::string, const Entry*> back;  // by the old path
    for (const Entry& e : shown.entries)
        if (e.status == Status::refused)
            refused.emplace(e.path, &e);
        else if (e.status == Status::back)
            back.emplace(old_path(e.path, e.new_name), &e);
    std::vector<Entry> out(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const Request& r = requests[i];
        if (const auto found = refused.find(r.path); found != refused.end())
            out[i] = *found->second;
        else if (const auto was = back.find(old_path(r.path, r.new_name)); was != back.end())
            out[i] = {r.path, r.new_name, Status::refused, "it was back at its old name when the undo was shown"};
    }
    return out;
}

// The old name is what undo wants back; say so when it is taken.
void word_for_undo(std::vector<Entry>& entries) {
    for (Entry& e : entries)
        if (e.status == Status::refused && e.reason == TARGET_TAKEN) e.reason = "the old name " + e.new_name + " is taken";
}

struct Target {
    std::string name;
    Journal journal;
    UndoPlan plan;
};

// The batch chosen by its number, to be taken back in `root`. One undone
// whole is done with; one undone with entries kept as they were (refused:
// changed, or out of sight, as on a disk not mounted then) may be tried
// again for those, the rest being back.
std::optional<Target> chosen_target(JournalStore::Stored& stored, const std::string& root,
                                    const UndoChoice& choice, std::string& problem) {
    if (stored.journal.undone && stored.journal.kept == 0) {
        problem = "batch " + std::to_string(stored.journal.sequence) + " is undone already";
        return std::nullopt;
    }
    UndoPlan plan = plan_undo(root, stored.journal, choice.only);
    return Target{stored.name, std::move(stored.journal), std::move(plan)};
}

// The chosen batch among those of every folder, taken back in `root`:
// where the user says its folder went (moved or renamed; another may have
// taken the old name since). Its entries are found there by their
// identities, as anywhere, so a folder it never was in refuses them all.
std::optional<Target> moved_here(const JournalStore& store, const std::string& root, const UndoChoice& choice,
                                 std::string& problem) {
    for (JournalStore::Stored& stored : store.all_journals())
        if (stored.journal.sequence == *choice.sequence) return chosen_target(stored, root, choice, problem);
    return std::nullopt;
}

// The batch to take back: the newest of `root` with something to take
// back (batches that changed nothing are passed over and, with `settle`,
// marked undone), or the chosen one. A batch whose journal cannot be read
// may have moved the very entries an earlier batch would move back: no
// batch before it is taken back in its stead.
std::optional<Target> find_target(const JournalStore& store, const std::string& root, const UndoChoice& choice,
                                  bool settle, std::string& problem) {
    std::vector<JournalStore::Unreadable> unreadable;  // newest first
    std::vector<JournalStore::Stored> journals = store.journals_of(root, &unreadable);
    const auto cannot_go_past = [&](const JournalStore::Unreadable& u) {
        problem = u.problem + ", so no batch before it is undone (move it away to go on)";
        return std::nullopt;
    };
    for (JournalStore::Stored& stored : journals) {
        if (choice.sequence) {
            if (stored.journal.sequence != *choice.sequence) continue;
            return chosen_target(stored, root, choice, problem);
        }
        if (!unreadable.empty() && stored.journal.sequence < unreadable.front().sequence)
            return cannot_go_past(unreadable.front());
        if (stored.journal.undone || !stored.journal.changed_something()) continue;
        UndoPlan plan = plan_undo(root, stored.journal, choice.only);
        if (!plan.empty()) return Target{stored.name, std::move(stored.journal), std::move(plan)};
        if (settle) AppendFile(store.folder(), stored.name).append(undone_line(0));
    }
    if (choice.sequence) {
        for (const JournalStore::Unreadable& u : unreadable)
            if (u.sequence == *choice.sequence) {
                problem = u.problem + ": batch " + std::to_string(u.sequence) + " cannot be undone";
                return std::nullopt;
            }
        if (std::optional<Target> moved = moved_here(store, root, choice, problem)) return moved;
        if (problem.empty()) problem = "there is no batch " + std::to_string(*choice.sequence) + " of " + root;
    } else if (!unreadable.empty()) {
        return cannot_go_past(unreadable.front());
    }
    return std::nullopt;
}

}  // namespace

UndoResult undo_chosen(const std::string& base, const std::string& journal_folder, const UndoChoice& choice,
                       const Hooks* hooks) {
    UndoResult result;
    const std::string root = real_path(base);
    if (root.empty()) {
        // A batch chosen by its number names its folder: moved away or
        // deleted since, most likely, and the user must hear which.
        if (choice.sequence)
            result.problem = "the folder " + base + (errno == ENOENT ? " no longer exists"
                                                                     : " cannot be reached: " +
                                                                           std::string(std::strerror(errno)));
        return result;
    }
    std::optional<JournalStore> store = JournalStore::open(journal_folder, result.problem);
    if (!store || (hooks && !store->lock(result.problem, std::chrono::seconds(10), hooks->stop_requested))) return result;
    result.problem.clear();
    std::optional<Target> target = find_target(*store, root, choice, hooks != nullptr, result.problem);
    if (!target) return result;
    if (choice.shown && target->journal.sequence != choice.shown->sequence) {
        result.problem = "the batch to undo in " + root + " is no longer batch " +
                         std::to_string(choice.shown->sequence) + ", the one shown";
        return result;
    }
    result.found = true;
    result.sequence = target->journal.sequence;
    PlanInput input{root, &target->plan.requests, nullptr, part_below(real_path(store->path()), root)};
    input.restoring = true;
    const std::vector<Entry> previewed =
        choice.shown ? refused_when_shown(target->plan.requests, *choice.shown) : std::vector<Entry>{};
    if (choice.shown) input.previewed = &previewed;
    Plan plan = make_plan(input);
    result.entries = entries_of(target->plan.requests, std::move(plan.verdicts));
    word_for_undo(result.entries);
    if (hooks) Executor(root, plan.steps, nullptr, *hooks).run_all(plan.journaled, result.entries);
    // Whether this undo brought anything back: the settled entries, added
    // below, were back (or lost) before it.
    const bool some_back = std::any_of(result.entries.begin(), result.entries.end(),
                                       [](const Entry& e) { return e.status == Status::done; });
    result.entries.insert(result.entries.end(), target->plan.settled.begin(), target->plan.settled.end());
    if (hooks) {
        // Refused entries stay as they are for good, and the next undo goes
        // to the batch before; but a failure may pass, and an entry waiting
        // at a temporary name must stay within reach of the next undo. Some
        // of the entries only: the rest are still to be taken back. A batch
        // chosen by its number stays open while anything was refused: the
        // later batches that moved its entries may be undone first. A batch
        // closed with entries kept can still be chosen by its number, for
        // what was only out of sight (a disk not mounted, say).
        const bool chosen = choice.sequence.has_value();
        const auto open = [chosen](const Entry& e) {
            return e.status == Status::failed || (!in_place(e.status) && (chosen || is_parked(e.path)));
        };
        std::string mark;
        if (std::none_of(result.entries.begin(), result.entries.end(), open) &&
            (!choice.only || nothing_left(root, target->journal))) {
            const auto kept = std::count_if(result.entries.begin(), result.entries.end(),
                                            [](const Entry& e) { return !in_place(e.status); });
            mark = undone_line(static_cast<std::size_t>(kept));
        } else if (some_back) {
            mark = PARTLY_UNDONE;
        }
        if (!mark.empty()) {
            AppendFile journal(store->folder(), target->name);
            if (!(journal.append(mark) && journal.sync()))
                result.journal_problem =
                    store->journal_called(target->name) + " could not be marked as undone (" + journal.failure() + ")";
        }
    }
    return result;
}

UndoResult undo_latest(const std::string& base, const std::string& journal_folder, const Hooks& hooks) {
    return undo_chosen(base, journal_folder, {}, &hooks);
}

UndoResult undo_preview(const std::string& base, const std::string& journal_folder) {
    return undo_chosen(base, journal_folder, {}, nullptr);
}

bool can_undo(const std::string& base, const std::string& journal_folder) {
    const std::string root = real_path(base);
    std::string reason;
    const std::optional<JournalStore> store = root.empty() ? std::nullopt : JournalStore::open(journal_folder, reason);
    if (!store) return false;
    const auto undoable = [](const Journal& j) { return !j.undone && j.changed_something(); };
    // The marks say at once that the newest batch left open changed
    // something; that it changed nothing, only its whole log can say.
    bool unsure = false;
    for (const JournalStore::Stored& stored : store->journal_marks_of(root)) {
        if (undoable(stored.journal)) return true;
        if ((unsure = !stored.journal.undone)) break;
    }
    if (!unsure) return false;
    for (const JournalStore::Stored& stored : store->journals_of(root))
        if (undoable(stored.journal)) return true;
    return false;
}

}  // namespace renamer
