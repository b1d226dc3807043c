import pytest

import lexer
from lexer import Token

pytestmark = pytest.mark.usefixtures("no_special_tokens")


def test_constants():
    assert lexer.__version__ == "1.0"
    assert lexer.debug is False
    assert lexer.OPEN_BRACKETS == "([{<"
    assert lexer.CLOSE_BRACKETS == ")]}>"
    assert lexer.BRACKETS == "([{<)]}>"
    assert lexer.TOKTYPES == (0, 100, 101, 102, 103, 104, 105)
    names = ["UNDEFINED", "WHITESPACE", "SPECIAL", "BRACKETING", "PUNCTUATION", "NEWLINE", "TEXT"]
    assert [getattr(lexer, n) for n in names] == list(lexer.TOKTYPES)
    assert lexer.TOKNAMES == dict(zip(lexer.TOKTYPES, names))
    assert lexer.SPECIAL_TOKENS == []


def test_dprint_is_bound_from_hostkit():
    import hostkit
    assert lexer.dprint is hostkit.dprint


@pytest.mark.parametrize("text, expected", [
    ("Smith", lexer.TEXT), (" ", lexer.WHITESPACE), (" \t ", lexer.WHITESPACE),
    ("\n", lexer.NEWLINE), ("\n\n", lexer.WHITESPACE), ("(", lexer.BRACKETING),
    (">", lexer.BRACKETING), (",", lexer.PUNCTUATION), ("-", lexer.PUNCTUATION),
    ("", lexer.BRACKETING), ("([", lexer.BRACKETING), ("()", lexer.PUNCTUATION),
    ("--", lexer.UNDEFINED), ("a b", lexer.UNDEFINED), ("H.", lexer.UNDEFINED),
    ("1999", lexer.TEXT), ("\u2013", lexer.TEXT), ("a\u00a0b", lexer.TEXT),
])
def test_classification(text, expected):
    token = Token(text)
    assert token.toktype == expected
    assert token.text is text


def test_special_tokens_are_read_at_each_creation():
    assert Token("<=").toktype == lexer.PUNCTUATION  # a run of the punctuation string
    lexer.SPECIAL_TOKENS.append("<=")
    assert Token("<=").toktype == lexer.SPECIAL
    assert Token("<").toktype == lexer.BRACKETING


def test_explicit_type_stands_and_zero_classifies():
    assert Token("x", lexer.PUNCTUATION).toktype == lexer.PUNCTUATION
    assert Token(text="x", toktype=0).toktype == lexer.TEXT
    assert Token("x", toktype=lexer.NEWLINE).toktype == lexer.NEWLINE


@pytest.mark.parametrize("args, error, message", [
    (("x", 7), ValueError, "Unrecognized token type"),
    (("x", 1), ValueError, "Unrecognized token type"),
    (("x", 99), ValueError, "Unrecognized token type"),
    ((5,), TypeError, "'text' must be str"),
    ((None,), TypeError, "'text' must be str"),
    ((b"x",), TypeError, "'text' must be str"),
    (("x", 1.0), TypeError, "integer"),
    (("x", "100"), TypeError, "integer"),
    (("x", 2 ** 31), OverflowError, ""),
    (("x", -2 ** 31 - 1), OverflowError, ""),
])
def test_construction_errors(args, error, message):
    with pytest.raises(error, match=message):
        Token(*args)


def test_argument_errors():
    with pytest.raises(TypeError):
        Token("x", 0, 0)
    with pytest.raises(TypeError):
        Token("x", kind=0)


@pytest.mark.parametrize("token, shown", [
    (Token("Smith"), "<Token 'Smith' (5), TEXT>"),
    (Token("\n"), "<Token '\\n' (1), NEWLINE>"),
    (Token("  "), "<Token '  ' (2), WHITESPACE>"),
    (Token("\u00e9"), "<Token '\u00e9' (1), TEXT>"),
    (Token("\n", lexer.WHITESPACE), "<Token '\n' (1), WHITESPACE>"),
    (Token("x", lexer.NEWLINE), "<Token '\\n' (1), NEWLINE>"),
])
def test_repr(token, shown):
    assert repr(token) == shown


def test_str_is_the_text():
    assert str(Token("a b")) == "a b"


def test_attributes_are_plain_and_writable():
    token = Token("x")
    token.text = "(("
    token.toktype = lexer.BRACKETING
    assert (token.text, token.toktype) == ("((", lexer.BRACKETING)
    token.toktype = 42
    with pytest.raises(KeyError):
        repr(token)


def test_equality():
    assert Token("(") == Token("(")
    assert not (Token("(") != Token("("))
    assert Token("x", lexer.TEXT) != Token("x", lexer.PUNCTUATION)
    assert Token("x") != Token("y")


def test_equality_with_objects_lacking_the_attributes():
    class TypeOnly:
        toktype = lexer.TEXT

    class Lookalike:
        toktype = lexer.TEXT
        text = "x"

    with pytest.raises(AttributeError):
        Token("x") == "x"
    with pytest.raises(AttributeError):
        Token("x") == TypeOnly()
    assert (Token("x", lexer.PUNCTUATION) == TypeOnly()) is False
    assert Token("x") == Lookalike()


def test_tokens_are_unhashable():
    assert Token.__hash__ is None
    with pytest.raises(TypeError):
        {Token("x")}

