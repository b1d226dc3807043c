// Where a name joins the file tree. The tree inserts its names in sorted
// order and keeps the chain of rows the previous name went through, root
// first: a new name goes down the part of the chain it shares, may find
// its next component among the children of the last shared row, and needs
// new rows for the rest. Sorted input thus makes every folder row once, at
// its first use, touching only the rows the two names share.
#pragma once

#include <cstddef>
#include <functional>

namespace dirscan {

struct Join {
    std::size_t shared = 0;     // leading rows of the chain the name goes through
    bool known_child = false;   // component `shared` is already a child of the last shared row
    std::size_t first_new = 0;  // the first component needing a new row; `components` when none does
};

// `components`: how many the name has, the root's empty one first.
// `chain_length`: the rows on the chain. `on_chain(i)`: component i is the
// name of chain row i. `is_child(i)`: component i names a child of chain
// row i - 1. Asks only what the answer depends on, in order.
Join join_branch(std::size_t components, std::size_t chain_length, const std::function<bool(std::size_t)>& on_chain,
                 const std::function<bool(std::size_t)>& is_child);

}  // namespace dirscan
