#include "matching.hpp"

#include "charsets/charsets.hpp"

namespace reshaper {

namespace {

// As deep as the host lets a recursive function go; a format nested deeper
// than this is an error, not a crash.
constexpr std::size_t MAX_DEPTH = 1000;

template <typename SymbolList>
std::size_t find_in(const SymbolList& symbols, std::size_t from, std::size_t to, std::u32string_view wanted) {
    for (std::size_t i = from; i < to; ++i)
        if (symbols[i] == wanted) return i;
    return to;
}

// The text is a list of strings or of views into the name; the result
// holds its keywords as strings or as views into the source.
template <typename TextSymbols, typename Result>
class Matcher {
public:
    Matcher(const Symbols& source, const TextSymbols& text, const Brackets& brackets, Trace* trace,
            Result& result)
        : source_(source), text_(text), brackets_(brackets), trace_(trace), stores_(result.stores),
          all_found_(result.all_found) {}

    // One list of the format (the whole format or a bracket group) against
    // its part of the name. Returns the message; stores go to `stores_`.
    std::u32string level(Range src, Range txt, std::size_t depth) {
        if (depth > MAX_DEPTH) throw RecursionError("maximum recursion depth exceeded");
        if (trace_) trace_->enter(depth, src, txt);
        std::u32string msg;
        std::u32string_view keyword;
        Range gathered{txt.begin, txt.begin};
        std::size_t srcpos = src.begin;
        std::size_t txtpos = txt.begin;
        while (srcpos < src.end && msg.empty()) {
            const std::u32string& symbol = source_[srcpos];
            if (occurs_in(symbol, brackets_.open)) {
                if (txtpos >= txt.end) throw IndexError("list index out of range");
                if (text_[txtpos] != symbol) {
                    msg = U"Expected opening bracket '" + symbol + U"' was not found in text";
                    if (trace_) trace_->no_opening_bracket(depth, txt);
                    break;
                }
                const std::size_t csrcpos = closing_in(source_, srcpos, src.end);
                const std::size_t ctxtpos = closing_in(text_, txtpos, txt.end);
                if (csrcpos < src.end && ctxtpos == txt.end) all_found_ = false;
                msg = level({srcpos + 1, csrcpos}, {txtpos + 1, ctxtpos}, depth + 1);
                if (!msg.empty()) break;
                srcpos = csrcpos + 1;
                txtpos = ctxtpos + 1;
            } else if (is_punctuation(symbol)) {
                bool found = false;
                while (txtpos < txt.end && !found) found = text_[txtpos++] == symbol;
                if (!found) all_found_ = false;
                ++srcpos;
            } else {
                if (!keyword.empty()) store(keyword, gathered);
                keyword = symbol;
                ++srcpos;
                const bool has_stop = srcpos < src.end;
                gathered = {txtpos, txtpos};
                while (txtpos < txt.end && !(has_stop && text_[txtpos] == source_[srcpos])) ++txtpos;
                gathered.end = txtpos;
            }
        }
        if (!keyword.empty()) store(keyword, gathered);
        return msg;
    }

private:
    void store(std::u32string_view keyword, Range value) {
        stores_.emplace_back();
        stores_.back().keyword = keyword;
        stores_.back().value = value;
    }

    template <typename SymbolList>
    std::size_t closing_in(const SymbolList& symbols, std::size_t pos, std::size_t end) const {
        return find_symbol(symbols, pos, end, closing_of(symbols[pos], brackets_));
    }

    const Symbols& source_;
    const TextSymbols& text_;
    const Brackets& brackets_;
    Trace* trace_;
    decltype(Result::stores)& stores_;
    bool& all_found_;
};

}  // namespace

bool occurs_in(std::u32string_view symbol, std::u32string_view set) {
    if (symbol.size() == 1) return set.find(symbol[0]) != std::u32string_view::npos;
    return set.find(symbol) != std::u32string_view::npos;
}

std::u32string_view closing_of(std::u32string_view symbol, const Brackets& brackets) {
    const std::size_t index = std::u32string_view(brackets.open).find(symbol);
    if (index == std::u32string_view::npos) throw ValueError("substring not found");
    if (index >= brackets.close.size()) throw IndexError("string index out of range");
    return std::u32string_view(brackets.close).substr(index, 1);
}

std::size_t find_symbol(const Symbols& symbols, std::size_t from, std::size_t to,
                        std::u32string_view wanted) {
    return find_in(symbols, from, to, wanted);
}

std::size_t find_symbol(const SymbolViews& symbols, std::size_t from, std::size_t to,
                        std::u32string_view wanted) {
    return find_in(symbols, from, to, wanted);
}

std::size_t find_closing_bracket(const Symbols& symbols, std::size_t pos, const Brackets& brackets) {
    if (pos >= symbols.size()) throw IndexError("list index out of range");
    return find_symbol(symbols, pos, symbols.size(), closing_of(symbols[pos], brackets));
}

Match match(const Symbols& source, const Symbols& text, const Brackets& brackets, Trace* trace) {
    Match result;
    Matcher<Symbols, Match> matcher(source, text, brackets, trace, result);
    result.msg = matcher.level({0, source.size()}, {0, text.size()}, 0);
    return result;
}

void match_into(const Symbols& source, const SymbolViews& text, const Brackets& brackets, MatchView& result) {
    result.stores.clear();
    result.all_found = true;
    Matcher<SymbolViews, MatchView> matcher(source, text, brackets, nullptr, result);
    result.msg = matcher.level({0, source.size()}, {0, text.size()}, 0);
}

const StoreView* last_store_of(const MatchView& found, std::u32string_view keyword) {
    for (auto it = found.stores.rbegin(); it != found.stores.rend(); ++it)
        if (it->keyword == keyword) return &*it;
    return nullptr;
}

std::u32string joined(const Symbols& text, Range value) {
    std::u32string out;
    append_joined(text, value, out);
    return out;
}

Composition compose(const Symbols& target, const ValueOf& value_of) {
    Composition c;
    compose_into(
        target,
        [&](const std::u32string& symbol, std::u32string& body) {
            const std::u32string* value = value_of(symbol);
            if (value) body += *value;
            return value != nullptr;
        },
        c);
    return c;
}

}  // namespace reshaper
