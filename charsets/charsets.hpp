// Character classes shared by the tokenizer and the name tidier.
// Everything works on code points (char32_t), the unit in which positions
// into names are counted.
#pragma once

#include <string_view>

namespace charsets {

// The 32 ASCII punctuation characters in code-point order.
inline constexpr std::u32string_view PUNCTUATION =
    U"!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";

// Space, tab, line feed, carriage return, vertical tab, form feed.
inline constexpr bool is_ascii_space(char32_t c) {
    return c == U' ' || (c >= U'\t' && c <= U'\r');
}

inline constexpr bool is_ascii_punct(char32_t c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) ||
           (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
}

inline constexpr bool is_ascii_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

inline constexpr bool is_ascii_letter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

// What the host string's strip() removes: general category Zs or
// bidirectional class WS, B or S. Wider than the ASCII set above; it
// includes the information separators 0x1C-0x1F and the no-break spaces.
inline constexpr bool is_unicode_space(char32_t c) {
    if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x1F);
    if (c < 0x85) return false;
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// True when the text holds nothing but characters that strip() removes.
inline constexpr bool is_blank(std::u32string_view text) {
    for (char32_t c : text)
        if (!is_unicode_space(c)) return false;
    return true;
}

}  // namespace charsets
