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

// The same into `out`, whose room is kept for the next name.
void decode_into(std::string_view bytes, std::u32string& out);

// The first code point of `bytes` (not empty) as decode reads it, and how
// many bytes it takes: one for a byte that starts no valid sequence.
std::size_t decode_first(std::string_view bytes, char32_t& code_point);

// Code points back to the bytes they were decoded from.
std::string encode(std::u32string_view text);

}  // namespace names
