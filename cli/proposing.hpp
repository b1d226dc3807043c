// The new names the window would give the entries of one folder. For a
// large folder the names are shared out between two threads: each name is
// decoded, matched against the pattern and rearranged on its own, and the
// transformer and the pattern are const and keep nothing between calls.
#pragma once

#include <string>
#include <vector>

#include "reshaper/transformer.hpp"
#include "wildcard/wildcard.hpp"

namespace cli {

struct NameProposal {
    enum Kind {
        left_alone,  // it does not match the pattern, or its proposal changes nothing
        misfit,      // it does not fit the source format
        renamed,
    } kind = left_alone;
    std::string new_name;  // renamed: the new name's bytes
};

// One proposal for each of `names`, in order; `pattern` null: every name.
std::vector<NameProposal> propose(const reshaper::Transformer& transformer, const wildcard::Pattern* pattern,
                                  const std::vector<std::string>& names, bool folders);

}  // namespace cli
