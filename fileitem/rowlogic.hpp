// The decisions a tree row makes, apart from its widgets: where a file
// name's extension starts, whether a proposal ticks the row, what a folder's
// checkbox shows given its children's, and where the row's menu pops up.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace fileitem {

// The toolkit's tri-state checkbox values.
enum CheckState : int32_t { UNCHECKED = 0, CHECKED = 1, UNDETERMINED = 2 };

// Position of the extension's dot in a file name, or the length when there
// is none: the last dot counts when some character other than a dot stands
// before it (".profile" and "..x" have no extension, "a." has ".").
std::size_t extension_start(std::u32string_view name);

// A row proposes a rename when the proposal is not empty and differs from
// its name, letter case included.
bool proposes_change(std::u32string_view proposal, std::u32string_view name);

// A parent takes the new state when all its children agree, else mixed.
int32_t combined_state(const std::set<int32_t>& child_states, int32_t state);

// Horizontal popup position: four fifths of the pane's width, truncated.
int32_t popup_x(int32_t pane_width);

// Indentation of a row's widgets, 15 pixels per level.
int32_t indent_pixels(int32_t indent);

}  // namespace fileitem
