#include "lexer.hpp"

#include <algorithm>
#include <array>

#include "charsets/charsets.hpp"

namespace lexer {

using charsets::is_ascii_punct;
using charsets::is_ascii_space;

bool is_toktype(int32_t code) {
    return std::find(std::begin(TOKTYPES), std::end(TOKTYPES), code) != std::end(TOKTYPES);
}

namespace {

// The length of the special string that starts at `pos`, or 0. The first
// entry in list order wins, not the longest.
std::size_t special_at(std::u32string_view text, std::size_t pos,
                       const std::vector<Special>& specials) {
    const std::u32string_view rest = text.substr(pos);
    for (std::size_t i = 0; i < specials.size(); ++i) {
        const Special& sp = specials[i];
        if (!sp.measurable) throw UnmeasurableSpecial(i);
        if (!sp.text.empty() && rest.substr(0, sp.text.size()) == sp.text)
            return sp.text.size();
    }
    return 0;
}

// What a character is to the scan: a symbol alone (punctuation, the line
// feed), part of a whitespace run (ASCII whitespace but the line feed), or
// part of a text run (anything else).
enum Kind : unsigned char { RUN, ALONE, BLANK };

constexpr std::array<Kind, 128> ASCII_KINDS = [] {
    std::array<Kind, 128> kinds{};
    for (char32_t c = 0; c < 128; ++c)
        kinds[c] = is_ascii_punct(c) || c == U'\n' ? ALONE : is_ascii_space(c) ? BLANK : RUN;
    return kinds;
}();

Kind kind_of(char32_t c) { return c < 128 ? ASCII_KINDS[c] : RUN; }

Span span(std::size_t start, std::size_t end) {
    return Span{static_cast<int32_t>(start), static_cast<int32_t>(end - start)};
}

}  // namespace

std::vector<Span> scan(std::u32string_view text, const std::vector<Special>& specials) {
    std::vector<Span> out;
    scan_into(text, specials, true, out);
    return out;
}

void scan_into(std::u32string_view text, const std::vector<Special>& specials, bool whitespace,
               std::vector<Span>& out) {
    out.clear();
    const auto add = [&](std::size_t start, std::size_t end) {
        if (whitespace || !charsets::is_blank(text.substr(start, end - start))) out.push_back(span(start, end));
    };
    const std::size_t n = text.size();
    std::size_t pos = 0;
    while (pos < n) {
        if (!specials.empty()) {
            if (std::size_t len = special_at(text, pos, specials)) {
                add(pos, pos + len);
                pos += len;
                continue;
            }
        }
        if (kind_of(text[pos]) == ALONE) {
            add(pos, pos + 1);
            ++pos;
            continue;
        }
        std::size_t start = pos;
        while (pos < n && kind_of(text[pos]) == RUN) ++pos;
        if (pos > start) add(start, pos);
        start = pos;
        while (pos < n && kind_of(text[pos]) == BLANK) ++pos;
        if (pos > start && whitespace) out.push_back(span(start, pos));
    }
}

std::vector<Span> drop_blank(std::u32string_view text, std::vector<Span> spans) {
    spans.erase(std::remove_if(spans.begin(), spans.end(),
                               [text](const Span& s) {
                                   return charsets::is_blank(text.substr(s.start, s.length));
                               }),
                spans.end());
    return spans;
}

std::vector<std::u32string> symbolize(std::u32string_view text, bool whitespace,
                                      const std::vector<Special>& specials) {
    std::vector<Span> spans;
    scan_into(text, specials, whitespace, spans);
    std::vector<std::u32string> out;
    out.reserve(spans.size());
    for (const Span& s : spans) out.emplace_back(text.substr(s.start, s.length));
    return out;
}

TokType classify(std::u32string_view text, const std::vector<std::u32string>& specials) {
    for (const std::u32string& sp : specials)
        if (text == sp) return SPECIAL;
    if (text == U"\n") return NEWLINE;
    if (BRACKETS.find(text) != std::u32string_view::npos) return BRACKETING;
    if (charsets::PUNCTUATION.find(text) != std::u32string_view::npos) return PUNCTUATION;
    bool broken = false;
    for (char32_t c : text)
        if (is_ascii_punct(c) || is_ascii_space(c)) {
            broken = true;
            break;
        }
    if (!broken) return TEXT;
    for (char32_t c : text)
        if (!is_ascii_space(c)) return UNDEFINED;
    return WHITESPACE;
}

}  // namespace lexer
