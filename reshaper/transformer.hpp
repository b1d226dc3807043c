// What the command-line tool proposes for a name, without Python: the same
// matching and composing, parts spelled as before, as a tree row proposes,
// and the same extension handling.
#pragma once

#include <string>
#include <string_view>

#include "reshaper/matching.hpp"

namespace reshaper {

// What validate says when a format is missing.
inline constexpr char MISSING_FORMATS[] = "You must specify bith the source and the target formats";

class Transformer {
public:
    Transformer(std::u32string_view source_format, std::u32string_view target_format);

    // "" when both formats are given, else the message for the user.
    std::u32string validate() const;

    // What the window and the command propose for an entry: a name that
    // fits the source format gets the new name with its parts spelled as
    // before (spelling.hpp); one that does not is left as it is. It keeps
    // its working memory for the next name, so one thread at a time.
    struct Review {
        std::u32string name;
        bool fits;
    };
    Review review(std::u32string_view entry_name, bool folder) const;

    // Why an entry that does not fit is left alone.
    std::u32string misfit_reason() const;

private:
    std::u32string source_format_;
    std::u32string target_format_;
    Symbols source_;
    Symbols target_;
    Brackets brackets_;
    mutable std::vector<lexer::Span> places_;
    mutable MatchView found_;
};

}  // namespace reshaper
