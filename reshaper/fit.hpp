// Whether a name fits the source format. The matcher of matching.hpp goes
// on whatever the name looks like (a missing delimiter is skipped, a
// keyword may end up empty); a rename proposed from such a match is one
// nobody asked for, so the window and the command propose only names that
// fit.
#pragma once

#include <string>
#include <string_view>

#include "reshaper/matching.hpp"

namespace reshaper {

// A match fits when it ended without a message, found every delimiter and
// bracket group of the format in order, and gave every keyword (each time
// it occurs) a non-empty part.
bool fits(const Match& found);
bool fits(const MatchView& found);

// The same for a name's symbols; a match that raises does not fit.
bool fits(const Symbols& source, const SymbolViews& text, const Brackets& brackets);

// Why a name is left alone: does not fit '<source format>'.
std::u32string misfit_reason(std::u32string_view source_format);

}  // namespace reshaper
