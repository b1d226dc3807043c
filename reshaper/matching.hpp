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

#include "charsets/charsets.hpp"
#include "lexer/lexer.hpp"

namespace reshaper {

using Symbols = std::vector<std::u32string>;

// The symbols of a name as the scan left them, spans of the name, each
// seen as a view into it when asked for: a name is matched without a copy
// of its pieces.
class SymbolViews {
public:
    SymbolViews(std::u32string_view text, const std::vector<lexer::Span>& spans) : text_(text), spans_(&spans) {}

    std::size_t size() const { return spans_->size(); }

    std::u32string_view operator[](std::size_t i) const {
        const lexer::Span& span = (*spans_)[i];
        return {text_.data() + span.start, static_cast<std::size_t>(span.length)};
    }

private:
    std::u32string_view text_;
    const std::vector<lexer::Span>* spans_;
};

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

// occurs_in(symbol, charsets::PUNCTUATION), without a search for the
// one-character symbols nearly every test meets.
inline bool is_punctuation(std::u32string_view symbol) {
    if (symbol.size() == 1) return charsets::is_ascii_punct(symbol[0]);
    return occurs_in(symbol, charsets::PUNCTUATION);
}

// The closing bracket for an opening one: the character of `close` at the
// position of `symbol` within `open`.
std::u32string_view closing_of(std::u32string_view symbol, const Brackets& brackets);

// The first position in [from, to) whose symbol equals `wanted`, or `to`.
std::size_t find_symbol(const Symbols& symbols, std::size_t from, std::size_t to,
                        std::u32string_view wanted);
std::size_t find_symbol(const SymbolViews& symbols, std::size_t from, std::size_t to,
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

// A match whose keywords are views into the source symbols, for a caller
// that holds them while it uses the match.
struct StoreView {
    std::u32string_view keyword;
    Range value;
};

struct MatchView {
    std::u32string msg;
    std::vector<StoreView> stores;
    bool all_found = true;
};

// The same for a name's symbols as views, into `result`, whose memory is
// kept from the name before.
void match_into(const Symbols& source, const SymbolViews& text, const Brackets& brackets, MatchView& result);

// The store made last for `keyword` (the keyword map holds its value), or
// nothing.
const StoreView* last_store_of(const MatchView& found, std::u32string_view keyword);

// The value of a keyword as parse_source gives it: its symbols joined by
// single blanks.
std::u32string joined(const Symbols& text, Range value);

// The same appended to `out`.
template <typename SymbolList>
void append_joined(const SymbolList& text, Range value, std::u32string& out) {
    for (std::size_t i = value.begin; i < value.end; ++i) {
        if (i > value.begin) out.push_back(U' ');
        out += text[i];
    }
}

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

// The same into `c` (its memory kept from the name before), with
// `append_value(symbol, body)` appending the value of a keyword to the body
// and returning true, or returning false for a symbol that is not one.
template <typename AppendValue>
void compose_into(const Symbols& target, AppendValue&& append_value, Composition& c) {
    c.start_symbol.clear();
    c.end_symbol.clear();
    c.body.clear();
    std::size_t begin = 0;
    std::size_t end = target.size();
    if (begin < end && is_punctuation(target[begin])) c.start_symbol = target[begin++];
    if (begin < end && is_punctuation(target[end - 1])) c.end_symbol = target[--end];
    for (std::size_t i = begin; i < end; ++i) {
        if (i > begin) c.body.push_back(U' ');
        if (!append_value(target[i], c.body)) c.body += target[i];
    }
}

}  // namespace reshaper
