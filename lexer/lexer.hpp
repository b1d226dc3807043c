// The tokenizer: splits text into symbols and classifies pieces of text.
// Plain C++ on code points; the Python module and the reshape engine share it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lexer {

enum TokType : int32_t {
    UNDEFINED = 0,
    WHITESPACE = 100,
    SPECIAL = 101,
    BRACKETING = 102,
    PUNCTUATION = 103,
    NEWLINE = 104,
    TEXT = 105,
};

inline constexpr TokType TOKTYPES[] = {UNDEFINED,   WHITESPACE, SPECIAL, BRACKETING,
                                      PUNCTUATION, NEWLINE,    TEXT};

inline constexpr std::u32string_view OPEN_BRACKETS = U"([{<";
inline constexpr std::u32string_view CLOSE_BRACKETS = U")]}>";
inline constexpr std::u32string_view BRACKETS = U"([{<)]}>";

bool is_toktype(int32_t code);

// One entry of the special-token list as the scan sees it. An entry whose
// length the host cannot take is kept as a placeholder, so that the scan
// fails exactly where that entry is first tried and not before.
struct Special {
    std::u32string text;
    bool measurable = true;
};

// Raised by the scan when it reaches a placeholder entry.
class UnmeasurableSpecial : public std::runtime_error {
public:
    explicit UnmeasurableSpecial(std::size_t index)
        : std::runtime_error("special token without a length"), index(index) {}
    std::size_t index;  // position of the entry in the special-token list
};

// A symbol as a slice of the scanned text.
struct Span {
    int32_t start;
    int32_t length;
};

// Every symbol of the text, whitespace runs included, in order; their
// concatenation is the text. Empty special strings never match (they would
// match everywhere without advancing).
std::vector<Span> scan(std::u32string_view text, const std::vector<Special>& specials);

// The symbols of the text as spans into `spans` (emptied first), filtered
// unless `whitespace` as drop_blank filters them, for callers that scan
// name after name and keep its memory.
void scan_into(std::u32string_view text, const std::vector<Special>& specials, bool whitespace,
               std::vector<Span>& spans);

// The symbols that are not blank by the full Unicode notion of whitespace.
std::vector<Span> drop_blank(std::u32string_view text, std::vector<Span> spans);

// The symbols of the text as strings, filtered unless `whitespace`.
std::vector<std::u32string> symbolize(std::u32string_view text, bool whitespace,
                                      const std::vector<Special>& specials = {});

// The type a token of this text gives itself. `specials` holds the special
// strings in list order.
TokType classify(std::u32string_view text, const std::vector<std::u32string>& specials);

}  // namespace lexer
