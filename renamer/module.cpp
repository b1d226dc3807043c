// The Python module `renamer`, the rename engine for the host's Execute and
// Undo: one register function for each concern (register_*.cpp): a planned
// batch, undo, and the batches kept.
#include "renamer/bindings.hpp"

PYBIND11_MODULE(renamer, m) {
    m.doc() = "A batch rename engine that never overwrites and can undo";
    renamer::binding::register_plan(m);
    renamer::binding::register_undo(m);
    renamer::binding::register_history(m);
}
