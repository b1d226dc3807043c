#include "rowlogic.hpp"

namespace fileitem {

std::size_t extension_start(std::u32string_view name) {
    const std::size_t dot = name.rfind(U'.');
    if (dot == std::u32string_view::npos) return name.size();
    if (name.substr(0, dot).find_first_not_of(U'.') == std::u32string_view::npos) return name.size();
    return dot;
}

bool proposes_change(std::u32string_view proposal, std::u32string_view name) {
    return !proposal.empty() && proposal != name;
}

int32_t combined_state(const std::set<int32_t>& child_states, int32_t state) {
    return child_states.size() == 1 ? state : UNDETERMINED;
}

int32_t popup_x(int32_t pane_width) { return static_cast<int32_t>(pane_width * 0.8); }

int32_t indent_pixels(int32_t indent) { return 15 * indent; }

}  // namespace fileitem
