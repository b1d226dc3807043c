import collections

import pytest

import lexer
import reshaper
from reshaper import _parse_source, find_closing_bracket, parse_source


def src(fmt):
    return lexer.symbolizer(fmt, whitespace=False)


# The matcher's cases are in the C++ tests (Parse.KeywordsInStoreOrder);
# these few show that the binding hands over names and keywords as they are.
@pytest.mark.parametrize("source, name, expected", [
    ("a, b", "Smith, John H.", {"a": "Smith", "b": "John H ."}),
    ("title (series) - author", "Report (Issue 2) - Finance",
     {"series": "Issue 2", "title": "Report", "author": "Finance"}),
    ("a - b", "", {"a": "", "b": ""}),
])
def test_parse_source(source, name, expected):
    msg, keywords = parse_source(src(source), name)
    assert msg == ""
    assert keywords == expected
    assert list(keywords) == list(expected)  # the order in which keywords are stored


@pytest.mark.parametrize("name", ["Report - Finance", "Report [Issue 2] - Finance"])
def test_bracket_where_the_name_has_ended_is_an_index_error(name):
    with pytest.raises(IndexError, match="list index out of range"):
        parse_source(src("title (series) - author"), name)


def test_missing_opening_bracket_gives_the_message_and_what_was_found():
    assert parse_source(src("a - (b)"), "x - y") == (
        "Expected opening bracket '(' was not found in text", {"a": "x"})


def test_message_from_a_group_ends_every_level():
    msg, keywords = parse_source(src("a ((b) c) d"), "x (y) z")
    assert msg == "Expected opening bracket '(' was not found in text"
    assert keywords == {"a": "x"}


def test_trace_of_the_worked_example(debug_lines):
    parse_source(src("title (series) - author"), "Report (Issue 2) - Finance")
    assert debug_lines.calls == [
        (" source_symbols:", ["title", "(", "series", ")", "-", "author"]),
        ("  text_symbols:", ["Report", "(", "Issue", "2", ")", "-", "Finance"]),
        (" source_symbols:", ["series"]),
        ("  text_symbols:", ["Issue", "2"]),
        ("keywords:", {"series": "Issue 2", "title": "Report", "author": "Finance"}),
    ]


def test_debug_line_of_a_missing_opening_bracket(debug_lines):
    parse_source(src("a - (b)"), "x - y")
    assert ("no opening brackets:", ["x", "-", "y"]) in debug_lines.calls


def test_parse_source_raw_keeps_lists_and_leaves_the_callers_map_alone():
    kept = ["old"]
    given = {"z": kept, "a": ["stale"]}
    text = ["x", "-", "y"]
    msg, keywords = _parse_source(["a", "-", "b"], text, given)
    assert msg == ""
    assert keywords == {"z": ["old"], "a": ["x"], "b": ["y"]}
    assert list(keywords) == ["z", "a", "b"]
    assert keywords["z"] is kept
    assert given == {"z": ["old"], "a": ["stale"]}
    assert keywords is not given
    assert text == ["x", "-", "y"]


@pytest.mark.parametrize("symbols, pos, expected", [
    (["(", "x", ")", ")"], 0, 2),
    (["(", "x"], 0, 2),
    (["<", "x", ">"], 0, 2),
    (["a", "[", ")", "]"], 1, 3),
    (["(", "x", ")"], -3, -1),  # counts from the end, as list indexing does
])
def test_find_closing_bracket(symbols, pos, expected):
    assert find_closing_bracket(symbols, pos) == expected
    assert find_closing_bracket(symbols=symbols, pos=pos) == expected


@pytest.mark.parametrize("symbols, pos, error", [
    (["x"], 0, ValueError),
    (["("], 1, IndexError),
    (["("], -2, IndexError),
    (("(",), 0, TypeError),
    (["("], 1.5, TypeError),
    (["("], 2 ** 40, OverflowError),
])
def test_find_closing_bracket_errors(symbols, pos, error):
    with pytest.raises(error):
        find_closing_bracket(symbols, pos)


@pytest.mark.parametrize("call, argument", [
    (lambda: _parse_source(("a",), [], {}), "source_symbols"),
    (lambda: _parse_source([], None, {}), "text_symbols"),
    (lambda: _parse_source([], [], None), "keywords"),
    (lambda: _parse_source([], [], collections.OrderedDict()), "keywords"),
    (lambda: parse_source(None, "x"), "source_symbols"),
    (lambda: parse_source([], 5), "text"),
    (lambda: parse_source([], None), "text"),
])
def test_argument_types_are_checked_by_name(call, argument):
    with pytest.raises(TypeError, match=f"'{argument}'"):
        call()


@pytest.mark.parametrize("call", [
    lambda: parse_source([]),
    lambda: parse_source([], "x", {}),
    lambda: _parse_source([], []),
    lambda: parse_source(source_symbols=[], name="x"),
])
def test_argument_counts(call):
    with pytest.raises(TypeError):
        call()


def test_brackets_are_looked_up_at_every_use(monkeypatch):
    assert parse_source(["[", "a", "]"], "x")[0].startswith("Expected opening bracket '['")
    monkeypatch.setattr(lexer, "OPEN_BRACKETS", "(")
    monkeypatch.setattr(lexer, "CLOSE_BRACKETS", ")")
    assert parse_source(["[", "a", "]"], "x") == ("", {"a": ""})


def test_symbolizer_is_looked_up_at_every_use(monkeypatch):
    calls = []

    def split(text, whitespace=None):
        calls.append((text, whitespace))
        return ["X", "-", "Y"]

    monkeypatch.setattr(lexer, "symbolizer", split)
    assert parse_source(["a", "-", "b"], "ignored") == ("", {"a": "X", "b": "Y"})
    assert calls == [("ignored", False)]


def test_special_tokens_take_part_in_splitting_names(no_special_tokens):
    assert parse_source(["a", "<=", "b"], "x<=y")[1] == {"a": "x < = y", "b": ""}
    lexer.SPECIAL_TOKENS.append("<=")
    assert parse_source(["a", "<=", "b"], "x<=y")[1] == {"a": "x", "b": "y"}


def test_replaced_raw_parser_is_used(monkeypatch):
    monkeypatch.setattr(reshaper, "_parse_source", lambda s, t, k: ("", {"a": ["p", "q"]}))
    assert parse_source(["a"], "x") == ("", {"a": "p q"})


def test_long_names_split_in_one_pass():
    name = " - ".join(f"part{i}" for i in range(5000))
    msg, keywords = parse_source(src("a - b"), name)
    assert keywords["a"] == "part0"
    assert keywords["b"].endswith("part4999")
