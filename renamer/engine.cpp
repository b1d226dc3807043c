#include "engine.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <unordered_map>

namespace renamer {

const char* status_name(Status status) {
    switch (status) {
        case Status::rename: return "rename";
        case Status::refused: return "refused";
        case Status::done: return "done";
        case Status::failed: return "failed";
    }
    return "";
}

namespace {

std::string joined(const std::string& dir, const std::string& name) {
    return dir.empty() ? name : dir + "/" + name;
}

// The folder part and the name of a relative path, or false when the path
// does not name an entry inside the base folder.
bool split_path(const std::string& path, std::string& dir, std::string& name) {
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('/', start);
        const std::string component = path.substr(start, end == std::string::npos ? end : end - start);
        if (component.empty() || component == "." || component == ".." ||
            component.find('\0') != std::string::npos)
            return false;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const std::size_t slash = path.rfind('/');
    dir = slash == std::string::npos ? "" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    return true;
}

std::string name_problem(const std::string& name, std::size_t limit) {
    if (name.empty()) return "the new name is empty";
    if (name == "." || name == "..") return "the new name is \"" + name + "\"";
    if (name.find('/') != std::string::npos) return "the new name holds a \"/\"";
    if (name.find('\0') != std::string::npos) return "the new name holds a NUL character";
    if (name.size() > limit)
        return "the new name is longer than the file system allows (" + std::to_string(limit) + " bytes)";
    return "";
}

std::size_t depth_of(const std::string& dir) {
    return dir.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(dir.begin(), dir.end(), '/'));
}

std::string temporary_name(const Folder& folder, const std::set<std::string>& taken) {
    static std::mt19937_64 random{std::random_device{}()};
    while (true) {
        char text[40];
        std::snprintf(text, sizeof text, ".reshape-%016llx.tmp", static_cast<unsigned long long>(random()));
        if (!taken.count(text) && !fingerprint(folder, text)) return text;
    }
}

// The plan of a batch: the state of every request and the steps, in order.
struct Plan {
    std::vector<Entry> entries;
    std::vector<std::optional<Fingerprint>> seen;
    std::vector<std::size_t> journaled;  // request index of each journal entry
    std::vector<Step> steps;
};

struct Accepted {
    std::size_t request;
    std::string name;
    std::string target;
    Fingerprint fp;
};

class Planner {
public:
    Planner(const std::string& base, const std::vector<Request>& requests,
            const std::vector<std::optional<Fingerprint>>* expected)
        : base_(base), requests_(requests), expected_(expected) {}

    Plan run() {
        plan_.entries.resize(requests_.size());
        plan_.seen.resize(requests_.size());
        std::map<std::string, std::vector<std::size_t>> by_dir;
        std::map<std::string, std::vector<std::size_t>> by_path;
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            plan_.entries[i] = {requests_[i].path, requests_[i].new_name, Status::rename, ""};
            by_path[requests_[i].path].push_back(i);
        }
        for (const auto& [path, indexes] : by_path)
            if (indexes.size() > 1)
                for (std::size_t i : indexes) refuse(i, "the entry is listed more than once");
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            std::string dir, name;
            if (plan_.entries[i].status != Status::rename) continue;
            if (!split_path(requests_[i].path, dir, name)) {
                refuse(i, "the path does not name an entry inside the folder");
                continue;
            }
            by_dir[dir].push_back(i);
        }
        // Deepest folders first, so that contents move before their folder.
        std::vector<std::string> dirs;
        for (const auto& kv : by_dir) dirs.push_back(kv.first);
        std::stable_sort(dirs.begin(), dirs.end(),
                         [](const std::string& a, const std::string& b) { return depth_of(a) > depth_of(b); });
        for (const std::string& dir : dirs) plan_folder(dir, by_dir[dir]);
        return std::move(plan_);
    }

private:
    void refuse(std::size_t i, const std::string& reason) {
        plan_.entries[i].status = Status::refused;
        plan_.entries[i].reason = reason;
    }

    void plan_folder(const std::string& dir, const std::vector<std::size_t>& indexes) {
        std::string reason;
        Folder folder = open_folder(base_, dir, reason);
        if (!folder.open()) {
            for (std::size_t i : indexes) refuse(i, reason);
            return;
        }
        const std::size_t limit = name_max(folder);
        std::vector<Accepted> accepted;
        for (std::size_t i : indexes) {
            const std::string name = requests_[i].path.substr(dir.empty() ? 0 : dir.size() + 1);
            const std::string& target = requests_[i].new_name;
            std::string problem = name_problem(target, limit);
            if (problem.empty() && target == name) problem = "the new name is the current name";
            if (!problem.empty()) {
                refuse(i, problem);
                continue;
            }
            const std::optional<Fingerprint> fp = fingerprint(folder, name);
            plan_.seen[i] = fp;
            if (!fp) {
                refuse(i, "the entry no longer exists");
            } else if (expected_ && (*expected_)[i] && !(*(*expected_)[i] == *fp)) {
                refuse(i, "the entry changed since the preview");
            } else {
                accepted.push_back({i, name, target, *fp});
            }
        }
        refuse_shared_targets(accepted);
        refuse_taken_targets(folder, accepted);
        order(folder, dir, accepted);
    }

    void drop_refused(std::vector<Accepted>& accepted) {
        accepted.erase(std::remove_if(accepted.begin(), accepted.end(),
                                      [&](const Accepted& a) {
                                          return plan_.entries[a.request].status != Status::rename;
                                      }),
                       accepted.end());
    }

    void refuse_shared_targets(std::vector<Accepted>& accepted) {
        std::map<std::string, std::vector<std::size_t>> by_target;
        for (const Accepted& a : accepted) by_target[a.target].push_back(a.request);
        for (const auto& [target, requests] : by_target)
            if (requests.size() > 1)
                for (std::size_t i : requests) refuse(i, "another entry gets the same new name");
        drop_refused(accepted);
    }

    // A target may exist only while an entry of the batch moves away from
    // it; refusing one entry can take that away from another, so repeat.
    // For many entries the folder is read once, so that a free name costs
    // no look-up; a name that is there is still looked at closely.
    void refuse_taken_targets(const Folder& folder, std::vector<Accepted>& accepted) {
        constexpr std::size_t READ_FOLDER_FROM = 32;
        const auto listing = accepted.size() >= READ_FOLDER_FROM ? names_in(folder) : std::nullopt;
        bool changed = true;
        while (changed) {
            changed = false;
            std::set<std::string> leaving;
            for (const Accepted& a : accepted) leaving.insert(a.name);
            for (const Accepted& a : accepted) {
                if (leaving.count(a.target) || (listing && !listing->count(a.target))) continue;
                const std::optional<Fingerprint> there = fingerprint(folder, a.target);
                if (there && !there->same_entry(a.fp)) {  // the same entry: a change of letter case
                    refuse(a.request, "a file or folder of that name exists");
                    changed = true;
                }
            }
            drop_refused(accepted);
        }
    }

    void add_step(const std::string& dir, const std::string& from, const std::string& to, const Accepted& a,
                  std::size_t entry, std::size_t unit) {
        Step s;
        s.dir = dir, s.from = from, s.to = to;
        s.moved = a.fp.id;
        s.entry = entry, s.unit = unit;
        plan_.steps.push_back(std::move(s));
    }

    // Chains run from the entry whose target is free back to their start;
    // a cycle first moves one entry to a temporary name.
    void order(const Folder& folder, const std::string& dir, const std::vector<Accepted>& accepted) {
        std::unordered_map<std::string, std::size_t> by_source;
        for (std::size_t k = 0; k < accepted.size(); ++k) by_source[accepted[k].name] = k;
        const std::size_t none = accepted.size();
        std::vector<std::size_t> next(accepted.size(), none), prev(accepted.size(), none);
        for (std::size_t k = 0; k < accepted.size(); ++k) {
            auto it = by_source.find(accepted[k].target);
            if (it != by_source.end()) {
                next[k] = it->second;
                prev[it->second] = k;
            }
        }
        std::vector<std::size_t> entry_of(accepted.size());
        for (std::size_t k = 0; k < accepted.size(); ++k) {
            entry_of[k] = plan_.journaled.size();
            plan_.journaled.push_back(accepted[k].request);
        }
        std::vector<bool> placed(accepted.size(), false);
        const auto walk_back = [&](std::size_t k, std::size_t stop, std::size_t unit) {
            for (; k != none && k != stop && !placed[k]; k = prev[k]) {
                placed[k] = true;
                add_step(dir, accepted[k].name, accepted[k].target, accepted[k], entry_of[k], unit);
            }
        };
        for (std::size_t k = 0; k < accepted.size(); ++k)
            if (next[k] == none) walk_back(k, none, unit_++);
        std::set<std::string> taken;
        for (const Accepted& a : accepted) taken.insert(a.name), taken.insert(a.target);
        for (std::size_t k = 0; k < accepted.size(); ++k) {
            if (placed[k]) continue;
            const std::size_t unit = unit_++;
            const std::string parking = temporary_name(folder, taken);
            taken.insert(parking);
            placed[k] = true;
            add_step(dir, accepted[k].name, parking, accepted[k], entry_of[k], unit);
            walk_back(prev[k], k, unit);
            add_step(dir, parking, accepted[k].target, accepted[k], entry_of[k], unit);
        }
    }

    const std::string& base_;
    const std::vector<Request>& requests_;
    const std::vector<std::optional<Fingerprint>>* expected_;
    Plan plan_;
    std::size_t unit_ = 0;
};

std::string failure_text(int error) {
    if (error == EEXIST) return "a file or folder of that name appeared";
    return std::strerror(error);
}

// Carries out the steps of one unit; on a failure, the unit's done steps
// are taken back in reverse. Returns "" or the reason of the failure.
class Executor {
public:
    Executor(const std::string& base, const std::vector<Step>& steps, AppendFile& log, const Hooks& hooks)
        : base_(base), steps_(steps), log_(log), hooks_(hooks) {}

    std::string run_unit(std::size_t first, std::size_t end) {
        std::vector<std::size_t> done;
        std::string failure;
        for (std::size_t i = first; i < end && failure.empty(); ++i) {
            failure = run_step(i);
            if (failure.empty()) done.push_back(i);
        }
        if (failure.empty()) return "";
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            const Step& s = steps_[*it];
            std::string reason;
            Folder folder = open_folder(base_, s.dir, reason);
            const int error = folder.open() ? rename_noreplace(folder, s.to, s.from) : EIO;
            if (error == 0) {
                log_.append("rolledback " + std::to_string(*it));
            } else {
                failure += "; " + joined(s.dir, s.to) + " could not be named back to " + s.from + " (" +
                           (folder.open() ? failure_text(error) : reason) + ")";
            }
        }
        return failure;
    }

private:
    std::string run_step(std::size_t i) {
        const Step& s = steps_[i];
        try {
            if (hooks_.before_step) hooks_.before_step(i);
        } catch (const StepFailure& e) {
            return e.what();
        }
        std::string reason;
        const Folder& folder = folder_of(s.dir, reason);
        if (!folder.open()) return reason;
        const std::optional<Fingerprint> here = fingerprint(folder, s.from);
        if (!here || !(here->id == s.moved)) return "the entry changed since the plan";
        if (const int error = rename_noreplace(folder, s.from, s.to)) return failure_text(error);
        log_.append("done " + std::to_string(i));
        return "";
    }

    // Steps of one folder come one after another; the folder stays open
    // between them. Its contents are done before it is renamed, so no later
    // step reaches it by its old path.
    const Folder& folder_of(const std::string& dir, std::string& reason) {
        if (!open_dir_ || *open_dir_ != dir) {
            folder_ = open_folder(base_, dir, reason);
            open_dir_ = folder_.open() ? std::optional<std::string>(dir) : std::nullopt;
        }
        return folder_;
    }

    const std::string& base_;
    const std::vector<Step>& steps_;
    AppendFile& log_;
    const Hooks& hooks_;
    Folder folder_;
    std::optional<std::string> open_dir_;
};

std::optional<std::string> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string base_problem(const std::string& base) {
    return "the folder " + base + " cannot be opened";
}

}  // namespace

Batch::Batch(const std::string& base, std::vector<Request> requests)
    : base_(real_path(base)), requests_(std::move(requests)) {
    if (base_.empty()) {
        for (const Request& r : requests_) preview_.push_back({r.path, r.new_name, Status::refused, base_problem(base)});
        seen_.resize(requests_.size());
        return;
    }
    Plan plan = Planner(base_, requests_, nullptr).run();
    preview_ = std::move(plan.entries);
    seen_ = std::move(plan.seen);
}

std::vector<Entry> Batch::apply(const std::string& journal_folder, const Hooks& hooks) {
    if (base_.empty()) return preview_;
    Plan plan = Planner(base_, requests_, &seen_).run();
    std::vector<Entry> result = std::move(plan.entries);
    if (plan.steps.empty()) return result;

    Journal journal;
    journal.base = base_;
    for (std::size_t request : plan.journaled) journal.entries.push_back({requests_[request].path, requests_[request].new_name});
    journal.steps = plan.steps;
    const std::string path = new_journal_path(journal_folder, base_);
    if (!make_folders(journal_folder) || !write_durably(path, format_plan(journal))) {
        const std::string reason = "the journal " + path + " cannot be written: " + std::strerror(errno);
        for (Entry& e : result)
            if (e.status == Status::rename) e.status = Status::failed, e.reason = reason;
        return result;
    }
    AppendFile log(path);
    Executor executor(base_, plan.steps, log, hooks);
    for (std::size_t first = 0; first < plan.steps.size();) {
        std::size_t end = first;
        while (end < plan.steps.size() && plan.steps[end].unit == plan.steps[first].unit) ++end;
        const std::string failure = executor.run_unit(first, end);
        std::set<std::size_t> members;
        for (std::size_t i = first; i < end; ++i) members.insert(plan.journaled[plan.steps[i].entry]);
        for (std::size_t request : members) {
            Entry& e = result[request];
            e.status = failure.empty() ? Status::done : Status::failed;
            e.reason = failure;
        }
        first = end;
    }
    log.append("complete");
    log.sync();
    return result;
}

namespace {

struct Undoable {
    std::string path;
    Journal journal;
};

// The most recent journal of the folder `root` that is not undone yet.
std::optional<Undoable> latest_undoable(const std::string& root, const std::string& journal_folder) {
    if (root.empty()) return std::nullopt;
    for (const std::string& path : journals_of(journal_folder, root)) {
        const std::optional<std::string> text = read_file(path);
        std::optional<Journal> journal = text ? parse(*text) : std::nullopt;
        if (journal && journal->base == root && !journal->undone) return Undoable{path, std::move(*journal)};
    }
    return std::nullopt;
}

}  // namespace

UndoResult undo_latest(const std::string& base, const std::string& journal_folder) {
    UndoResult result;
    const std::string root = real_path(base);
    std::optional<Undoable> latest = latest_undoable(root, journal_folder);
    if (!latest) return result;
    result.found = true;
    const Journal& journal = latest->journal;
    std::vector<std::optional<Entry>> by_entry(journal.entries.size());
    bool clean = true;
    const auto mark = [&](const Step& s, Status status, const std::string& reason) {
        const JournalEntry& je = journal.entries[s.entry];
        std::string dir, name;
        split_path(je.path, dir, name);
        std::optional<Entry>& e = by_entry[s.entry];
        if (!e) e = Entry{joined(dir, je.new_name), name, Status::done, ""};
        if (status != Status::done && e->status == Status::done) e->status = status, e->reason = reason;
        if (status != Status::done) clean = false;
    };
    // From the last step back: the disk says where each moved entry is;
    // the log only tells a step that was done from one never reached.
    for (std::size_t i = journal.steps.size(); i-- > 0;) {
        const Step& s = journal.steps[i];
        std::string reason;
        Folder folder = open_folder(root, s.dir, reason);
        if (!folder.open()) {
            if (journal.logged_done.count(i)) mark(s, Status::refused, reason);
            continue;
        }
        const std::optional<Fingerprint> at_to = fingerprint(folder, s.to);
        if (at_to && at_to->id == s.moved) {
            const int error = rename_noreplace(folder, s.to, s.from);
            if (error == 0)
                mark(s, Status::done, "");
            else
                mark(s, Status::failed, error == EEXIST ? "the old name " + s.from + " is taken" : std::strerror(error));
            continue;
        }
        const std::optional<Fingerprint> at_from = fingerprint(folder, s.from);
        if (at_from && at_from->id == s.moved) continue;  // never happened, or rolled back
        if (journal.logged_done.count(i)) mark(s, Status::refused, joined(s.dir, s.to) + " has changed since the batch");
    }
    for (std::optional<Entry>& e : by_entry)
        if (e) result.entries.push_back(std::move(*e));
    if (clean) {
        AppendFile log(latest->path);
        log.append("undone");
        log.sync();
    }
    return result;
}

bool can_undo(const std::string& base, const std::string& journal_folder) {
    return latest_undoable(real_path(base), journal_folder).has_value();
}

}  // namespace renamer
