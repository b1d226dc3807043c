// Reshape.run in native code, for as long as every piece of its chain is
// still the system's own and no debug line can be seen: the same name
// comes out as through the module functions, without a Python object made
// on the way.
//
// The globals of the chain are looked up at every call, as the host would
// look them up: in the dictionary of each module, by interned keys, and
// compared by identity with the native functions. What was made of the
// lexer's strings and of the formats' symbol lists is kept while the same
// str objects are in place (a str never changes; a list may, so a list is
// compared item by item), and the buffers of one name serve the next.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lexer/lexer.hpp"
#include "pyglue/pyglue.hpp"
#include "reshaper/chain.hpp"
#include "reshaper/matching.hpp"

namespace reshaper::binding {

namespace py = pybind11;

// What was made of the items of a list of exact str, kept while the list
// holds the same str objects in the same order. A list that holds anything
// else is not kept (a str subclass could carry more than its text).
template <typename Item>
class ListCache {
public:
    using Make = Item (*)(std::u32string);

    explicit ListCache(Make make) : make_(make) {}

    // The items made of `list`, or nullptr when it is not a list of exact str.
    const std::vector<Item>* find(PyObject* list);

private:
    bool holds(PyObject* list) const;

    Make make_;
    py::object list_;
    std::vector<py::object> strings_;  // held, so that no identity is fooled by a reused address
    std::vector<Item> made_;
};

class NativeRun {
public:
    NativeRun();

    // The proposal for `name`, or nothing when the shortcut does not apply:
    // a global of the chain was replaced, a debug line can be seen, or
    // something is not where the shortcut looks (the general path then does
    // what the host would do).
    std::optional<py::object> operator()(py::handle mod, py::handle self, py::handle name);

private:
    struct Keys {
        py::object dprint, parse_source, raw_parse_source, apply_parser, lexer, hostkit, symbolizer,
            presentable, special_tokens, open_brackets, close_brackets, source_symbols, target_symbols;
    };
    struct Natives {
        py::object dprint, parse_source, raw_parse_source, apply_parser, symbolizer, presentable;
    };

    bool find_natives();
    PyObject* lexer_if_native(PyObject* mod);
    const Symbols& symbols_of(PyObject* list, ListCache<std::u32string>& cache, Symbols& scratch,
                              const char* arg);
    const std::vector<lexer::Special>& specials_of(PyObject* lexer);
    const Brackets& brackets_of(py::handle mod, PyObject* lexer);

    Keys keys_;
    Natives natives_;
    bool natives_found_ = false;
    // Set while a name is worked on: a run called again from within (from
    // the length of an odd special token, say) takes the general path, as
    // the kept lists and buffers belong to the outer one.
    bool busy_ = false;
    ListCache<std::u32string> source_;
    ListCache<std::u32string> target_;
    ListCache<lexer::Special> specials_;
    py::object open_;
    py::object close_;
    Brackets brackets_;
    // What is made afresh for each name when nothing can be kept.
    Symbols source_scratch_;
    Symbols target_scratch_;
    std::vector<lexer::Special> specials_scratch_;
    Brackets brackets_scratch_;
    std::u32string name_;
    Chain chain_;
};

}  // namespace reshaper::binding
