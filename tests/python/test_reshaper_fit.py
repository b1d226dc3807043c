"""The host's proposals from the reshaper module: the fit check, the
composition that keeps each part's spelling, and the reason shown for a
name left alone. The tables of cases are the C++ suites'; here is the
binding's contract."""

import pytest

import lexer
import reshaper
from reshaper import fits, misfit_reason, propose


def source(text):
    return lexer.symbolizer(text, whitespace=False)


def target(text):
    return lexer.symbolizer(text, whitespace=True)


@pytest.mark.parametrize("fmt, name, expected", [
    ("a - b", "Lippman - C++ Primer", True),
    ("a - b", "Notes without a delimiter", False),
    ("a - b", "Notes -", False),
    ("title (series) - author", "Finance - Quarterly Report (2024)", False),
    ("title (series) - author", "Report - Finance", False),  # the matcher raises
    ("a - (b)", "x - y", False),  # the matcher gives a message
    ("a - a", "x - y", True),
    ("name", "..", True),
])
def test_fits(fmt, name, expected):
    assert fits(source(fmt), name) is expected
    assert fits(source_symbols=source(fmt), text=name) is expected


@pytest.mark.parametrize("fmt, tgt, name, expected", [
    ("a - b", "b - a", "Lippman - C++ Primer", "C++ Primer - Lippman"),
    ("a - b", "b - a", "x - file_name  v1.2", "file_name  v1.2 - x"),
    ("a - b", "( b ) a", "Lee - O'Brien", "(O'Brien) Lee"),
    ("title (series) - author", "author ~ [series] title",
     "Mostly Harmless (Hitchhiker #5) - Douglas Adams",
     "Douglas Adams ~ [Hitchhiker #5] Mostly Harmless"),
    ("a - b", "b - a", "Notes", "Notes"),
    ("a - b", "b", "Notes", "Notes"),
])
def test_propose(fmt, tgt, name, expected):
    assert propose(source(fmt), target(tgt), name) == expected


def test_a_name_left_alone_is_the_callers_own_object():
    name = "".join(["Notes", " without"])
    assert propose(source("a - b"), target("b - a"), name) is name


def test_run_keeps_its_own_results():
    """Reshape.run still composes through the join and the tidier."""
    import types
    run = reshaper.Reshape(types.SimpleNamespace(source_format="a - b", target_format="b - a",
                                                 reversed_names=False)).run
    assert run("Lippman - C++ Primer") == "C + + Primer - Lippman"
    assert run("Notes") == "- Notes"


def test_the_lexers_settings_are_seen(monkeypatch, no_special_tokens):
    assert propose(source("a - b"), target("b - a"), "x<=y - z") == "z - x<=y"
    assert not fits(source("a [b]"), "x (y)")
    monkeypatch.setattr(lexer, "OPEN_BRACKETS", "(")
    monkeypatch.setattr(lexer, "CLOSE_BRACKETS", ")")
    assert fits(source("a (b)"), "x (y)")
    lexer.SPECIAL_TOKENS.append("- z")  # one symbol now: the delimiter is gone
    assert not fits(source("a - b"), "x<=y - z")


def test_a_broken_special_token_leaves_the_name_alone(no_special_tokens):
    formats = source("a - b"), target("b - a")
    lexer.SPECIAL_TOKENS.append(42)  # no length: the scan cannot use it
    assert not fits(formats[0], "x - y")
    assert propose(*formats, "x - y") == "x - y"


def test_misfit_reason():
    assert misfit_reason("a - b") == "does not fit 'a - b'"
    assert misfit_reason(source_format="title (series) - author") == (
        "does not fit 'title (series) - author'")


@pytest.mark.parametrize("call, message", [
    (lambda: fits(("a",), "x"), "fits() argument 'source_symbols' must be list, not tuple"),
    (lambda: fits(["a", 1], "x"), "fits() argument 'source_symbols' must hold only str, not int"),
    (lambda: fits(["a"], None), "fits() argument 'text' must be str, not NoneType"),
    (lambda: propose(["a"], None, "x"), "propose() argument 'target_symbols' must be list, not NoneType"),
    (lambda: propose(["a"], ["a"], b"x"), "propose() argument 'text' must be str, not bytes"),
    (lambda: misfit_reason(None), "misfit_reason() argument 'source_format' must be str, not NoneType"),
])
def test_wrong_types(call, message):
    with pytest.raises(TypeError) as error:
        call()
    assert str(error.value) == message
