#include "planner.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <unordered_map>
#include <unordered_set>

#include "halves/halves.hpp"
#include "renamer/name_index.hpp"
#include "renamer/paths.hpp"

namespace renamer {

const char* status_name(Status status) {
    switch (status) {
        case Status::rename: return "rename";
        case Status::refused: return "refused";
        case Status::done: return "done";
        case Status::failed: return "failed";
        case Status::back: return "back";
    }
    return "";
}

const char* const TARGET_TAKEN = "a file or folder of that name exists";

namespace {

std::string name_problem(std::string_view name, std::size_t limit) {
    if (name.empty()) return "the new name is empty";
    if (name == "." || name == "..") return "the new name is \"" + std::string(name) + "\"";
    if (name.find('/') != std::string::npos) return "the new name holds a \"/\"";
    if (name.find('\0') != std::string::npos) return "the new name holds a NUL character";
    if (name.size() > limit)
        return "the new name is longer than the file system allows (" + std::to_string(limit) + " bytes)";
    return "";
}

std::string free_temporary_name(const Folder& folder, const std::unordered_set<std::string>& taken) {
    static std::mt19937_64 random{std::random_device{}()};
    while (true) {
        const std::string name = temporary_name(random());
        if (!taken.count(name) && !fingerprint(folder, name)) return name;
    }
}

// A request that passed the checks so far. Names are views into the
// request, which outlives the plan: no copy of a name per check. What the
// source is on disk stays in the plan (or, for a preview, is looked at
// only when a check needs it).
struct Accepted {
    std::size_t request;
    std::string_view name;
    std::string_view target;
    bool through_temporary = false;  // the target is the entry itself under another letter case
};

class Planner {
public:
    explicit Planner(const PlanInput& input) : in_(input), requests_(*input.requests) {}

    Plan run() {
        plan_.verdicts.resize(requests_.size());
        if (in_.depth != Depth::verdicts) plan_.seen.resize(requests_.size());
        std::unordered_map<std::string_view, std::vector<std::size_t>> by_dir;
        refuse_listed_twice();
        if (in_.previewed)
            for (std::size_t i = 0; i < requests_.size(); ++i)
                if ((*in_.previewed)[i].status == Status::refused) refuse(i, (*in_.previewed)[i].reason);
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (plan_.verdicts[i].status != Status::rename) continue;
            std::string_view dir, name;
            if (!split_path(requests_[i].path, dir, name))
                refuse(i, "the path does not name an entry inside the folder");
            else if (!in_.kept_out.empty() && is_within(in_.kept_out, requests_[i].path))
                refuse(i, "it holds the journals that undo needs");
            else
                by_dir[dir].push_back(i);
        }
        // Deepest folders first, so that contents move before their folder.
        std::vector<std::string_view> dirs;
        for (const auto& kv : by_dir) dirs.push_back(kv.first);
        std::sort(dirs.begin(), dirs.end(), [](std::string_view a, std::string_view b) {
            const std::size_t da = depth_of(a), db = depth_of(b);
            return da != db ? da > db : a < b;
        });
        for (const std::string_view dir : dirs) plan_folder(std::string(dir), by_dir[dir]);
        return std::move(plan_);
    }

private:
    static constexpr const char* LISTED_TWICE = "the entry is listed more than once";
    // Below this many requests in a folder, its checks stay on one thread.
    static constexpr std::size_t SHARE_FROM = 2048;

    void refuse(std::size_t i, const std::string& reason) {
        plan_.verdicts[i] = {Status::refused, reason};
    }

    bool refused(const Accepted& a) const { return plan_.verdicts[a.request].status != Status::rename; }

    void refuse_listed_twice() {
        NameIndex first_of_path([this](std::size_t i) { return std::string_view(requests_[i].path); },
                                requests_.size());
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            const std::size_t first = first_of_path.insert(i);
            if (first != i) {
                refuse(first, LISTED_TWICE);
                refuse(i, LISTED_TWICE);
            }
        }
    }

    void plan_folder(const std::string& dir, const std::vector<std::size_t>& indexes) {
        std::string reason;
        Folder folder = open_folder(in_.base, dir, reason);
        if (!folder.open() || !may_change(folder, dir, reason)) {
            for (std::size_t i : indexes) refuse(i, reason);
            return;
        }
        // For many entries the folder is read once: a name in the listing
        // exists, and a name not in it is free, without a look-up each.
        constexpr std::size_t READ_FOLDER_FROM = 32;
        std::optional<Listing> read;
        if (!in_.listing && indexes.size() >= READ_FOLDER_FROM) read = names_in(folder);
        const Listing* listing = in_.listing ? in_.listing : read ? &*read : nullptr;
        const std::size_t limit = name_max(folder);
        // The checks of each request alone ask nothing of the others: many
        // are made in two halves at once, each refusing only its own.
        std::vector<char> passes(indexes.size());
        halves::in_halves(indexes.size(), SHARE_FROM, [&](std::size_t first, std::size_t end) {
            for (std::size_t k = first; k < end; ++k) passes[k] = name_passes(indexes[k], dir, limit);
        });
        std::vector<std::size_t> passed;
        for (std::size_t k = 0; k < indexes.size(); ++k)
            if (passes[k]) passed.push_back(indexes[k]);
        std::vector<Accepted> accepted;
        accepted.reserve(passed.size());
        const auto accept_if_passes = [&](std::size_t i, const std::optional<Fingerprint>& found) {
            if (entry_passes(i, found)) accepted.push_back({i, name_in(requests_[i], dir), requests_[i].new_name});
        };
        if (in_.depth == Depth::verdicts && listing) {
            // Whether each entry is there; what it is matters only to apply.
            std::vector<char> listed(passed.size());
            halves::in_halves(passed.size(), SHARE_FROM, [&](std::size_t first, std::size_t end) {
                for (std::size_t k = first; k < end; ++k)
                    listed[k] = listing->contains(name_in(requests_[passed[k]], dir));
            });
            static const std::optional<Fingerprint> there = Fingerprint{}, gone;
            for (std::size_t k = 0; k < passed.size(); ++k) accept_if_passes(passed[k], listed[k] ? there : gone);
        } else {
            // The name is the end of its path, so it ends where the path does.
            std::vector<const char*> names;
            names.reserve(passed.size());
            for (std::size_t i : passed) names.push_back(name_in(requests_[i], dir).data());
            const std::vector<std::optional<Fingerprint>> found = fingerprints(folder, names);
            for (std::size_t k = 0; k < passed.size(); ++k) {
                if (in_.depth != Depth::verdicts) plan_.seen[passed[k]] = found[k];
                accept_if_passes(passed[k], found[k]);
            }
        }
        refuse_shared_targets(accepted);
        refuse_taken_targets(folder, listing, read, accepted);
        if (in_.depth == Depth::steps) order(folder, dir, accepted);
    }

    // Whether the entries of the folder can be looked at (else each would
    // seem gone) and, for a preview, renamed: a folder that cannot be
    // written is told as what it is, before a batch fails in it entry by
    // entry. A batch finds that out at its renames, as failures: an undo
    // keeps what failed within reach.
    bool may_change(const Folder& folder, const std::string& dir, std::string& reason) const {
        const auto allows = [&](int mode, const char* cannot) {
            if (faccessat(folder.fd(), ".", mode, AT_EACCESS) == 0) return true;
            reason = "the folder " + (dir.empty() ? in_.base : dir) + cannot + std::strerror(errno);
            return false;
        };
        const bool preview = in_.depth == Depth::verdicts && !in_.restoring;
        return allows(X_OK, " cannot be searched: ") && (!preview || allows(W_OK, " cannot be changed: "));
    }

    // The new name is one the entry may take; else the request is refused.
    bool name_passes(std::size_t i, const std::string& dir, std::size_t limit) {
        const Request& r = requests_[i];
        const std::string_view name = name_in(r, dir);
        std::string problem = name_problem(r.new_name, limit);
        if (problem.empty() && r.new_name == name) problem = "the new name is the current name";
        // The user would lose sight of the entry.
        if (problem.empty() && !in_.restoring && r.new_name.front() == '.' && name.front() != '.')
            problem = "the new name would hide it behind a leading dot";
        if (problem.empty()) return true;
        refuse(i, problem);
        return false;
    }

    // The entry is there (`fp`) as the caller last saw it; else the request
    // is refused.
    bool entry_passes(std::size_t i, const std::optional<Fingerprint>& fp) {
        const Request& r = requests_[i];
        const std::optional<Fingerprint>* expected = in_.expected ? &(*in_.expected)[i] : nullptr;
        if (!fp)
            refuse(i, "the entry no longer exists");
        else if (expected && *expected && !(**expected == *fp))
            refuse(i, "the entry changed since the preview");
        else if (r.identity && *r.identity != fp->id)
            refuse(i, r.path + " has changed since the batch");
        else
            return true;
        return false;
    }

    static std::string_view name_in(const Request& r, const std::string& dir) {
        return std::string_view(r.path).substr(dir.empty() ? 0 : dir.size() + 1);
    }

    void drop_refused(std::vector<Accepted>& accepted) {
        accepted.erase(std::remove_if(accepted.begin(), accepted.end(),
                                      [&](const Accepted& a) { return refused(a); }),
                       accepted.end());
    }

    void refuse_shared_targets(std::vector<Accepted>& accepted) {
        NameIndex first_of_target([&](std::size_t k) { return accepted[k].target; }, accepted.size());
        for (std::size_t k = 0; k < accepted.size(); ++k) {
            const std::size_t first = first_of_target.insert(k);
            if (first != k) {
                refuse(accepted[first].request, "another entry gets the same new name");
                refuse(accepted[k].request, "another entry gets the same new name");
            }
        }
        drop_refused(accepted);
    }

    // A target may exist only while an entry of the batch moves away from
    // it; refusing one entry can take that away from another, so repeat.
    // A name that is there is looked at closely: it may be the entry itself.
    // The names leaving are indexed only once a target is found in use.
    void refuse_taken_targets(const Folder& folder, const Listing* listing, std::optional<Listing>& read,
                              std::vector<Accepted>& accepted) {
        bool changed = true;
        while (changed) {
            changed = false;
            const auto name_of = [&](std::size_t k) { return accepted[k].name; };
            std::optional<NameIndex<decltype(name_of)>> leaving;
            const auto is_leaving = [&](std::string_view name) {
                if (!leaving) {
                    leaving.emplace(name_of, accepted.size());
                    for (std::size_t k = 0; k < accepted.size(); ++k) leaving->insert(k);
                }
                return leaving->contains(name);
            };
            for (Accepted& a : accepted) {
                if ((listing && !listing->contains(a.target)) || is_leaving(a.target)) continue;
                const std::optional<Fingerprint> there = fingerprint(folder, std::string(a.target));
                if (!there) continue;
                // The entry itself under the target name: on a file system
                // that ignores letter case, the same name; else a hard link.
                if (is_same_entry(folder, a, *there) && !is_listed(folder, listing, read, a.target)) {
                    a.through_temporary = true;
                    continue;
                }
                refuse(a.request, TARGET_TAKEN);
                changed = true;
            }
            drop_refused(accepted);
        }
    }

    // The source as planning found it; a preview looks only now.
    std::optional<Fingerprint> source_of(const Folder& folder, const Accepted& a) const {
        if (in_.depth != Depth::verdicts) return plan_.seen[a.request];
        return fingerprint(folder, std::string(a.name));
    }

    bool is_same_entry(const Folder& folder, const Accepted& a, const Fingerprint& there) const {
        const Fingerprint source = source_of(folder, a).value_or(Fingerprint{});
        return there.id == source.id && there.folder == source.folder;
    }

    static bool is_listed(const Folder& folder, const Listing* listing, std::optional<Listing>& read,
                          std::string_view name) {
        if (!listing && !read) read = names_in(folder);
        if (!listing) listing = read ? &*read : nullptr;
        return !listing || listing->contains(name);  // unreadable: assume the worst
    }

    void add_step(const std::string& dir, std::string_view from, std::string_view to, const Accepted& a,
                  std::size_t entry, std::size_t unit) {
        Step s;
        s.dir = dir, s.from = from, s.to = to;
        s.moved = plan_.seen[a.request]->id;
        s.entry = entry, s.unit = unit;
        plan_.steps.push_back(std::move(s));
    }

    // Chains run from the entry whose target is free back to their start;
    // a cycle first moves one entry to a temporary name.
    void order(const Folder& folder, const std::string& dir, const std::vector<Accepted>& accepted) {
        NameIndex by_source([&](std::size_t k) { return accepted[k].name; }, accepted.size());
        for (std::size_t k = 0; k < accepted.size(); ++k) by_source.insert(k);
        const std::size_t none = accepted.size();
        std::vector<std::size_t> next(accepted.size(), none), prev(accepted.size(), none);
        for (std::size_t k = 0; k < accepted.size(); ++k) {
            const std::size_t source = by_source.find(accepted[k].target);
            if (source != by_source.NONE) {
                next[k] = source;
                prev[source] = k;
            }
        }
        std::vector<std::size_t> entry_of(accepted.size());
        for (std::size_t k = 0; k < accepted.size(); ++k) {
            entry_of[k] = plan_.journaled.size();
            plan_.journaled.push_back(accepted[k].request);
        }
        std::unordered_set<std::string> taken;  // filled only when a temporary name is needed
        const auto park = [&]() {
            if (taken.empty())
                for (const Accepted& a : accepted) taken.emplace(a.name), taken.emplace(a.target);
            const std::string name = free_temporary_name(folder, taken);
            taken.insert(name);
            return name;
        };
        std::vector<bool> placed(accepted.size(), false);
        const auto place = [&](std::size_t k, std::size_t unit) {
            placed[k] = true;
            const Accepted& a = accepted[k];
            if (!a.through_temporary) return add_step(dir, a.name, a.target, a, entry_of[k], unit);
            const std::string parking = park();
            add_step(dir, a.name, parking, a, entry_of[k], unit);
            add_step(dir, parking, a.target, a, entry_of[k], unit);
        };
        const auto walk_back = [&](std::size_t k, std::size_t stop, std::size_t unit) {
            for (; k != none && k != stop && !placed[k]; k = prev[k]) place(k, unit);
        };
        for (std::size_t k = 0; k < accepted.size(); ++k)
            if (next[k] == none) walk_back(k, none, unit_++);
        for (std::size_t k = 0; k < accepted.size(); ++k) {
            if (placed[k]) continue;
            const std::size_t unit = unit_++;
            const std::string parking = park();
            placed[k] = true;
            add_step(dir, accepted[k].name, parking, accepted[k], entry_of[k], unit);
            walk_back(prev[k], k, unit);
            add_step(dir, parking, accepted[k].target, accepted[k], entry_of[k], unit);
        }
    }

    const PlanInput& in_;
    const std::vector<Request>& requests_;
    Plan plan_;
    std::size_t unit_ = 0;
};

}  // namespace

Plan make_plan(const PlanInput& input) { return Planner(input).run(); }

std::vector<Entry> entries_of(const std::vector<Request>& requests, std::vector<Verdict>&& verdicts) {
    std::vector<Entry> out;
    out.reserve(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i)
        out.push_back({requests[i].path, requests[i].new_name, verdicts[i].status, std::move(verdicts[i].reason)});
    return out;
}

std::vector<Entry> entries_of(std::vector<Request>&& requests, std::vector<Verdict>&& verdicts) {
    std::vector<Entry> out;
    out.reserve(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i)
        out.push_back({std::move(requests[i].path), std::move(requests[i].new_name), verdicts[i].status,
                       std::move(verdicts[i].reason)});
    std::vector<Request>().swap(requests);  // their room too
    return out;
}

}  // namespace renamer
