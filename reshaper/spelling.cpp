#include "spelling.hpp"

#include <unordered_map>

#include "charsets/charsets.hpp"
#include "nametidy/tidy.hpp"
#include "reshaper/fit.hpp"

namespace reshaper {

namespace {

// The old name from the first symbol of `value` to the end of its last.
std::u32string spelled(std::u32string_view name, const std::vector<lexer::Span>& places, Range value) {
    const lexer::Span& first = places[value.begin];
    const lexer::Span& last = places[value.end - 1];
    return std::u32string(name.substr(first.start, last.start + last.length - first.start));
}

}  // namespace

std::u32string compose_keeping_spelling(const Symbols& target, const ValueOf& value_of) {
    std::u32string out;
    bool blank_pending = false;
    bool last_from_target = false;  // whether out ends in a character of the target itself
    for (const std::u32string& symbol : target) {
        const std::u32string* value = value_of(symbol);
        if (!value && charsets::is_blank(symbol)) {
            blank_pending = true;
            continue;
        }
        const std::u32string& piece = value ? *value : symbol;
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

std::optional<std::u32string> reshape_keeping_spelling(const Symbols& source, const Symbols& target,
                                                       std::u32string_view name,
                                                       const std::vector<lexer::Span>& places,
                                                       const Brackets& brackets) {
    Symbols text;
    text.reserve(places.size());
    for (const lexer::Span& place : places) text.emplace_back(name.substr(place.start, place.length));
    Match found;
    try {
        found = match(source, text, brackets);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!fits(found)) return std::nullopt;
    std::unordered_map<std::u32string, std::u32string> values;
    for (const Store& store : found.stores) values[store.keyword] = spelled(name, places, store.value);
    return compose_keeping_spelling(target, [&](const std::u32string& symbol) -> const std::u32string* {
        const auto it = values.find(symbol);
        return it == values.end() ? nullptr : &it->second;
    });
}

}  // namespace reshaper
