#include "executor.hpp"

#include <cerrno>
#include <cstring>

#include "renamer/paths.hpp"

namespace renamer {

std::string failure_text(int error) {
    if (error == EEXIST) return "a file or folder of that name appeared";
    if (error == ENOTSUP)
        return "the file system offers no rename that cannot replace another entry "
               "(no RENAME_NOREPLACE, and no hard link for this entry)";
    return std::strerror(error);
}

Executor::Executor(const std::string& base, const std::vector<Step>& steps, AppendFile* log, const Hooks& hooks)
    : base_(base), steps_(steps), log_(log), hooks_(hooks), ahead_(base, steps) {}

void Executor::log(const std::string& line) {
    if (log_ && !log_->append(line)) log_failed_ = true;
}

void Executor::run_all(const std::vector<std::size_t>& journaled, std::vector<Entry>& entries,
                       const std::function<std::string()>& after_unit) {
    std::string stop;
    for (std::size_t first = 0, end; first < steps_.size(); first = end) {
        for (end = first; end < steps_.size() && steps_[end].unit == steps_[first].unit;) ++end;
        if (stop.empty() && hooks_.stop_requested && hooks_.stop_requested()) stop = INTERRUPTED;
        const std::string failure = stop.empty() ? run_unit(first, end) : stop;
        for (std::size_t i = first; i < end; ++i) {
            Entry& e = entries[journaled[steps_[i].entry]];
            e.status = failure.empty() ? Status::done : Status::failed;
            e.reason = failure;
        }
        if (stop.empty() && after_unit) stop = after_unit();
    }
}

std::string Executor::run_unit(std::size_t first, std::size_t end) {
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
        const Folder& folder = folder_of(s.dir, reason);
        const int error = folder.open() ? rename_noreplace(folder, s.to, s.from) : 0;
        if (folder.open() && error == 0) {
            log("rolledback\t" + std::to_string(*it));
        } else {
            failure += "; it is left at " + joined(s.dir, s.to) + ", since it could not be named back to " +
                       s.from + " (" + (folder.open() ? failure_text(error) : reason) + ")";
        }
    }
    return failure;
}

std::string Executor::run_step(std::size_t i) {
    const Step& s = steps_[i];
    try {
        if (hooks_.before_step) hooks_.before_step(i);
    } catch (const StepFailure& e) {
        return e.what();
    }
    std::string reason;
    const Folder& folder = folder_of(s.dir, reason);
    if (!folder.open()) return reason;
    if (!ahead_.saw_planned(i, folder_id_)) {
        const std::optional<Fingerprint> here = fingerprint(folder, s.from);
        if (!here || here->id != s.moved) return "the entry changed since the plan";
    }
    if (const int error = rename_noreplace(folder, s.from, s.to)) return failure_text(error);
    log("done\t" + std::to_string(i));
    return "";
}

// Steps of one folder come one after another; the folder stays open
// between them. Its contents are done before it is renamed, so no later
// step reaches it by its old path.
const Folder& Executor::folder_of(const std::string& dir, std::string& reason) {
    if (!open_dir_ || *open_dir_ != dir) {
        folder_ = open_folder(base_, dir, reason);
        open_dir_ = folder_.open() ? std::optional<std::string>(dir) : std::nullopt;
        if (ahead_.active()) folder_id_ = folder_identity(folder_);
    }
    return folder_;
}

}  // namespace renamer
