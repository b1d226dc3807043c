// Matching a name against a source format and composing the new name by a
// target format. Plain C++ on code points; the Python module adds the debug
// lines and Python objects, the command-line tool uses it as it is.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace reshaper {

using Symbols = std::vector<std::u32string>;

// The bracket strings in force (the tokenizer's, read by the caller at use).
struct Brackets {
    std::u32string open;
    std::u32string close;
};

// The errors of the matcher, worded as the host words them.
struct IndexError : std::out_of_range {
    using std::out_of_range::out_of_range;
};
struct ValueError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};
struct RecursionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Half-open range of positions in one symbol list.
struct Range {
    std::size_t begin;
    std::size_t end;
};

// Membership as a substring test, the way a symbol is tested against the
// bracket and punctuation strings.
bool occurs_in(std::u32string_view symbol, std::u32string_view set);

// The closing bracket for an opening one: the character of `close` at the
// position of `symbol` within `open`.
std::u32string_view closing_of(std::u32string_view symbol, const Brackets& brackets);

// The first position in [from, to) whose symbol equals `wanted`, or `to`.
std::size_t find_symbol(const Symbols& symbols, std::size_t from, std::size_t to,
                        std::u32string_view wanted);

// Position of the bracket that closes the group opened at `pos`, or
// symbols.size(). Brackets do not nest.
std::size_t find_closing_bracket(const Symbols& symbols, std::size_t pos, const Brackets& brackets);

// One store into the keyword map: `keyword` gets the text symbols of `value`
// (positions in the whole text). Replaying the stores in order into a map
// that keeps insertion order gives the map, order included.
struct Store {
    std::u32string keyword;
    Range value;
};

struct Match {
    std::u32string msg;  // empty on success
    std::vector<Store> stores;
    // Whether every delimiter and every bracket group (its closing bracket
    // included, where the format has one) was found in the text. The
    // matcher goes on without them; whoever judges the match may not.
    bool all_found = true;
};

// Observer of the matcher's progress, for debug output.
class Trace {
public:
    virtual ~Trace() = default;
    virtual void enter(std::size_t depth, Range source, Range text) = 0;
    virtual void no_opening_bracket(std::size_t depth, Range text) = 0;
};

// Walks source and text symbols together without backtracking. Throws
// IndexError where the format has an opening bracket and the name has no
// symbols left.
Match match(const Symbols& source, const Symbols& text, const Brackets& brackets,
            Trace* trace = nullptr);

// The value of a keyword as parse_source gives it: its symbols joined by
// single blanks.
std::u32string joined(const Symbols& text, Range value);

// The target format applied: punctuation at either end is held apart from
// the pieces that go to the tidier.
struct Composition {
    std::u32string start_symbol;
    std::u32string end_symbol;
    std::u32string body;  // pieces joined by single blanks, still to be tidied
};

// `value_of` gives the value of a keyword, or nullptr for a symbol that is
// not one.
using ValueOf = std::function<const std::u32string*(const std::u32string&)>;

Composition compose(const Symbols& target, const ValueOf& value_of);

}  // namespace reshaper
