// `Filetree`: the tree of rows that shows the chosen folder, made with
// type() so that it behaves as a Python class. Its methods come from one
// file per concern, added in the order of the class's attributes.
#include "dirscan/bindings.hpp"

namespace dirscan::binding {

void register_filetree(py::module_& m) {
    py::object mod = m;
    py::dict ns;
    add_setup_methods(ns, mod);
    add_walk_methods(ns, mod);
    add_build_methods(ns, mod);
    add_selection_methods(ns, mod);
    m.attr("Filetree") = pyglue::make_class("dirscan", "Filetree", "The tree of rows that shows the chosen folder",
                                            py::make_tuple(), ns);
}

}  // namespace dirscan::binding
