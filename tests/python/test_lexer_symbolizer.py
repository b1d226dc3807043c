import pytest

import lexer
from lexer import next_token, symbolizer

pytestmark = pytest.mark.usefixtures("no_special_tokens")


@pytest.mark.parametrize("text, without, with_ws", [
    ("Smith, John H.", ["Smith", ",", "John", "H", "."],
     ["Smith", ",", " ", "John", " ", "H", "."]),
    ("a - b", ["a", "-", "b"], ["a", " ", "-", " ", "b"]),
    ("Title (1999)", ["Title", "(", "1999", ")"], ["Title", " ", "(", "1999", ")"]),
    ("O'Brien_2", ["O", "'", "Brien", "_", "2"], ["O", "'", "Brien", "_", "2"]),
    ("", [], []),
    ("   ", [], ["   "]),
    ("x\r\ny", ["x", "y"], ["x", "\r", "\n", "y"]),
    (" \n ", [], [" ", "\n", " "]),
    ("a\u2013b c\u00a0d", ["a\u2013b", "c\u00a0d"], ["a\u2013b", " ", "c\u00a0d"]),
    ("a \u00a0 b", ["a", "b"], ["a", " ", "\u00a0", " ", "b"]),
    ("A1b2--", ["A1b2", "-", "-"], ["A1b2", "-", "-"]),
    ("\ud800x", ["\ud800x"], ["\ud800x"]),
])
def test_split(text, without, with_ws):
    assert symbolizer(text) == without
    assert symbolizer(text, whitespace=True) == with_ws
    assert symbolizer(text=text, whitespace=False) == without
    assert "".join(symbolizer(text, True)) == text


def test_whitespace_takes_any_truth_value():
    assert symbolizer("a b", whitespace="yes") == ["a", " ", "b"]
    assert symbolizer("a b", whitespace=0) == ["a", "b"]


def test_result_is_a_new_list():
    first = symbolizer("a b")
    first.append("x")
    assert symbolizer("a b") == ["a", "b"]


@pytest.mark.parametrize("specials, text, expected", [
    (["<=", "<"], "a<=b", ["a", "<=", "b"]),
    (["<", "<="], "a<=b", ["a", "<", "=", "b"]),
    (["<="], "x<=y", ["x", "<=", "y"]),
    (["b<"], "ab<=", ["ab", "<", "="]),
    (["  "], "a   b", ["a", "   ", "b"]),
    (["ab"], "ab ab", ["ab", " ", "ab"]),
    # An empty special string is passed over; it must not stall the scan.
    (["", "<="], "a<=b", ["a", "<=", "b"]),
    ([["<"]], "a<b", ["a", "<", "b"]),
])
def test_special_tokens(specials, text, expected):
    lexer.SPECIAL_TOKENS.extend(specials)
    assert symbolizer(text, whitespace=True) == expected


def test_special_tokens_are_read_at_every_call():
    assert symbolizer("a<=b") == ["a", "<", "=", "b"]
    lexer.SPECIAL_TOKENS.append("<=")
    assert symbolizer("a<=b") == ["a", "<=", "b"]


def test_special_without_length_fails_where_first_tried():
    lexer.SPECIAL_TOKENS.extend(["a", None])
    assert symbolizer("") == []
    assert symbolizer("a") == ["a"]
    with pytest.raises(TypeError, match="has no len"):
        symbolizer("b")


@pytest.mark.parametrize("call", [
    lambda: symbolizer(5),
    lambda: symbolizer(None),
    lambda: symbolizer(b"a - b"),
])
def test_text_must_be_a_string(call):
    with pytest.raises(TypeError, match="'text' must be str"):
        call()


@pytest.mark.parametrize("call", [
    lambda: symbolizer("a", False, 1),
    lambda: symbolizer("a", spaces=True),
    lambda: symbolizer(),
])
def test_argument_errors(call):
    with pytest.raises(TypeError):
        call()


def kinds(tokens):
    return [(t.toktype, t.text) for t in tokens]


def test_next_token_keeps_whitespace_by_default():
    assert kinds(next_token("a - b")) == [
        (lexer.TEXT, "a"), (lexer.WHITESPACE, " "), (lexer.PUNCTUATION, "-"),
        (lexer.WHITESPACE, " "), (lexer.TEXT, "b")]
    assert kinds(next_token("one\ntwo")) == [
        (lexer.TEXT, "one"), (lexer.NEWLINE, "\n"), (lexer.TEXT, "two")]
    assert kinds(next_token("a - b", whitespace=False)) == [
        (lexer.TEXT, "a"), (lexer.PUNCTUATION, "-"), (lexer.TEXT, "b")]


def test_next_token_of_empty_text_is_exhausted_at_once():
    tokens = next_token("")
    assert iter(tokens) is tokens
    with pytest.raises(StopIteration):
        next(tokens)


def test_next_token_is_lazy_and_calls_the_current_symbolizer_once(monkeypatch):
    calls = []

    def recorder(text, whitespace=False):
        calls.append((text, whitespace))
        return ["x", "(", " "]

    tokens = next_token("ignored", whitespace="flag")
    monkeypatch.setattr(lexer, "symbolizer", recorder)
    assert calls == []
    assert next(tokens).toktype == lexer.TEXT
    assert kinds(tokens) == [(lexer.BRACKETING, "("), (lexer.WHITESPACE, " ")]
    assert calls == [("ignored", "flag")]


def test_next_token_type_error_comes_at_first_request():
    tokens = next_token(42)
    with pytest.raises(TypeError, match="'text' must be str"):
        next(tokens)
    assert list(tokens) == []


def test_next_token_can_be_closed():
    tokens = next_token("a b c")
    assert next(tokens).text == "a"
    tokens.close()
    assert list(tokens) == []


def test_split_is_fixed_at_first_request_but_classification_is_not():
    tokens = next_token("a<=b")
    first = next(tokens)
    lexer.SPECIAL_TOKENS.append("=")
    assert first.text == "a"
    assert kinds(tokens) == [(lexer.BRACKETING, "<"), (lexer.SPECIAL, "="), (lexer.TEXT, "b")]
