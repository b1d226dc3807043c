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
    std::u32string out(text.size(), U'\0');
    out.resize(write_presentable(text, out.data()));
    return out;
}

std::size_t write_presentable(std::u32string_view text, char32_t* const out) {
    // One pass: a whitespace run between two characters is one blank, which
    // is written, or not, when the character after it comes; none is
    // written at either end.
    const std::size_t n = text.size();
    char32_t* w = out;
    bool blank = false;
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = text[i];
        if (c > U' ' && !blank) {  // nearly every character: no whitespace, none before it
            *w++ = c;
            continue;
        }
        if (is_ascii_space(c)) {
            blank = w != out;
            continue;
        }
        if (blank) {
            blank = false;
            const char32_t left = w[-1];
            const bool closes_up =
                no_blank_before(c) || no_blank_after(left) || (left == U'#' && charsets::is_ascii_digit(c));
            if (!closes_up && c == U'\'' && is_wordchar(left)) {
                // Blank, apostrophe, blank, word character: the word closes up.
                std::size_t next = i + 1;
                if (next < n && is_ascii_space(text[next])) {
                    while (next < n && is_ascii_space(text[next])) ++next;
                    if (next < n && is_wordchar(text[next])) {
                        *w++ = U'\'';
                        *w++ = text[next];
                        i = next;
                        continue;
                    }
                }
            }
            if (!closes_up) *w++ = U' ';
        }
        *w++ = c;
    }
    return static_cast<std::size_t>(w - out);
}

}  // namespace nametidy
