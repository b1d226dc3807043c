#include <system_error>
#include <thread>

#include "renamer/disk.hpp"

namespace renamer {

std::vector<std::optional<Fingerprint>> fingerprints(const Folder& folder, const std::vector<const char*>& names) {
    // Below this a thread costs more than the looks it takes over.
    constexpr std::size_t SHARE_FROM = 2048;
    std::vector<std::optional<Fingerprint>> found(names.size());
    const auto look = [&](std::size_t first, std::size_t end) {
        for (std::size_t i = first; i < end; ++i) found[i] = fingerprint(folder, names[i]);
    };
    std::size_t half = 0;
    std::thread helper;
    if (names.size() >= SHARE_FROM && std::thread::hardware_concurrency() > 1) {
        try {
            half = names.size() / 2;
            helper = std::thread(look, 0, half);  // it writes only its own half of `found`
        } catch (const std::system_error&) {
            half = 0;  // no thread to be had: all on this one
        }
    }
    look(half, names.size());
    if (helper.joinable()) helper.join();
    return found;
}

}  // namespace renamer
