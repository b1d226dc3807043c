// Name tidying: turns words and punctuation joined by blanks (as the
// reshape engine composes them) back into a name a person would write.
#pragma once

#include <string>
#include <string_view>

namespace nametidy {

// Runs of ASCII whitespace become one blank and the ends are trimmed; no
// blank stays before . , ; : ! ? or a closing bracket, nor after an opening
// bracket; a number sign closes up with a digit after it; an apostrophe that
// has a blank on both sides and letters beyond them closes up with both
// ("Don ' t" gives "Don't"), while one with a blank on one side only is a
// quotation mark as written and keeps it.
std::u32string presentable(std::u32string_view text);

// The same written to `out`, which has room for text.size() characters
// (the tidied text is never longer) and does not overlap `text`, for
// callers that tidy name after name into memory they keep. Returns the
// number of characters written.
std::size_t write_presentable(std::u32string_view text, char32_t* out);

// The two rules of presentable() about single characters, for composers
// that tidy only some of the blanks: no blank stays before . , ; : ! ? or
// a closing bracket, nor after an opening bracket.
bool no_blank_before(char32_t c);
bool no_blank_after(char32_t c);

}  // namespace nametidy
