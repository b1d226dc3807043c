#include "tidy.hpp"

#include "charsets/charsets.hpp"

namespace nametidy {

namespace {

using charsets::is_ascii_space;

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

// The text with every whitespace run as one blank and no blank at the
// ends, appended to `out`.
void append_collapsed(std::u32string_view text, std::u32string& out) {
    const std::size_t base = out.size();
    out.resize(base + text.size());  // the most it can take; cut to size below
    char32_t* const start = out.data() + base;
    char32_t* w = start;
    bool pending = false;
    for (char32_t c : text) {
        if (is_ascii_space(c)) {
            pending = w != start;
            continue;
        }
        if (pending) *w++ = U' ';
        pending = false;
        *w++ = c;
    }
    out.resize(base + static_cast<std::size_t>(w - start));
}

}  // namespace

bool no_blank_before(char32_t c) {
    switch (c) {
    case U'.': case U',': case U';': case U':': case U'!': case U'?':
    case U')': case U']': case U'}': case U'>':
        return true;
    default:
        return false;
    }
}

bool no_blank_after(char32_t c) { return c == U'(' || c == U'[' || c == U'{' || c == U'<'; }

std::u32string presentable(std::u32string_view text) {
    std::u32string out;
    append_presentable(text, out);
    return out;
}

void append_presentable(std::u32string_view text, std::u32string& out) {
    // Collapsed first, then tidied in place: a blank is kept or dropped and
    // " ' " becomes one character, so the write position never passes the
    // read position, and what is read ahead is still the collapsed text.
    const std::size_t base = out.size();
    append_collapsed(text, out);
    const std::size_t n = out.size();
    std::size_t w = base;
    for (std::size_t i = base; i < n; ++i) {
        const char32_t c = out[i];
        if (c != U' ') {
            out[w++] = c;
            continue;
        }
        // Collapsing leaves blanks only between two other characters.
        const char32_t left = out[w - 1];
        const char32_t right = out[i + 1];
        if (no_blank_before(right) || no_blank_after(left)) continue;
        if (left == U'#' && charsets::is_ascii_digit(right)) continue;
        if (right == U'\'' && i + 3 < n && out[i + 2] == U' ' && is_wordchar(left) &&
            is_wordchar(out[i + 3])) {
            out[w++] = U'\'';
            i += 2;
            continue;
        }
        out[w++] = U' ';
    }
    out.resize(w);
}

}  // namespace nametidy
