// The rearrangement of one name after another, as Reshape.run does it:
// the name split into symbols, matched against the source format, composed
// by the target format and tidied. The pieces of the name are views into
// it, made when asked for, the keyword map is the matcher's list of stores, and every buffer is
// kept for the next name, so that once they have grown a name costs no
// allocation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lexer/lexer.hpp"
#include "reshaper/matching.hpp"

namespace reshaper {

class Chain {
public:
    // The new name of `name` (`source` made with whitespace off, `target`
    // with it on), or `name` itself when it does not fit the source format:
    // a message from the matcher, or one of its errors. The view is valid
    // until the next call.
    std::u32string_view reshape(const Symbols& source, const Symbols& target, std::u32string_view name,
                                const std::vector<lexer::Special>& specials, const Brackets& brackets);

private:
    std::vector<lexer::Span> spans_;
    MatchView found_;
    Composition composed_;
    std::u32string out_;
};

}  // namespace reshaper
