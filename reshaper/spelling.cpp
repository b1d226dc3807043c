#include "spelling.hpp"

#include <unordered_map>

#include "charsets/charsets.hpp"
#include "nametidy/tidy.hpp"
#include "reshaper/fit.hpp"

namespace reshaper {

namespace {

// The target format applied with the parts `value_of(symbol)` gives (a view,
// or nothing for a symbol that is not a keyword), each copied as it is.
template <typename ValueView>
std::u32string compose_spelled(const Symbols& target, ValueView&& value_of, std::size_t room = 0) {
    std::u32string out;
    out.reserve(room);
    bool blank_pending = false;
    bool last_from_target = false;  // whether out ends in a character of the target itself
    for (const std::u32string& symbol : target) {
        const std::optional<std::u32string_view> value = value_of(symbol);
        if (!value && charsets::is_blank(symbol)) {
            blank_pending = true;
            continue;
        }
        const std::u32string_view piece = value ? *value : std::u32string_view(symbol);
        if (piece.empty()) continue;
        const bool closes_up = (last_from_target && nametidy::no_blank_after(out.back())) ||
                               (!value && nametidy::no_blank_before(piece.front()));
        if (blank_pending && !out.empty() && !closes_up) out.push_back(U' ');
        blank_pending = false;
        out += piece;
        last_from_target = !value;
    }
    return out;
}

}  // namespace

std::u32string compose_keeping_spelling(const Symbols& target, const ValueOf& value_of) {
    return compose_spelled(target, [&](const std::u32string& symbol) -> std::optional<std::u32string_view> {
        const std::u32string* value = value_of(symbol);
        if (!value) return std::nullopt;
        return std::u32string_view(*value);
    });
}

// The name is matched as views into it, and a part is the stretch of the
// name it came from: no piece of the name is copied before the result.
std::optional<std::u32string> reshape_keeping_spelling(const Symbols& source, const Symbols& target,
                                                       std::u32string_view name,
                                                       const std::vector<lexer::Span>& places,
                                                       const Brackets& brackets, MatchView& found) {
    try {
        match_into(source, SymbolViews(name, places), brackets, found);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!fits(found)) return std::nullopt;
    return compose_spelled(target, [&](const std::u32string& symbol) -> std::optional<std::u32string_view> {
        const StoreView* store = last_store_of(found, symbol);
        if (!store) return std::nullopt;
        // The old name from the first symbol of the part to the end of its last.
        const lexer::Span& first = places[store->value.begin];
        const lexer::Span& last = places[store->value.end - 1];
        return name.substr(first.start, last.start + last.length - first.start);
    }, name.size() + 16);  // the parts, their blanks and a little of the target's own
}

}  // namespace reshaper
