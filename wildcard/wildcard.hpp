// Shell-style wildcard patterns ("*", "?", "[set]", "[!set]") matched
// against a whole name, case-sensitively, with the host's fnmatch rules,
// down to how it reads odd sets such as "[z-a]" or an unclosed "[".
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wildcard {

class Pattern {
public:
    explicit Pattern(std::u32string_view pattern);
    bool matches(std::u32string_view name) const;

private:
    struct CharSet {
        bool negated = false;
        bool never = false;  // an empty range: matches no character
        bool any = false;    // a negated empty range: matches every character
        std::u32string literals;
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool contains(char32_t c) const;
    };
    struct Item {
        enum Kind { literal, one, in_set, star } kind;
        char32_t c = 0;
        std::size_t set_index = 0;
    };

    // Reads the set that opens at pattern[open]; returns the position after it,
    // or 0 when the bracket is not closed and stands for itself.
    std::size_t read_set(std::u32string_view pattern, std::size_t open);
    bool item_matches(const Item& item, char32_t c) const;

    std::vector<Item> items_;
    std::vector<CharSet> sets_;
};

}  // namespace wildcard
