// Where a year found in a chunk of a name stands in the whole name.
#pragma once

#include <cstdint>

namespace years {

struct Span {
    int64_t start;
    int64_t finish;
};

// A chunk with a prefix begins one character after `lentochunk`, so its
// positions move by one more; the finish moves by that one only when the
// years reach the end of the chunk, which leaves out a trailing delimiter
// that the search took along inside the chunk.
inline Span in_whole_name(int64_t lentochunk, bool prefix, Span in_chunk, int64_t chunk_length) {
    const int64_t shift = prefix ? 1 : 0;
    const int64_t finish_shift = prefix && in_chunk.finish >= chunk_length ? 1 : 0;
    return {lentochunk + in_chunk.start + shift, lentochunk + in_chunk.finish + finish_shift};
}

}  // namespace years
