// The decisions a tree row makes, apart from its widgets: what a folder's
// checkbox shows given its children's, and where the row's menu pops up.
// The rules about the name itself are in names/rules.hpp.
#pragma once

#include <cstdint>
#include <set>

namespace fileitem {

// The toolkit's tri-state checkbox values.
enum CheckState : int32_t { UNCHECKED = 0, CHECKED = 1, UNDETERMINED = 2 };

// A parent takes the new state when all its children agree, else mixed.
int32_t combined_state(const std::set<int32_t>& child_states, int32_t state);

// Horizontal popup position: four fifths of the pane's width, truncated.
int32_t popup_x(int32_t pane_width);

// Indentation of a row's widgets, 15 pixels per level.
int32_t indent_pixels(int32_t indent);

}  // namespace fileitem
