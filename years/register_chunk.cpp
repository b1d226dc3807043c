// `Chunk`: a textsplit.Chunk with the year search, made with type() so
// that it behaves as a Python class. The patterns run on the host's own
// `re`, whose Unicode classes, anchors and alternation the search is
// defined by.
#include <tuple>

#include "years/bindings.hpp"

namespace years::binding {

namespace {

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

}  // namespace

void register_chunk(py::module_& m) {
    py::object mod = m;
    py::dict ns;
    ns["find_years"] = pyglue::method([mod](py::object self) { return chunk_find_years(mod, self); },
                                      "find_years(self) -> (years, start, finish)");
    m.attr("Chunk") = pyglue::make_class("years", "Chunk", "\n    add the year earch to this object\n    ",
                                         py::make_tuple(m.attr("textsplit").attr("Chunk")), ns);
}

}  // namespace years::binding
