#include "lookahead.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <system_error>

namespace renamer {

namespace {

constexpr std::size_t NOBODY_WAITS = static_cast<std::size_t>(-1);

// Below this a thread costs more than the looks it takes over.
constexpr std::size_t SHARE_FROM = 2048;

}  // namespace

Identity folder_identity(const Folder& folder) {
    struct stat st;
    Identity id;
    if (folder.open() && fstat(folder.fd(), &st) == 0) id.dev = st.st_dev, id.ino = st.st_ino;
    return id;
}

LookAhead::LookAhead(const std::string& base, const std::vector<Step>& steps)
    : base_(base), steps_(steps), wake_at_(NOBODY_WAITS) {
    if (steps.size() < SHARE_FROM || std::thread::hardware_concurrency() < 2) return;
    looks_.resize(steps.size());
    try {
        helper_ = std::thread([this] {
            try {
                look_ahead();
            } catch (...) {
                // Out of memory, say: the looks not made are made just before their renames.
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: every look is made just before its rename.
    }
}

LookAhead::~LookAhead() {
    if (!active()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    moved_on_.notify_one();
    helper_.join();
}

bool LookAhead::saw_planned(std::size_t i, const Identity& folder_id) {
    if (!active()) return false;
    reached_.store(i);
    if (i >= wake_at_.load()) {
        const std::lock_guard<std::mutex> lock(mutex_);
        moved_on_.notify_one();
    }
    if (looked_up_to_.load(std::memory_order_acquire) <= i) return false;
    const Look& look = looks_[i];
    return look.planned && folder_id.ino != 0 && look.folder.ino == folder_id.ino && look.folder.dev == folder_id.dev;
}

void LookAhead::look_ahead() {
    std::optional<std::string> open_dir;
    Folder folder;
    Identity folder_id;
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        // Steps the renaming thread has passed need no look.
        i = std::max(i, reached_.load());
        if (i >= steps_.size()) return;
        if (i >= reached_.load() + AHEAD) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_at_.store(i - AHEAD / 2);
            moved_on_.wait(lock, [&] { return stopping_ || reached_.load() + AHEAD > i; });
            wake_at_.store(NOBODY_WAITS);
            if (stopping_) return;
        }
        if (stopping_.load(std::memory_order_relaxed)) return;
        const Step& s = steps_[i];
        if (!open_dir || *open_dir != s.dir) {
            std::string reason;
            folder = open_folder(base_, s.dir, reason);
            folder_id = folder_identity(folder);
            open_dir = s.dir;
        }
        if (folder.open()) {
            const std::optional<Fingerprint> here = fingerprint(folder, s.from);
            looks_[i] = {here && here->id == s.moved, folder_id};
        }
        looked_up_to_.store(i + 1, std::memory_order_release);
    }
}

}  // namespace renamer
