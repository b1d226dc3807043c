#include "fit.hpp"

#include <algorithm>

namespace reshaper {

namespace {

template <typename SomeMatch>
bool fits_match(const SomeMatch& found) {
    if (!found.msg.empty() || !found.all_found) return false;
    return std::none_of(found.stores.begin(), found.stores.end(),
                        [](const auto& store) { return store.value.begin >= store.value.end; });
}

}  // namespace

bool fits(const Match& found) { return fits_match(found); }

bool fits(const MatchView& found) { return fits_match(found); }

bool fits(const Symbols& source, const SymbolViews& text, const Brackets& brackets) {
    MatchView found;
    try {
        match_into(source, text, brackets, found);
    } catch (const std::exception&) {  // a bracket of the format past the end of the name, say
        return false;
    }
    return fits(found);
}

std::u32string misfit_reason(std::u32string_view source_format) {
    return U"does not fit '" + std::u32string(source_format) + U"'";
}

}  // namespace reshaper
