// What the host proposes for a name: whether it fits the source format, its
// new name spelled as in the old one, and why a misfit is left alone.
#include <optional>
#include <vector>

#include "lexer/python_scan.hpp"
#include "reshaper/bindings.hpp"
#include "reshaper/fit.hpp"
#include "reshaper/spelling.hpp"

namespace reshaper::binding {

namespace {

using pyglue::from_u32;

// Where the symbols of a name lie, by the lexer module's scan as it is now
// (its special strings included), whitespace off. Nothing when the scan
// fails: such a name cannot be matched, as run finds too.
std::optional<std::vector<lexer::Span>> places_of(py::handle mod, const std::u32string& name) {
    try {
        return lexer::python::scan_symbols(lexer_of(mod), name, false);
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;
        return std::nullopt;
    }
}

bool fits(py::handle mod, py::handle source, py::handle text) {
    require_list(source, "fits", "source_symbols");
    pyglue::require_str(text, "fits", "text");
    const Symbols src = symbols_of(source, "fits", "source_symbols");
    const std::u32string name = to_u32(text);
    const std::optional<std::vector<lexer::Span>> places = places_of(mod, name);
    return places && reshaper::fits(src, SymbolViews(name, *places), current_brackets(mod));
}

py::object propose(py::handle mod, py::handle source, py::handle target, py::handle text) {
    require_list(source, "propose", "source_symbols");
    require_list(target, "propose", "target_symbols");
    pyglue::require_str(text, "propose", "text");
    const Symbols src = symbols_of(source, "propose", "source_symbols");
    const Symbols tgt = symbols_of(target, "propose", "target_symbols");
    const std::u32string name = to_u32(text);
    const std::optional<std::vector<lexer::Span>> places = places_of(mod, name);
    std::optional<std::u32string> reshaped;
    if (places) reshaped = reshaper::reshape_keeping_spelling(src, tgt, name, *places, current_brackets(mod));
    if (!reshaped || *reshaped == name) return py::reinterpret_borrow<py::object>(text);
    return from_u32(*reshaped);
}
}  // namespace

void register_proposals(py::module_& m) {
    py::object mod = m;
    m.def(
        "fits",
        [mod](py::object source, py::object text) { return fits(mod, source, text); },
        py::arg("source_symbols"), py::arg("text"),
        "fits(source_symbols: list, text: str) -> bool\n\n"
        "Whether a name fits the source format: the match gives no message and raises nothing,\n"
        "every delimiter and bracket group is found in order, and every keyword gets a\n"
        "non-empty part.");
    m.def(
        "propose",
        [mod](py::object source, py::object target, py::object text) {
            return propose(mod, source, target, text);
        },
        py::arg("source_symbols"), py::arg("target_symbols"), py::arg("text"),
        "propose(source_symbols: list, target_symbols: list, text: str) -> str\n\n"
        "The new name of a name that fits, each part spelled as in the old name and only the\n"
        "target's own blanks tidied; a name that does not fit comes back unchanged.");
    m.def(
        "misfit_reason",
        [](py::object source_format) {
            pyglue::require_str(source_format, "misfit_reason", "source_format");
            return from_u32(reshaper::misfit_reason(to_u32(source_format)));
        },
        py::arg("source_format"),
        "misfit_reason(source_format: str) -> str\n\n"
        "Why a name that does not fit is left alone.");
}

}  // namespace reshaper::binding
