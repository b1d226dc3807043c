"""The window's preview: names that do not fit are left alone and marked,
the renames Execute would refuse are flagged before it, parts keep their
spelling as the command gives them, and the proposals follow the formats
while they are typed, on the same rows."""

import pytest
import wx

import fileitem
import skins
from disktree import make, moved, snapshot
from rows import click
from test_application import Confirming, FakeMessageDialog, open_on, window  # noqa: F401
from test_reshape_command import SPELLING, json_lines, reshape

MISFIT = "does not fit 'a - b'"
LIBRARY = ["Lee - Notes.txt", "Smith - Report.txt", "Notes without a delimiter.txt", "Notes.txt",
           "Hitchhiker/", "Hitchhiker/Adams - Mostly Harmless.epub"]


def by_name():
    return {row.name: row for row in fileitem.nodes.values()}


def proposals():
    return {row.name: (row.proposed.GetValue(), row.tick.GetValue()) for row in by_name().values()}


def tooltip(widget):
    tip = widget.GetToolTip()
    return tip.GetTip() if tip else ""


def marks():
    """{name: (reason on the proposal, on the checkbox)} of the rows with a reason."""
    return {name: (tooltip(row.proposed), tooltip(row.checkbox))
            for name, row in by_name().items() if tooltip(row.proposed) or tooltip(row.checkbox)}


def status(frame):
    return frame.GetStatusBar().GetStatusText()


@pytest.fixture
def library(tmp_path):
    folder = tmp_path / "library"
    make(folder, LIBRARY)
    return folder


def test_names_that_do_not_fit_are_shown_unchanged_and_marked(window, library):
    open_on(window, library)
    assert proposals() == {
        "Hitchhiker": ("Hitchhiker", " "),
        "Adams - Mostly Harmless.epub": ("Mostly Harmless - Adams.epub", "\u221a"),
        "Lee - Notes.txt": ("Notes - Lee.txt", "\u221a"),
        "Notes without a delimiter.txt": ("Notes without a delimiter.txt", " "),
        "Notes.txt": ("Notes.txt", " "),
        "Smith - Report.txt": ("Report - Smith.txt", "\u221a")}
    assert marks() == {name: (MISFIT, MISFIT) for name in
                       ("Hitchhiker", "Notes without a delimiter.txt", "Notes.txt")}
    grey = skins.THEME.tree.misfit_foreground
    assert [name for name, row in by_name().items()
            if row.proposed.GetForegroundColour() == grey] == [
        "Hitchhiker", "Notes without a delimiter.txt", "Notes.txt"]


def test_select_all_and_execute_leave_them_alone(window, library):
    before = snapshot(library)
    frame = open_on(window, library)
    frame.select(wx.CHK_CHECKED)
    frame.execute()
    assert [(e["path"], e["status"]) for e in Confirming.listed()[-1]] == [
        ("Hitchhiker/Adams - Mostly Harmless.epub", "rename"), ("Lee - Notes.txt", "rename"),
        ("Smith - Report.txt", "rename")]
    assert snapshot(library) == moved(before, {
        "Hitchhiker/Adams - Mostly Harmless.epub": "Mostly Harmless - Adams.epub",
        "Lee - Notes.txt": "Notes - Lee.txt", "Smith - Report.txt": "Report - Smith.txt"})


def test_the_marks_survive_the_rows_own_formatting(window, library):
    frame = open_on(window, library)
    expected = marks()
    folder = by_name()["Hitchhiker"]
    folder.collapse()
    folder.expand()
    frame.select(wx.CHK_CHECKED)
    frame.select(wx.CHK_UNCHECKED)
    assert marks() == expected
    assert folder.proposed.GetForegroundColour() == skins.THEME.tree.misfit_foreground


def test_a_hand_edit_of_a_name_that_does_not_fit_lifts_its_mark(window, library):
    open_on(window, library)
    row = by_name()["Notes.txt"]
    row.proposed.SetValue("Plain notes.txt")
    assert (row.ticked, tooltip(row.proposed)) == (True, "")
    assert row.proposed.GetForegroundColour() == skins.THEME.tree.foreground


SAME = "another entry gets the same new name"
# hand edits of "Lee - Notes.txt", and the rows then refused with the reason
REFUSED_EDITS = [
    ("Report - Smith.txt", {"Lee - Notes.txt": SAME, "Smith - Report.txt": SAME}),
    ("Notes.txt", {"Lee - Notes.txt": "a file or folder of that name exists"}),  # not in the batch
    ("a/b.txt", {"Lee - Notes.txt": 'the new name holds a "/"'}),
    ("..", {"Lee - Notes.txt": 'the new name is ".."'}),
    ("x" * 300 + ".txt",
     {"Lee - Notes.txt": "the new name is longer than the file system allows (255 bytes)"}),
    (".Notes.txt", {"Lee - Notes.txt": "the new name would hide it behind a leading dot"}),
]


@pytest.mark.parametrize("edit, expected", REFUSED_EDITS)
def test_refusals_are_flagged_before_execute_and_never_reach_the_disk(window, library, edit,
                                                                       expected):
    before = snapshot(library)
    frame = open_on(window, library)
    frame.select(wx.CHK_CHECKED)
    rows = by_name()
    rows["Lee - Notes.txt"].proposed.SetValue(edit)
    wx.SafeYield()  # the check follows the edit once the row has ticked itself
    assert {name: tip for name, (tip, _) in marks().items() if tip != MISFIT} == expected
    refused = skins.THEME.tree.refused_foreground, skins.THEME.tree.refused_background
    for name in expected:
        assert (rows[name].proposed.GetForegroundColour(),
                rows[name].proposed.GetBackgroundColour()) == refused
        assert tooltip(rows[name].checkbox) == expected[name]
    assert status(frame) == f"{len(expected)} of 3 renames would be refused"
    frame.execute()
    listed = {e["path"]: (e["status"], e["reason"]) for e in Confirming.listed()[-1]}
    assert {path: reason for path, (state, reason) in listed.items() if state == "refused"} == (
        expected)
    done = {e["path"]: e["new"] for e in Confirming.listed()[-1] if e["status"] == "rename"}
    assert snapshot(library) == moved(before, done)
    assert "Refused" in FakeMessageDialog.shown()[-1]["message"]


def test_a_flag_goes_when_its_cause_goes(window, library):
    frame = open_on(window, library)
    frame.select(wx.CHK_CHECKED)
    rows = by_name()
    rows["Lee - Notes.txt"].proposed.SetValue("Notes.txt")
    wx.SafeYield()
    assert tooltip(rows["Lee - Notes.txt"].proposed) == "a file or folder of that name exists"
    click(rows["Lee - Notes.txt"].checkbox, wx.CHK_UNCHECKED)  # out of the batch
    wx.SafeYield()
    assert tooltip(rows["Lee - Notes.txt"].proposed) == ""
    assert status(frame) == "2 renames checked, none would be refused"
    click(rows["Lee - Notes.txt"].checkbox, wx.CHK_CHECKED)
    wx.SafeYield()
    assert status(frame) == "1 of 3 renames would be refused"
    rows["Lee - Notes.txt"].proposed.SetValue("Lee's notes.txt")
    wx.SafeYield()
    assert marks().get("Lee - Notes.txt") is None
    assert rows["Lee - Notes.txt"].proposed.GetBackgroundColour() != (
        skins.THEME.tree.refused_background)
    frame.invert_selection()  # every row was checked
    assert status(frame) == "No renames checked"


def test_nothing_is_flagged_while_nothing_is_checked(window, library):
    frame = open_on(window, library)
    by_name()["Lee - Notes.txt"].proposed.SetValue("Notes.txt")
    wx.SafeYield()
    assert set(marks()) == {"Hitchhiker", "Notes without a delimiter.txt", "Notes.txt"}
    assert "would be refused" not in status(frame)


def test_window_and_command_give_parts_the_same_spelling(window, tmp_path):
    folder = tmp_path / "spelling"
    make(folder, [name for name, _ in SPELLING] + ["Notes.txt"])
    open_on(window, folder)
    _, out, _ = reshape("--json", folder)
    listed = {entry["path"]: entry["new"] for entry in json_lines(out)}
    shown = {name: proposal for name, (proposal, _) in proposals().items()}
    assert shown == listed == {**dict(SPELLING), "Notes.txt": "Notes.txt"}


def type_format(frame, source=None, target=None):
    """Types into the format fields, then lets the pause after typing end."""
    for field, text in ((frame.choices.source_ctrl, source), (frame.choices.target_ctrl, target)):
        if text is not None:
            field.SetValue(text)
    assert frame.preview._typing.IsRunning()  # the proposals wait for the pause
    frame.preview.flush()


def widgets():
    return {row.name: (row, row.checkbox, row.tick, row.proposed) for row in by_name().values()}


def test_proposals_follow_the_formats_as_they_are_typed_on_the_same_rows(window, library):
    frame = open_on(window, library)
    before = widgets()
    by_name()["Smith - Report.txt"].proposed.SetValue("Smith's report.txt")  # by hand: it stays
    frame.select(wx.CHK_CHECKED)
    type_format(frame, target="b (a)")
    assert widgets() == before
    assert proposals() == {
        "Hitchhiker": ("Hitchhiker", " "),
        "Adams - Mostly Harmless.epub": ("Mostly Harmless (Adams).epub", "\u221a"),
        "Lee - Notes.txt": ("Notes (Lee).txt", "\u221a"),
        "Notes without a delimiter.txt": ("Notes without a delimiter.txt", " "),
        "Notes.txt": ("Notes.txt", " "),
        "Smith - Report.txt": ("Smith's report.txt", "\u221a")}
    type_format(frame, source="name", target="[name]")
    assert marks() == {}
    assert proposals()["Notes.txt"] == ("[Notes].txt", "\u221a")
    assert proposals()["Hitchhiker"] == ("[Hitchhiker]", "\u221a")
    assert by_name()["Hitchhiker"].ticked
    type_format(frame, source="a [b]")
    assert set(marks()) == set(by_name()) - {"Smith - Report.txt"}
    assert not any(row.ticked for name, row in by_name().items() if name != "Smith - Report.txt")
    assert (frame.cfg.source_format, frame.cfg.target_format) == ("a - b", "b - a")


def test_typed_proposals_are_flagged_too(window, library):
    frame = open_on(window, library)
    frame.select(wx.CHK_CHECKED)
    type_format(frame, target="b")  # "Lee - Notes.txt" and "Notes.txt" would share a name
    assert marks()["Lee - Notes.txt"][0] == "a file or folder of that name exists"
    assert status(frame) == "1 of 3 renames would be refused"


def test_an_empty_format_field_waits_for_refresh(window, library):
    frame = open_on(window, library)
    shown = proposals()
    type_format(frame, target="   ")
    assert proposals() == shown


def test_refresh_after_typing_rebuilds_and_stores_the_formats(window, library):
    frame = open_on(window, library)
    old_rows = set(by_name().values())
    by_name()["Lee - Notes.txt"].proposed.SetValue("By hand.txt")
    type_format(frame, target="b (a)")
    frame.refresh()
    assert not old_rows & set(by_name().values())
    assert proposals()["Lee - Notes.txt"] == ("Notes (Lee).txt", "\u221a")
    assert (frame.cfg.source_format, frame.cfg.target_format) == ("a - b", "b (a)")


def test_execute_during_the_pause_after_typing_renames_by_the_formats_typed(window, library):
    before = snapshot(library)
    frame = open_on(window, library)
    frame.select(wx.CHK_CHECKED)
    frame.choices.target_ctrl.SetValue("b (a)")
    assert frame.preview._typing.IsRunning()  # Execute comes before the pause ends
    frame.execute()
    renamed = {"Hitchhiker/Adams - Mostly Harmless.epub": "Mostly Harmless (Adams).epub",
               "Lee - Notes.txt": "Notes (Lee).txt", "Smith - Report.txt": "Report (Smith).txt"}
    assert {e["path"]: e["new"] for e in Confirming.listed()[-1]} == renamed
    assert snapshot(library) == moved(before, renamed)


def test_a_pause_that_ends_after_the_tree_is_gone_does_nothing(window, library):
    frame = open_on(window, library)
    frame.choices.target_ctrl.SetValue("b (a)")
    frame.clear_tree()  # its widgets are destroyed
    frame.preview.flush()  # would fail on a destroyed widget if it touched the rows
    assert (frame.tree, frame.preview.tree) == (None, None)
    assert not frame.preview._typing.IsRunning()


