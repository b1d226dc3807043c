// find_years and extract_year: the years of a whole name, chunk by chunk,
// and the name without them; the positions arithmetic is in positions.hpp.
#include "years/bindings.hpp"
#include "years/positions.hpp"

namespace years::binding {

namespace {

py::tuple find_years(py::handle mod, py::object text) {
    pyglue::require_str(text, "find_years", "text");
    const py::int_ length(py::len(text));
    py::object found = py::str(""), start = length, finish = length;
    py::object chunk = py::none();
    for (py::handle item : mod.attr("textsplit").attr("chunker")(mod.attr("Chunk"), text)) {
        chunk = py::reinterpret_borrow<py::object>(item);
        py::object chunk_text = chunk.attr("text");
        dprint(mod, concat("** Chunk.text is '", chunk_text, "'"));
        std::vector<py::object> result = pyglue::unpack(chunk.attr("find_years")(), 3);
        found = result[0], start = result[1], finish = result[2];
        dprint(mod, concat("in loop, years: '", found, "', start: ", num(start), ", finish: ", num(finish)));
        dprint(mod, concat("          chunk.text (", num(py::int_(py::len(chunk_text))), "): '", chunk_text, "'"));
        if (pyglue::truth(found)) break;
    }
    dprint(mod, concat("after loop, years: ", found, ", start: ", num(start), ", finish: ", num(finish)));
    if (pyglue::truth(found)) {
        py::object lentochunk = chunk.attr("lentochunk");
        py::object prefix = chunk.attr("prefix");
        dprint(mod, concat("with years, lentochunk: ", num(lentochunk), ", start: ", num(start), ", prefix: '",
                           num(prefix), "', could be: '", piece(text, start, finish), "'"));
        const years::Span whole = years::in_whole_name(
            pyglue::to_int32(lentochunk), pyglue::truth(prefix),
            {pyglue::to_int32(start), pyglue::to_int32(finish)}, static_cast<int64_t>(py::len(chunk.attr("text"))));
        start = py::int_(whole.start), finish = py::int_(whole.finish);
        found = presentable(mod, piece(text, start, finish));
        dprint(mod, concat("final chunk so set text[", num(start), ":", num(finish), "]: '",
                           piece(text, start, finish), "'"));
        dprint(mod, concat("'", piece(text, py::none(), start), "' ~ ", num(start), " ~ '", piece(text, start, finish),
                           "' ~ ", num(finish), " ~ '", piece(text, finish, py::none()), "' ~ ", num(length)));
    } else {
        start = length, finish = length;
        dprint(mod, concat("final chunk with no years - start: ", num(start), ", finish: ", num(finish)));
    }
    dprint(mod, "years:", found);
    return py::make_tuple(found, start, finish);
}

// The host's wording when a value that must be a string (or None) is not.
void require_text_or_none(py::handle value) {
    if (!value.is_none() && !PyUnicode_Check(value.ptr()))
        throw py::type_error("Expected str, got " + pyglue::type_name(value).substr(0, 200));
}

py::tuple extract_year(py::handle mod, py::object text) {
    pyglue::require_str(text, "extract_year", "text");
    std::vector<py::object> result = pyglue::unpack(mod.attr("find_years")(text), 3);
    py::object year = result[0];
    require_text_or_none(year);
    const py::int_ start(pyglue::to_int32(result[1]));
    const py::int_ finish(pyglue::to_int32(result[2]));
    dprint(mod, concat("year: ", py::str(year), ", start: ", num(start), ", finish: ", num(finish), ", leftover: '",
                       piece(text, finish, py::none()), "'"));
    if (start < py::int_(py::len(text))) {
        dprint(mod, concat("found a year starting here: '", piece(text, start, py::none()), "'"));
        dprint(mod, concat("leftover text: '", piece(text, py::none(), start), "' == '", piece(text, finish, py::none()),
                           "'"));
        text = concat(piece(text, py::none(), start), " ", piece(text, finish, py::none()));
        text = presentable(mod, text);
        require_text_or_none(text);
    }
    dprint(mod, concat("year: '", py::str(year), "', text: '", py::str(text), "'"));
    return py::make_tuple(year, text);
}

}  // namespace

void register_search(py::module_& m) {
    py::object mod = m;
    m.def("find_years", [mod](py::object text) { return find_years(mod, text); }, py::arg("text"),
          "The years in a name and where they stand: (years, start, finish).");
    m.def("extract_year", [mod](py::object text) { return extract_year(mod, text); }, py::arg("text"),
          "The years of a name and the name without them: (year, rest).");
}

}  // namespace years::binding
