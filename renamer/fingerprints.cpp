#include "halves/halves.hpp"
#include "renamer/disk.hpp"

namespace renamer {

std::vector<std::optional<Fingerprint>> fingerprints(const Folder& folder, const std::vector<const char*>& names) {
    // Below this a thread costs more than the looks it takes over.
    constexpr std::size_t SHARE_FROM = 2048;
    std::vector<std::optional<Fingerprint>> found(names.size());
    // Each half writes only its own part of `found`.
    halves::in_halves(names.size(), SHARE_FROM, [&](std::size_t first, std::size_t end) {
        for (std::size_t i = first; i < end; ++i) found[i] = fingerprint(folder, names[i]);
    });
    return found;
}

}  // namespace renamer
