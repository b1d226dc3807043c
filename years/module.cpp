// Python interface of the year search: the delimiter sets and patterns,
// `Chunk` (a textsplit.Chunk with the year search, made with type()) and
// the functions find_years and extract_year. The patterns run on the host's
// own `re`, whose Unicode classes, anchors and alternation the search is
// defined by; the positions arithmetic is in positions.hpp.
#include <tuple>

#include "pyglue/pyglue.hpp"
#include "years/positions.hpp"

namespace py = pybind11;
using pyglue::concat;

namespace {

using pyglue::dprint;

py::str num(py::handle value) { return py::str(value); }

py::object presentable(py::handle mod, py::handle text) {
    return mod.attr("hostkit").attr("presentable")(text);
}

py::object piece(py::handle text, py::handle start, py::handle stop) {
    return text[py::slice(py::reinterpret_borrow<py::object>(start), py::reinterpret_borrow<py::object>(stop),
                          py::none())];
}

bool refused_end(py::handle mod, py::handle year) {
    py::object allowed = mod.attr("NOT_LETTERS");
    py::object first = year[py::int_(0)];
    py::object last = year[py::int_(-1)];
    return !allowed.contains(first) || !allowed.contains(last);
}

// The run of years in a chunk's text, untidied: (years, start, finish).
std::tuple<py::object, py::object, py::object> search_chunk(py::handle mod, py::handle self) {
    py::object re = mod.attr("re");
    py::object text = self.attr("text");
    const py::int_ length(py::len(text));
    py::object year = py::str(""), found = py::str("");
    py::object start = py::int_(0), finish = py::int_(0);
    py::object match = re.attr("search")(mod.attr("YEAR_PATTERN"), text);
    if (!match.is_none()) start = match.attr("start")();
    while (!match.is_none() && finish < length) {
        dprint(mod, "match:", match);
        year = match.attr("group")(0);
        if (refused_end(mod, year)) {
            year = py::str("");
            dprint(mod, "matched got a bad character so break with no years");
            break;
        }
        dprint(mod, "found a good year, so updating and continuing");
        dprint(mod, "matched:", match);
        finish = finish + match.attr("end")();
        dprint(mod, "finish now:", finish);
        match = re.attr("match")(mod.attr("YEAR_PATTERN"), piece(text, finish, py::none()));
        dprint(mod, "subsequent match:", match);
    }
    if (!pyglue::truth(year)) {
        dprint(mod, "not year");
        start = length, finish = length;
        dprint(mod, concat("not year: start: ", num(start), ", finish: ", num(finish)));
    } else {
        dprint(mod, concat("year: '", year, "', start: ", num(start), ", finish: ", num(finish)));
        found = piece(text, start, finish);
        dprint(mod, "years:", found);
    }
    dprint(mod, concat("returning with year: '", year, "', start: ", num(start), ", finish: ", num(finish),
                       ", years: '", piece(text, start, finish), "'"));
    return {found, start, finish};
}

// Chunk.find_years: the search runs with the module's debug switch off, and
// the switch is as it was again before the years are tidied, also when the
// search fails.
py::tuple chunk_find_years(py::handle mod, py::object self) {
    auto [found, start, finish] = [&] {
        const pyglue::TemporaryAttribute quiet(mod, "debug", py::bool_(false));
        return search_chunk(mod, self);
    }();
    return py::make_tuple(presentable(mod, found), start, finish);
}

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

PYBIND11_MODULE(years, m) {
    m.attr("__version__") = "1.0";
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    m.attr("textsplit") = py::module_::import("textsplit");
    m.attr("re") = py::module_::import("re");
    py::module_ string = py::module_::import("string");
    m.attr("debug") = false;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("NOT_LETTERS") = concat(string.attr("digits"), string.attr("punctuation"), " ");
    // Read once, here: the dash characters join the delimiters as they are.
    py::object in_set = concat("!#%&,-/:;=@`$*+^|.", hostkit.attr("DASHES"));
    m.attr("PUNCT_IN_SET") = in_set;
    m.attr("YEAR_ENTIRE") = R"(^\s*(\d{4})\s*$)";
    m.attr("YEAR_PAREN") = R"(\(\s*(\d{4})\s*\))";
    py::object punct = concat("(?<=[", in_set, R"(])\s*\d{4}\s*[)", in_set, "]");
    m.attr("YEAR_PUNCT") = punct;
    py::object start = concat(R"(^\s*(\d{4})\s*[)", in_set, "]");
    m.attr("YEAR_START") = start;
    py::object end = concat("[", in_set, R"(]\s*(\d{4})\s*$)");
    m.attr("YEAR_END") = end;
    m.attr("YEAR_PATTERN") = concat(punct, "|", end, "|", start, "|", m.attr("YEAR_ENTIRE"));
    py::list second;
    second.append(" and ");
    second.append("or");
    second.append(concat(",-:;&", hostkit.attr("LONG_DASH")));
    m.attr("SECOND_YEAR_DELIMITER_LIST") = second;

    // Methods and functions hold the module whose globals they read; the
    // interpreter clears module dictionaries at exit, which ends that cycle.
    py::object mod = m;
    py::dict ns;
    ns["find_years"] = pyglue::method([mod](py::object self) { return chunk_find_years(mod, self); },
                                      "find_years(self) -> (years, start, finish)");
    m.attr("Chunk") = pyglue::make_class("years", "Chunk", "\n    add the year earch to this object\n    ",
                                         py::make_tuple(m.attr("textsplit").attr("Chunk")), ns);
    m.def("find_years", [mod](py::object text) { return find_years(mod, text); }, py::arg("text"),
          "The years in a name and where they stand: (years, start, finish).");
    m.def("extract_year", [mod](py::object text) { return extract_year(mod, text); }, py::arg("text"),
          "The years of a name and the name without them: (year, rest).");
}
