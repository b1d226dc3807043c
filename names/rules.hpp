// The rules about a file name that the tree's rows, the whole-name chain and
// the command must agree on.
#pragma once

#include <cstddef>
#include <string_view>

namespace names {

// Position of the extension's dot in a file name, or the length when there
// is none: the last dot counts when some character other than a dot stands
// before it (".profile" and "..x" have no extension, "a." has ".").
std::size_t extension_start(std::u32string_view name);

// A proposal renames when it is not empty and differs from the name,
// letter case included.
bool proposes_change(std::u32string_view proposal, std::u32string_view name);

}  // namespace names
