import cProfile

import wx

import hostkit
import reshaper


def test_import_time_set_up_in_order():
    expected = ["__version__", "os", "sys", "string", "Self", "Tuple", "wx", "hostkit",
                "prefstore", "lexer", "app", "basewindow", "choices", "debug", "dprint",
                "PROFILING", "cProfile", "ReshapePanel", "find_closing_bracket", "_parse_source",
                "parse_source", "apply_parser", "Reshape", "Reshaper"]
    names = [n for n in vars(reshaper) if n in expected]
    assert names == expected


def test_constants():
    assert reshaper.__version__ == "1.1"
    assert reshaper.debug is False
    assert reshaper.PROFILING is True
    assert reshaper.cProfile is cProfile
    assert reshaper.dprint is hostkit.dprint
    assert isinstance(reshaper.app, wx.App)


def test_declared_annotations_are_documented():
    assert "-> Tuple(str, dict[str, list[str]])" in reshaper._parse_source.__doc__
    assert "-> Tuple(str, dict[str, str])" in reshaper.parse_source.__doc__
    assert "target_symbols: list[str], keywords: dict[str, list[str]]) -> str" in (
        reshaper.apply_parser.__doc__)
