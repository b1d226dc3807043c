import re

import pytest

import hostkit
import textsplit
import years
from fakes import Recorder


def test_constants():
    assert years.__version__ == "1.0" and years.debug is False
    assert years.dprint is hostkit.dprint
    assert years.NOT_LETTERS == "0123456789!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ "
    assert years.PUNCT_IN_SET == "!#%&,-/:;=@`$*+^|." + hostkit.DASHES
    s = years.PUNCT_IN_SET
    assert years.YEAR_ENTIRE == r"^\s*(\d{4})\s*$"
    assert years.YEAR_PAREN == r"\(\s*(\d{4})\s*\)"
    assert years.YEAR_PUNCT == "(?<=[" + s + r"])\s*\d{4}\s*[" + s + "]"
    assert years.YEAR_START == r"^\s*(\d{4})\s*[" + s + "]"
    assert years.YEAR_END == "[" + s + r"]\s*(\d{4})\s*$"
    assert years.YEAR_PATTERN == "|".join([years.YEAR_PUNCT, years.YEAR_END, years.YEAR_START,
                                           years.YEAR_ENTIRE])
    assert years.SECOND_YEAR_DELIMITER_LIST == [" and ", "or", ",-:;&" + hostkit.LONG_DASH]


def test_delimiter_class_holds_exactly_its_characters():
    members = {chr(c) for c in range(0x3000) if re.fullmatch("[" + years.PUNCT_IN_SET + "]",
                                                              chr(c))}
    assert members == set("!#%&,-/:;=@`$*+^|.") | set(hostkit.DASHES)
    re.compile(years.YEAR_PATTERN)


def test_chunk_class():
    assert issubclass(years.Chunk, textsplit.Chunk)
    assert years.Chunk.__doc__.strip() == "add the year earch to this object"
    assert years.Chunk.__doc__.startswith("\n")


@pytest.fixture
def raw(monkeypatch):
    """Years as the search cuts them, before the tidier."""
    monkeypatch.setattr(hostkit, "presentable", lambda text: text)


@pytest.mark.parametrize("text, found, start, finish", [
    ("1999", "1999", 0, 4),
    ("1999-2001", "1999-2001", 0, 9),
    ("1999, 2001", "1999, 2001", 0, 10),
    ("1999 - Title", "1999 -", 0, 6),
    ("Title - 1999", "- 1999", 6, 12),
    ("Title 1999-2001", "-2001", 10, 15),
    ("Title - 1999-2001", " 1999-2001", 7, 17),
    ("Title, 1999, x", " 1999,", 6, 12),
    ("a,1999,2000,b", "1999,2000,", 2, 12),
    ("Title.1999.Extra", "1999.", 6, 11),
    ("1999 Title", "", 10, 10),
    ("Title (1999)", "", 12, 12),
    ("1999 and 2001", "", 13, 13),
    ("x1999", "", 5, 5),
    ("12345", "", 5, 5),
    ("1999-\t2001", "", 10, 10),
    ("", "", 0, 0),
    ("A-19999-B", "", 9, 9),
    ("Title - 1999x", "", 13, 13),
    ("Title 1999", "", 10, 10),
    ("Title 1999-2001 x", "", 17, 17),
    ("\u0661\u0662\u0663\u0664", "", 4, 4),
    ("\u0661\u0662\u0663\u0664 - x", "", 8, 8),
    ("a - \u0661\u0662\u0663\u0664 - b", " \u0661\u0662\u0663\u0664 -", 3, 10),
    ("Title - 1999\n", "", 13, 13),
    ("1999,x1999", "1999,", 0, 5),  # the later piece is no year: the run ends
])
def test_chunk_search(raw, text, found, start, finish):
    assert years.Chunk(text).find_years() == (found, start, finish)


def test_chunk_search_is_tidied():
    assert years.Chunk("Title - 1999-2001").find_years() == ("1999-2001", 7, 17)


def test_debug_switch_is_off_during_the_search_and_restored(monkeypatch):
    seen = []
    monkeypatch.setattr(years, "dprint", lambda *args: seen.append(years.debug))
    years.debug = "on"
    try:
        years.Chunk("Title - 1999").find_years()
        assert seen and not any(seen)
        assert years.debug == "on"
    finally:
        years.debug = False


@pytest.mark.parametrize("failure", [RuntimeError("printer broke"), KeyboardInterrupt()])
def test_debug_switch_is_restored_when_the_search_fails(monkeypatch, failure):
    def broken(*args):
        raise failure

    monkeypatch.setattr(years, "dprint", broken)
    monkeypatch.setattr(years, "debug", "on")
    with pytest.raises(type(failure)):
        years.Chunk("Title - 1999").find_years()
    assert years.debug == "on"


def test_debug_lines_of_a_search(monkeypatch, raw):
    lines = Recorder()
    monkeypatch.setattr(years, "dprint", lines)
    years.Chunk("1999-2001").find_years()
    labels = [call[0] for call in lines.calls]
    assert labels[:7] == ["match:", "found a good year, so updating and continuing", "matched:",
                          "finish now:", "subsequent match:", "match:",
                          "found a good year, so updating and continuing"]
    assert labels[-3:] == ["year: '2001', start: 0, finish: 9", "years:",
                           "returning with year: '2001', start: 0, finish: 9, years: '1999-2001'"]
    assert lines.calls[3] == ("finish now:", 5)


def chunks_of(texts):
    """A chunker that hands out the given (text, lentochunk, prefix) and counts the requests."""
    taken = []

    def chunker(chunkclass, text):
        for entry in texts:
            taken.append(entry)
            yield chunkclass(*entry)
    return chunker, taken


@pytest.mark.parametrize("chunk, start, finish", [
    (("1999", 6, "-"), 7, 11),
    (("1999-x", 6, "-"), 7, 11),
    (("1999", 0, ""), 0, 4),
    (("x - 1999", 3, ""), 5, 11),
])
def test_positions_in_the_whole_name(monkeypatch, raw, chunk, start, finish):
    chunker, _ = chunks_of([chunk])
    monkeypatch.setattr(textsplit, "chunker", chunker)
    name = "abcdefghijklmnop"
    found, got_start, got_finish = years.find_years(name)
    assert (got_start, got_finish) == (start, finish)
    assert found == name[start:finish]


def test_the_loop_stops_at_the_first_chunk_with_years(monkeypatch, raw):
    chunker, taken = chunks_of([("Title", 0, ""), ("1999", 6, "-"), ("2001", 11, "-")])
    monkeypatch.setattr(textsplit, "chunker", chunker)
    found, start, finish = years.find_years("Title-1999-2001")
    assert len(taken) == 2 and (start, finish) == (7, 11)


def test_no_chunks(monkeypatch):
    monkeypatch.setattr(textsplit, "chunker", lambda cls, text: [])
    assert years.find_years("abc") == ("", 3, 3)


@pytest.mark.parametrize("name, year, rest", [
    ("Title - 1999", "- 1999", "Title"),
    ("Guards! Guards! - 1989 - Pratchett", "- 1989", "Guards! Guards! - Pratchett"),
    ("Report (1999) x", "1999", "Report () x"),
    ("plain  name", "", "plain  name"),
    ("", "", ""),
])
def test_extract_year(name, year, rest):
    assert years.extract_year(name) == (year, rest)


def test_extract_year_puts_one_space_and_tidies(monkeypatch):
    given = Recorder(result=lambda text: text)
    monkeypatch.setattr(hostkit, "presentable", given)
    assert years.extract_year("a,1999,b") == ("1999,", "a, b")
    assert given.calls[-1] == ("a, b",)


@pytest.mark.parametrize("call", [
    lambda: years.find_years(None),
    lambda: years.extract_year(5),
    lambda: years.Chunk(5).find_years(),
])
def test_text_must_be_a_string(call):
    with pytest.raises(TypeError):
        call()


def test_a_search_result_of_the_wrong_shape(monkeypatch):
    monkeypatch.setattr(years.Chunk, "find_years", lambda self: ("1999", 0))
    with pytest.raises(ValueError, match=r"not enough values to unpack \(expected 3, got 2\)"):
        years.find_years("1999")


@pytest.mark.parametrize("result, message", [
    ((5, 0, 4), "Expected str, got int"),
    (("x", "0", 4), "integer"),
])
def test_extract_year_checks_what_it_gets(monkeypatch, result, message):
    monkeypatch.setattr(years, "find_years", lambda text: result)
    with pytest.raises(TypeError, match=message):
        years.extract_year("1999")


def test_extract_year_needs_a_string_back(monkeypatch):
    monkeypatch.setattr(years, "find_years", lambda text: ("1999", 8, 12))
    monkeypatch.setattr(hostkit, "presentable", lambda text: 42)
    with pytest.raises(TypeError, match="Expected str, got int"):
        years.extract_year("Title - 1999")


def test_none_as_year_is_accepted(monkeypatch):
    monkeypatch.setattr(years, "find_years", lambda text: (None, 3, 3))
    assert years.extract_year("abc") == (None, "abc")
