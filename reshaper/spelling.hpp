// Composing a new name that keeps the spelling of its parts. The join of
// parse_source puts a blank between every two symbols of a part, and the
// tidier cannot know which of them were there: "C++ Primer" came back as
// "C + + Primer". Here a part is the stretch of the old name from its first
// symbol to its last, as it was written, and only the blanks of the target
// format itself are tidied.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/lexer.hpp"
#include "reshaper/matching.hpp"

namespace reshaper {

// The target format applied with the parts as `value_of` gives them, each
// copied as it is. Every whitespace run of the target becomes one blank,
// none at either end, none after an opening bracket of the target nor
// before its closing brackets and . , ; : ! ?.
std::u32string compose_keeping_spelling(const Symbols& target, const ValueOf& value_of);

// The new name of `name`, whose symbols (whitespace off) lie at `places`,
// or nothing when the name does not fit the source format (fit.hpp).
// `found` is working memory, kept by a caller that reshapes name after name.
std::optional<std::u32string> reshape_keeping_spelling(const Symbols& source, const Symbols& target,
                                                       std::u32string_view name,
                                                       const std::vector<lexer::Span>& places,
                                                       const Brackets& brackets, MatchView& found);
inline std::optional<std::u32string> reshape_keeping_spelling(const Symbols& source, const Symbols& target,
                                                              std::u32string_view name,
                                                              const std::vector<lexer::Span>& places,
                                                              const Brackets& brackets) {
    MatchView found;
    return reshape_keeping_spelling(source, target, name, places, brackets, found);
}

}  // namespace reshaper
