"""Reshape.run looks up every global of its chain at each call, and what it
keeps from one name to the next (the lexer's strings, the formats' symbol
lists made into code points) must never go stale: each change below shows
in the very next run, exactly as the traced path (taken while a debug
printer listens) gives it."""

import types

import pytest

import lexer
import reshaper
from reshaper import Reshape


def reshape_of(source):
    return Reshape(types.SimpleNamespace(source_format=source, target_format="b - a",
                                         reversed_names=False))


class Word(str):
    pass


def nothing(reshape, monkeypatch):
    pass


def replace_in_place(items, index, value):
    def change(reshape, monkeypatch):
        items(reshape)[index] = value
    return change


def set_global(holder, name, value):
    def change(reshape, monkeypatch):
        monkeypatch.setattr(holder, name, value)
    return change


def lexer_without(name):
    """The lexer as another module object lacking `name` (deleting from the
    lexer itself would put its names out of order once put back)."""
    def change(reshape, monkeypatch):
        copy = types.ModuleType("lexer")
        copy.__dict__.update((key, value) for key, value in vars(lexer).items() if key != name)
        monkeypatch.setattr(reshaper, "lexer", copy)
    return change


def source_of(reshape):
    return reshape.source_symbols


def target_of(reshape):
    return reshape.target_symbols


def special_tokens(reshape):
    return lexer.SPECIAL_TOKENS


def add_special(reshape, monkeypatch):
    lexer.SPECIAL_TOKENS.append("x")


def grow_target(reshape, monkeypatch):
    reshape.target_symbols.append("!")


def replace_source(reshape, monkeypatch):
    reshape.source_symbols = ["a", ",", "b"]


def delete_source(reshape, monkeypatch):
    del reshape.source_symbols


def add_number(reshape, monkeypatch):
    reshape.source_symbols.append(5)


def lexer_as_namespace(reshape, monkeypatch):
    monkeypatch.setattr(reshaper, "lexer", types.SimpleNamespace(**vars(lexer)))


# label, source format, name, what is done before the first run, the change
# after it, the name the next run gives
CHANGES = [
    ("SourceItemReplaced", "a - b", "Lee, Ann - Notes", nothing,
     replace_in_place(source_of, 1, ","), "Ann - Notes - Lee"),
    ("SourceListReplaced", "a - b", "Lee, Ann - Notes", nothing, replace_source, "Ann - Notes - Lee"),
    ("TargetGrownInPlace", "a - b", "Lee, Ann - Notes", nothing, grow_target, "Notes - Lee, Ann!"),
    ("TargetItemAnEqualString", "a - b", "Lee, Ann - Notes", nothing,
     replace_in_place(target_of, 0, "".join(["b"])), "Notes - Lee, Ann"),
    ("TargetItemAStrSubclass", "a - b", "Lee, Ann - Notes", nothing,
     replace_in_place(target_of, 0, Word("b")), "Notes - Lee, Ann"),
    ("SourceHoldsANumber", "a - b", "Lee, Ann - Notes", nothing, add_number, "Lee, Ann - Notes"),
    ("SourceDeleted", "a - b", "Lee, Ann - Notes", nothing, delete_source, "Lee, Ann - Notes"),
    ("SpecialReplacedInPlace", "a - b", "Lee - Ann - Notes", add_special,
     replace_in_place(special_tokens, 0, "- Ann"), "Notes - Lee - Ann"),
    ("SpecialsATuple", "a - b", "Lee - Ann - Notes", nothing,
     set_global(lexer, "SPECIAL_TOKENS", ("- Ann",)), "Notes - Lee - Ann"),
    ("SpecialsNotIterable", "a - b", "Lee - Ann - Notes", nothing,
     set_global(lexer, "SPECIAL_TOKENS", 5), "Lee - Ann - Notes"),
    ("OpeningBracketsAnEqualString", "a (b)", "x (y)", nothing,
     set_global(lexer, "OPEN_BRACKETS", "".join(["([{<"])), "y - x"),
    ("OpeningBracketsNoString", "a (b)", "x (y)", nothing,
     set_global(lexer, "OPEN_BRACKETS", list("([{<")), "x (y)"),
    ("LexerWithoutClosingBrackets", "a (b)", "x (y)", nothing, lexer_without("CLOSE_BRACKETS"), "x (y)"),
    ("LexerWithoutSpecialTokens", "a - b", "Lee, Ann - Notes", nothing, lexer_without("SPECIAL_TOKENS"),
     "Lee, Ann - Notes"),
    ("LexerACopy", "a - b", "Lee, Ann - Notes", nothing, lexer_without(None), "Notes - Lee, Ann"),
    ("ParseSourceNoFunction", "a - b", "Lee, Ann - Notes", nothing,
     set_global(reshaper, "parse_source", None), "Lee, Ann - Notes"),
    ("LexerANamespace", "a - b", "Lee, Ann - Notes", nothing, lexer_as_namespace, "Notes - Lee, Ann"),
]


@pytest.mark.parametrize("source, name, prepare, change, result",
                         [case[1:] for case in CHANGES], ids=[case[0] for case in CHANGES])
def test_a_change_shows_in_the_next_run(no_special_tokens, monkeypatch, source, name, prepare, change,
                                        result):
    # The fixtures in this order: the lexer's own list is put back after
    # monkeypatch has undone any rebinding of it.
    reshape = reshape_of(source)
    prepare(reshape, monkeypatch)
    reshape.run(name)  # whatever is kept from it
    change(reshape, monkeypatch)
    assert reshape.run(name) == result
    monkeypatch.setattr(reshaper, "dprint", lambda *args: None)  # now the traced path
    assert reshape.run(name) == result


def test_the_debug_switch_is_read_at_each_run(monkeypatch, capsys):
    reshape = reshape_of("a - b")
    assert reshape.run("Lee - Notes") == "Notes - Lee"
    assert capsys.readouterr().err == ""
    monkeypatch.setenv("RESHAPER_DEBUG", "1")
    assert reshape.run("Lee - Notes") == "Notes - Lee"
    lines = capsys.readouterr().err.splitlines()
    assert lines[0] == "reshape!! name: Lee - Notes"
    assert lines[-1] == "Reshape wil change 'Lee - Notes' to 'Notes - Lee'"


def test_two_transformers_in_turn_keep_their_own_formats():
    swap, comma = reshape_of("a - b"), reshape_of("a, b")
    for _ in range(2):
        assert swap.run("Lee, Ann - Notes") == "Notes - Lee, Ann"
        assert comma.run("Lee, Ann - Notes") == "Ann - Notes - Lee"


def test_a_run_from_within_a_run_leaves_the_outer_one_alone(no_special_tokens):
    """A special token whose length is taken runs host code, which may call
    run again, on other formats and another name."""
    inner = reshape_of("a, b")
    inner_names = []
    started = []

    class Runs:
        def __len__(self):
            if not started:  # once: the inner run meets this token too
                started.append(True)
                inner_names.append(inner.run("Smith, John - Other"))
            return 1

    outer = reshape_of("a - b")
    assert outer.run("Lee, Ann - Notes") == "Notes - Lee, Ann"
    lexer.SPECIAL_TOKENS.append(Runs())
    assert outer.run("Lee, Ann - Notes") == "Notes - Lee, Ann"
    assert inner_names == ["John - Other - Smith"]


@pytest.mark.parametrize("call", [
    lambda reshape: reshape.run("Lee - Notes"),
    lambda reshape: reshape.run(name="Lee - Notes"),
    lambda reshape: Reshape.run(reshape, "Lee - Notes"),
    lambda reshape: Reshape.run(reshape, name="Lee - Notes"),
], ids=["ByPosition", "ByName", "FromTheClass", "FromTheClassByName"])
def test_every_form_of_the_call_gives_the_name(call):
    assert call(reshape_of("a - b")) == "Notes - Lee"


@pytest.mark.parametrize("call, message", [
    (lambda reshape: reshape.run(), None),
    (lambda reshape: reshape.run("Lee - Notes", "again"), None),
    (lambda reshape: reshape.run(title="Lee - Notes"), None),
    (lambda reshape: reshape.run(Word("Lee - Notes")), "'name'"),
], ids=["NoName", "TwoNames", "UnknownKeyword", "StrSubclass"])
def test_a_wrong_call_is_a_type_error(call, message):
    with pytest.raises(TypeError, match=message):
        call(reshape_of("a - b"))


def test_an_interrupt_while_reading_the_formats_goes_on():
    class Interrupted(Reshape):
        @property
        def source_symbols(self):
            raise KeyboardInterrupt

        @source_symbols.setter
        def source_symbols(self, value):
            pass

    reshape = Interrupted(types.SimpleNamespace(source_format="a - b", target_format="b - a",
                                                reversed_names=False))
    with pytest.raises(KeyboardInterrupt):
        reshape.run("Lee - Notes")
