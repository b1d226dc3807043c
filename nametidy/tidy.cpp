#include "tidy.hpp"

#include "charsets/charsets.hpp"

namespace nametidy {

namespace {

using charsets::is_ascii_space;

constexpr std::u32string_view OPENERS = U"([{<";
constexpr std::u32string_view CLOSERS = U")]}>";
constexpr std::u32string_view NO_BLANK_BEFORE = U".,;:!?";

bool contains(std::u32string_view set, char32_t c) {
    return set.find(c) != std::u32string_view::npos;
}

// Letters and digits, ASCII or not; what stands beside an apostrophe
// inside a word.
bool is_wordchar(char32_t c) {
    if (c < 0x80) return charsets::is_ascii_letter(c) || charsets::is_ascii_digit(c);
    if (charsets::is_unicode_space(c) || c == 0xD7 || c == 0xF7) return false;
    if (c < 0xC0) return false;                       // Latin-1 signs and symbols
    if (c >= 0x2000 && c <= 0x2BFF) return false;     // punctuation, arrows, symbols
    if (c >= 0x3000 && c <= 0x303F) return false;     // CJK punctuation
    return true;
}

// The text with every whitespace run as one blank and no blank at the ends.
std::u32string collapse(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size());
    bool pending = false;
    for (char32_t c : text) {
        if (is_ascii_space(c)) {
            pending = !out.empty();
            continue;
        }
        if (pending) out.push_back(U' ');
        pending = false;
        out.push_back(c);
    }
    return out;
}

}  // namespace

bool no_blank_before(char32_t c) { return contains(NO_BLANK_BEFORE, c) || contains(CLOSERS, c); }

bool no_blank_after(char32_t c) { return contains(OPENERS, c); }

std::u32string presentable(std::u32string_view text) {
    const std::u32string s = collapse(text);
    std::u32string out;
    out.reserve(s.size());
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = s[i];
        if (c != U' ') {
            out.push_back(c);
            continue;
        }
        // collapse() leaves blanks only between two other characters.
        const char32_t left = out.back();
        const char32_t right = s[i + 1];
        if (no_blank_before(right) || no_blank_after(left)) continue;
        if (left == U'#' && charsets::is_ascii_digit(right)) continue;
        if (right == U'\'' && i + 3 < n && s[i + 2] == U' ' && is_wordchar(left) &&
            is_wordchar(s[i + 3])) {
            out.push_back(U'\'');
            i += 2;
            continue;
        }
        out.push_back(U' ');
    }
    return out;
}

}  // namespace nametidy
