import re
import sys

import pytest

import hostkit
import nametidy


# The tidier's cases are in the C++ tests (Presentable.Tidies); these few
# show the host's name for it at work.
@pytest.mark.parametrize("composed, tidy", [
    ("John H .   Smith", "John H. Smith"),
    ("Finance   ~   [ Issue 2 ]   Report", "Finance ~ [Issue 2] Report"),
    (" \t\n ", ""),
])
def test_presentable(composed, tidy):
    assert hostkit.presentable(composed) == tidy


@pytest.mark.parametrize("name", ["Smith - Quarterly Report", "caf\u00e9 \u00a0bar"])
def test_presentable_leaves_tidy_names_alone(name):
    assert hostkit.presentable(name) == name


def test_presentable_is_the_native_function():
    assert hostkit.presentable is nametidy.presentable
    assert nametidy._natives["presentable"] is nametidy.presentable


@pytest.mark.parametrize("bad", [None, 3, b"x", ["x"]])
def test_presentable_wants_a_string(bad):
    with pytest.raises(TypeError, match="'text' must be str"):
        hostkit.presentable(bad)


def test_dprint_is_silent_without_the_variable(monkeypatch, capsys):
    monkeypatch.delenv(hostkit.DEBUG_VARIABLE, raising=False)
    hostkit.dprint("label:", [1, 2])
    assert capsys.readouterr() == ("", "")


@pytest.mark.parametrize("args, line", [
    (("just a message",), "just a message"),
    (("keywords:", {"a": "x"}), "keywords: {'a': 'x'}"),
    (("source_format:", "a - b"), "source_format: a - b"),
    (("symbols:", ["a", "-"]), "symbols: ['a', '-']"),
    (("count:", 3), "count: 3"),
    (("value:", None), "value: None"),
])
def test_dprint_writes_one_line_to_stderr(monkeypatch, capsys, args, line):
    monkeypatch.setenv(hostkit.DEBUG_VARIABLE, "1")
    hostkit.dprint(*args)
    assert capsys.readouterr() == ("", line + "\n")


@pytest.mark.parametrize("items, shown", [
    ([], ""),
    (["a"], "'a'"),
    (["a", "b"], "'a' and 'b'"),
    (["a", "b", "c"], "'a', 'b' and 'c'"),
])
def test_andlist(items, shown):
    assert hostkit.andlist(items, quote="'") == shown


def test_andlist_without_quote():
    assert hostkit.andlist(["x", "y"]) == "x and y"


@pytest.mark.parametrize("argv0, name", [
    ("/usr/local/bin/reshaper", "reshaper"),
    ("tool.py", "tool.py"),
    ("-c", "reshaper"),
    ("", "reshaper"),
])
def test_scriptname(monkeypatch, argv0, name):
    monkeypatch.setattr(sys, "argv", [argv0])
    assert hostkit.scriptname() == name


def test_dashes_are_safe_inside_a_character_class():
    pattern = re.compile("[x" + hostkit.DASHES + "]")
    assert all(pattern.fullmatch(c) for c in hostkit.DASHES)
    assert not pattern.fullmatch("-") and not pattern.fullmatch("y")
    assert hostkit.LONG_DASH in hostkit.DASHES


def test_dprint_is_the_native_printer(monkeypatch):
    import debugline
    assert hostkit.dprint is debugline.dprint
    monkeypatch.delenv(hostkit.DEBUG_VARIABLE, raising=False)
    assert debugline.enabled() is False
    monkeypatch.setenv(hostkit.DEBUG_VARIABLE, "")
    assert debugline.enabled() is False
    monkeypatch.setenv(hostkit.DEBUG_VARIABLE, "yes")
    assert debugline.enabled() is True
