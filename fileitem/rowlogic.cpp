#include "rowlogic.hpp"

namespace fileitem {

int32_t combined_state(const std::set<int32_t>& child_states, int32_t state) {
    return child_states.size() == 1 ? state : UNDETERMINED;
}

int32_t popup_x(int32_t pane_width) { return static_cast<int32_t>(pane_width * 0.8); }

int32_t indent_pixels(int32_t indent) { return 15 * indent; }

}  // namespace fileitem
