#include "branch.hpp"

namespace dirscan {

Join join_branch(std::size_t components, std::size_t chain_length, const std::function<bool(std::size_t)>& on_chain,
                 const std::function<bool(std::size_t)>& is_child) {
    Join join;
    while (join.shared < components && join.shared < chain_length && on_chain(join.shared)) ++join.shared;
    // Folder mode can collect "Photos", then "Photos 2019" (sorting before
    // "Photos/"), then "Photos/2019": the chain has moved on from a row
    // that already holds the next component.
    join.known_child = join.shared < components && join.shared > 0 && is_child(join.shared);
    join.first_new = join.shared + (join.known_child ? 1 : 0);
    return join;
}

}  // namespace dirscan
