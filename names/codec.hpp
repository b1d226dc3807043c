// File-system names as the host's Python sees them: bytes decoded as UTF-8,
// each byte that is not part of a valid sequence kept as U+DC80..U+DCFF, so
// that every name comes back to the same bytes. The engine module, the file
// tree and the command's output all read and write names this way.
#pragma once

#include <string>
#include <string_view>

namespace names {

// File-system bytes as the host decodes them.
std::u32string decode(std::string_view bytes);

// Code points back to the bytes they were decoded from.
std::string encode(std::u32string_view text);

}  // namespace names
