#include "cli/proposing.hpp"

#include <future>
#include <thread>

#include "names/codec.hpp"
#include "names/rules.hpp"

namespace cli {

namespace {

// Below this many names a second thread costs more than it saves.
constexpr std::size_t SHARED_FROM = 4096;

void propose_range(const reshaper::Transformer& transformer, const wildcard::Pattern* pattern,
                   const std::vector<std::string>& names, bool folders, std::size_t first, std::size_t end,
                   std::vector<NameProposal>& out) {
    std::u32string decoded;  // each name in turn, in one buffer
    for (std::size_t i = first; i < end; ++i) {
        names::decode_into(names[i], decoded);
        if (pattern && !pattern->matches(decoded)) continue;
        const reshaper::Transformer::Review review = transformer.review(decoded, folders);
        if (!review.fits)
            out[i].kind = NameProposal::misfit;
        else if (names::proposes_change(review.name, decoded))
            out[i] = {NameProposal::renamed, names::encode(review.name)};
    }
}

}  // namespace

std::vector<NameProposal> propose(const reshaper::Transformer& transformer, const wildcard::Pattern* pattern,
                                  const std::vector<std::string>& names, bool folders) {
    std::vector<NameProposal> out(names.size());
    const bool shared = names.size() >= SHARED_FROM && std::thread::hardware_concurrency() > 1;
    const std::size_t half = shared ? names.size() / 2 : names.size();
    std::future<void> second;
    if (shared)
        second = std::async(std::launch::async, [&] {
            propose_range(transformer, pattern, names, folders, half, names.size(), out);
        });
    propose_range(transformer, pattern, names, folders, 0, half, out);
    if (shared) second.get();  // and its exception, if it threw one
    return out;
}

}  // namespace cli
