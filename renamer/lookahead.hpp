// Looking at each step's source just before its rename, without the
// renaming thread paying for the look: for a long batch a second thread
// looks a little ahead, never more than AHEAD steps before the rename.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "renamer/disk.hpp"
#include "renamer/journal.hpp"

namespace renamer {

class LookAhead {
public:
    // Starts looking when the batch is long enough to be worth a thread.
    LookAhead(const std::string& base, const std::vector<Step>& steps);
    ~LookAhead();
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // The renaming thread has reached step `i` and will rename in `folder`
    // (whose identity is `folder_id`): whether a look made since the
    // renaming thread was AHEAD steps back found the planned entry at the
    // step's source in that very folder. When not (not looked at yet, a
    // temporary name not made yet, anything else), the caller looks itself.
    bool saw_planned(std::size_t i, const Identity& folder_id);

    // Whether a second thread is looking (the caller then tells who its
    // folders are).
    bool active() const { return helper_.joinable(); }

private:
    static constexpr std::size_t AHEAD = 128;

    struct Look {
        bool planned = false;
        Identity folder;
    };

    void look_ahead();

    const std::string& base_;
    const std::vector<Step>& steps_;
    std::vector<Look> looks_;                  // looks_[i] is written before looked_up_to_ passes i
    std::atomic<std::size_t> looked_up_to_{0};
    // The renaming thread stores where it is, then reads whether the helper
    // waits; the helper stores that it waits, then reads where the other is:
    // both in one order for all (sequentially consistent), so that no wake-up is lost.
    std::atomic<std::size_t> reached_{0};  // the step the renaming thread is at
    std::atomic<std::size_t> wake_at_;     // the step at which the waiting helper wants waking
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable moved_on_;
    std::thread helper_;
};

// Who a folder is, as an open descriptor sees it (born_ns is not kept).
Identity folder_identity(const Folder& folder);

}  // namespace renamer
