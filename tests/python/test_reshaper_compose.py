import types

import pytest

import hostkit
import lexer
import reshaper
from fakes import Recorder
from reshaper import Reshape, apply_parser, parse_source


@pytest.fixture
def handed(monkeypatch):
    """What apply_parser hands to hostkit.presentable, passed on unchanged."""
    recorder = Recorder(result=lambda text: text)
    monkeypatch.setattr(hostkit, "presentable", recorder)
    return recorder


def compose(source, target, name):
    msg, keywords = parse_source(lexer.symbolizer(source, whitespace=False), name)
    assert msg == ""
    return apply_parser(lexer.symbolizer(target, whitespace=True), keywords)


# source, target, name, string handed to presentable, returned with the real
# tidier. The composition's cases are in the C++ tests (EndToEnd, Compose);
# these few show what the binding hands to the host's tidier and returns.
EXAMPLES = [
    ("a, b", "b a", "Smith, John H.", "John H .   Smith", "John H. Smith"),
    ("a - b", "(b) a", "Lee - Notes", "Notes )   Lee", "(Notes) Lee"),
    ("a - b", "-x-", "Lee - Notes", "x", "-x-"),
]


@pytest.mark.parametrize("source, target, name, given, _", EXAMPLES)
def test_string_handed_to_presentable(handed, source, target, name, given, _):
    compose(source, target, name)
    assert handed.calls == [(given,)]


@pytest.mark.parametrize("source, target, name, _, result", EXAMPLES)
def test_composed_names(source, target, name, _, result):
    assert compose(source, target, name) == result


def test_the_help_text_examples():
    assert compose("a - b", "b - a", "Douglas Adams - The Hitchhiker's Guide to the Galaxy") == (
        "The Hitchhiker's Guide to the Galaxy - Douglas Adams")
    assert compose("title (series) - author", "author ~ [series] title",
                   "Mostly Harmless (Hitchhiker #5) - Douglas Adams") == (
        "Douglas Adams ~ [Hitchhiker #5] Mostly Harmless")


def test_callers_list_and_map_are_not_changed():
    target = ["-", "b", " ", "a", "."]
    keywords = {"a": "x", "b": "y"}
    assert apply_parser(target, keywords) == "-y x."
    assert target == ["-", "b", " ", "a", "."] and keywords == {"a": "x", "b": "y"}


def test_debug_line(debug_lines):
    apply_parser(["a"], {"a": "x"})
    assert debug_lines.calls == [("keywords:", {"a": "x"})]


@pytest.mark.parametrize("call, argument", [
    (lambda: apply_parser(None, {}), "target_symbols"),
    (lambda: apply_parser(("a",), {}), "target_symbols"),
    (lambda: apply_parser([], None), "keywords"),
    (lambda: apply_parser([], [("a", "x")]), "keywords"),
])
def test_argument_types(call, argument):
    with pytest.raises(TypeError, match=f"'{argument}'"):
        call()


def test_a_tidier_that_returns_no_string_fails(monkeypatch):
    monkeypatch.setattr(hostkit, "presentable", lambda text: None)
    with pytest.raises(TypeError):
        apply_parser(["a"], {"a": "x"})


def config(source="a - b", target="b - a", reversed_names=False):
    return types.SimpleNamespace(source_format=source, target_format=target,
                                 reversed_names=reversed_names)


def test_reshape_reads_the_formats_once():
    cfg = config()
    reshape = Reshape(cfg)
    assert reshape.cfg is cfg
    assert reshape.source_symbols == ["a", "-", "b"]
    assert reshape.target_symbols == ["b", " ", "-", " ", "a"]
    assert reshape.reversed_names is False
    cfg.target_format = "a"
    assert reshape.run("Lee - Notes") == "Notes - Lee"
    assert Reshape(cfg=cfg).run("Lee - Notes") == "Lee"


@pytest.mark.parametrize("source, target, name, result", [
    ("a - b", "b - a", "Lee - Notes", "Notes - Lee"),
    ("a - b", "b - a", "Notes", "- Notes"),
    ("title (series) - author", "author title", "Report - Finance", "Report - Finance"),
    ("a - (b)", "b a", "x - y", "x - y"),
    ("name", "name", "Smith ,  John   H.", "Smith, John H."),
    ("a, b", "b a", "Smith, John H.", "John H. Smith"),
])
def test_run(source, target, name, result):
    assert Reshape(config(source, target)).run(name) == result


def test_run_debug_lines_of_a_fitting_name(debug_lines):
    Reshape(config()).run("Lee - Notes")
    assert debug_lines.calls == [
        ("reshape!! name:", "Lee - Notes"),
        (" source_symbols:", ["a", "-", "b"]),
        ("  text_symbols:", ["Lee", "-", "Notes"]),
        ("keywords:", {"a": "Lee", "b": "Notes"}),
        ("** msg: '', keywords: {'a': 'Lee', 'b': 'Notes'}",),
        ("keywords:", {"a": "Lee", "b": "Notes"}),
        ("1. newname made for Lee - Notes: Notes - Lee",),
        ("2. newname made for Lee - Notes: Notes - Lee",),
        ("Reshape wil change 'Lee - Notes' to 'Notes - Lee'",),
    ]


def test_run_debug_lines_of_a_missing_bracket(debug_lines):
    Reshape(config("a - (b)", "b a")).run("x - y")
    msg = "Expected opening bracket '(' was not found in text"
    assert debug_lines.calls[-5:] == [
        (f"** msg: '{msg}', keywords: {{'a': 'x'}}",),
        (f"Error on 'x - y': {msg}",),
        ("2. newname made for x - y: x - y",),
        (f"can't create newname for: 'x - y' - {msg}",),
        ("Reshape wil change 'x - y' to 'x - y'",),
    ]


def test_run_debug_lines_of_an_index_error(debug_lines):
    Reshape(config("title (series) - author", "author")).run("Report - Finance")
    assert debug_lines.calls[-2:] == [
        ("can't create newname for: 'Report - Finance' - list index out of range",),
        ("Reshape wil change 'Report - Finance' to 'Report - Finance'",),
    ]


def test_a_failing_tidier_keeps_the_old_name(monkeypatch, debug_lines):
    def broken(text):
        raise RuntimeError("tidier broke")

    monkeypatch.setattr(hostkit, "presentable", broken)
    assert Reshape(config()).run("Lee - Notes") == "Lee - Notes"
    assert ("can't create newname for: 'Lee - Notes' - tidier broke",) in debug_lines.calls
    assert debug_lines.calls[-1] == ("Reshape wil change 'Lee - Notes' to 'Lee - Notes'",)


def test_interrupts_are_not_caught(monkeypatch):
    def interrupted(text):
        raise KeyboardInterrupt

    monkeypatch.setattr(hostkit, "presentable", interrupted)
    with pytest.raises(KeyboardInterrupt):
        Reshape(config()).run("Lee - Notes")


def test_a_failing_debug_printer_travels_out(monkeypatch):
    def broken(*args):
        raise RuntimeError("printer broke")

    monkeypatch.setattr(reshaper, "dprint", broken)
    with pytest.raises(RuntimeError, match="printer broke"):
        Reshape(config()).run("Lee - Notes")


@pytest.mark.parametrize("bad", [None, 5, b"Lee - Notes"])
def test_run_wants_a_string_before_any_debug_line(debug_lines, bad):
    with pytest.raises(TypeError, match="'name'"):
        Reshape(config()).run(bad)
    assert debug_lines.calls == []


def test_module_functions_are_looked_up_by_run(monkeypatch):
    monkeypatch.setattr(reshaper, "parse_source", lambda s, n: ("", {"a": "P", "b": "Q"}))
    monkeypatch.setattr(reshaper, "apply_parser", lambda t, k: k["b"] + k["a"])
    assert Reshape(config()).run("anything") == "QP"


def test_a_replacement_returning_garbage_keeps_the_old_name(monkeypatch):
    monkeypatch.setattr(reshaper, "parse_source", lambda s, n: None)
    assert Reshape(config()).run("Lee - Notes") == "Lee - Notes"


def test_subclass_name_in_the_debug_line(debug_lines):
    class Mine(Reshape):
        pass

    Mine(config()).run("Lee - Notes")
    assert debug_lines.calls[-1] == ("Mine wil change 'Lee - Notes' to 'Notes - Lee'",)


@pytest.mark.parametrize("source, target, message, printed", [
    ("a - b", "b - a", "", ""),
    ("a - b", "x", "", ""),
    ("a - b", "", "You must specify bith the source and the target formats",
     "validate source: a - b, target: \n"),
    ("", "", "You must specify bith the source and the target formats",
     "validate source: , target: \n"),
])
def test_validate_reads_the_configuration_now(capsys, source, target, message, printed):
    cfg = config()
    reshape = Reshape(cfg)
    cfg.source_format, cfg.target_format = source, target
    assert reshape.validate() == message
    assert capsys.readouterr().out == printed


def test_construction_arguments():
    with pytest.raises(TypeError):
        Reshape()
    with pytest.raises(TypeError):
        Reshape(config(), config())


@pytest.mark.parametrize("source, target", [
    ("a - b", "b - a"), ("a, b", "b a"), ("title (series) - author", "author ~ [series] title"),
    ("a - (b)", "b a"), ("a (b)", "(b) a."), ("name", "name"), ("a b", "b a"), ("-a", "a"),
])
@pytest.mark.parametrize("name", [
    "Lee - Notes", "Smith, John H.", "Report (Issue 2) - Finance", "Report - Finance", "x - y",
    "x (y (z) w)", "", "   ", "caf\u00e9 - na\u00efve", "a<=b - c", "Notes",
])
def test_quiet_runs_give_what_the_traced_path_gives(monkeypatch, source, target, name):
    """Without anyone listening, run takes a native shortcut; it must agree."""
    reshape = Reshape(config(source, target))
    quiet = reshape.run(name)
    monkeypatch.setattr(reshaper, "dprint", lambda *args: None)  # now the traced path
    assert reshape.run(name) == quiet


@pytest.mark.parametrize("change", ["special", "brackets"])
def test_the_shortcut_sees_the_lexers_settings(monkeypatch, no_special_tokens, change):
    reshape = Reshape(config("a [b]", "b - a"))
    name = "x [y]<=z" if change == "special" else "x (y)"
    before = reshape.run(name)
    if change == "special":
        lexer.SPECIAL_TOKENS.append("]<=")
    else:
        monkeypatch.setattr(lexer, "OPEN_BRACKETS", "(")
        monkeypatch.setattr(lexer, "CLOSE_BRACKETS", ")")
    quiet = reshape.run(name)
    assert quiet != before
    monkeypatch.setattr(reshaper, "dprint", lambda *args: None)
    assert reshape.run(name) == quiet
