#include "rules.hpp"

namespace names {

std::size_t extension_start(std::u32string_view name) {
    const std::size_t dot = name.rfind(U'.');
    if (dot == std::u32string_view::npos) return name.size();
    if (name.substr(0, dot).find_first_not_of(U'.') == std::u32string_view::npos) return name.size();
    return dot;
}

bool proposes_change(std::u32string_view proposal, std::u32string_view name) {
    return !proposal.empty() && proposal != name;
}

}  // namespace names
