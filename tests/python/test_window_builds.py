"""Every command posted while the tree is being built, handled inside the
build's own event processing: it waits for the build or cancels it, and
the disk of both folders ends exactly as the command says."""

import sys

import pytest
import wx

import basewindow
import dirscan
import fileitem
import renamer
from appwindow import Confirming, ConfirmingUndo, FakeDirDialog, FakeMessageDialog, window  # noqa: F401
from disktree import make, moved, snapshot
from fakes import Recorder

BIG = [f"Author {n:03d} - Title {n:03d}.txt" for n in range(600)] + [
    "Doe - Plans/", "Doe - Plans/Smith - Report.txt"]
SMALL = ["Lee - Notes.txt", "Smith - Report.txt"]
SWAPPED = {**{name: f"Title {name[7:10]} - Author {name[7:10]}.txt" for name in BIG[:600]},
           "Doe - Plans": "Plans - Doe", "Doe - Plans/Smith - Report.txt": "Report - Smith.txt"}


@pytest.fixture
def folders(window, tmp_path, monkeypatch):
    """A frame on a folder of 602 entries (all of them shown), and a small
    second folder; handler errors recorded instead of printed."""
    monkeypatch.setattr(dirscan, "MAX_FILES", 1000)
    errors = Recorder()
    monkeypatch.setattr(sys, "excepthook", errors)
    big, small = tmp_path / "big", tmp_path / "small"
    make(big, BIG)
    make(small, SMALL)
    frame = window()
    frame.cfg.location = str(big)
    frame.choices.folders_box.SetValue(False)
    frame.choices.recursive_box.SetValue(True)
    return frame, big, small, errors


def during_build(frame, post):
    """Calls `post()` from the progress report of the build's first batch
    of rows, so that what it posts is handled by the build's next hand-over
    to the toolkit; returns what each posted command saw (whether a build
    was running) and the count of builds started."""
    seen = {"posted": False, "builds": 0, "inside": []}
    shown = frame.show_progress

    def progress(message):
        if message.startswith("Building filetree"):
            seen["builds"] += 1
        if message.startswith("Processing Author") and not seen["posted"]:
            seen["posted"] = True
            post()
            wx.CallAfter(lambda: seen["inside"].append(frame.guard.running))
        shown(message)
    frame.show_progress = progress
    return seen


def menu(frame, label):
    def post():
        item = frame.menu_items[label]
        event = wx.CommandEvent(wx.wxEVT_MENU, item.GetId())
        event.SetEventObject(frame)
        wx.PostEvent(frame, event)
    return post


def button(control):
    def post():
        wx.PostEvent(control, wx.CommandEvent(wx.wxEVT_BUTTON, control.GetId()))
    return post


def toggle(control):
    def post():
        control.SetValue(not control.GetValue())
        event = wx.CommandEvent(wx.wxEVT_CHECKBOX, control.GetId())
        event.SetEventObject(control)
        wx.PostEvent(control, event)
    return post


def pattern(frame, text):
    def post():
        ctrl = frame.choices.pattern_ctrl
        ctrl.ChangeValue(text)
        wx.PostEvent(ctrl, wx.CommandEvent(wx.wxEVT_TEXT_ENTER, ctrl.GetId()))
    return post


def escape(frame):
    def post():
        event = wx.KeyEvent(wx.wxEVT_CHAR_HOOK)
        event.SetKeyCode(wx.WXK_ESCAPE)
        event.SetEventObject(frame.scroller)
        wx.PostEvent(frame, event)
    return post


def both(*posts):
    def post():
        for each in posts:
            each()
    return post


def rows():
    return list(fileitem.nodes.values())


def status(frame, field=0):
    return frame.GetStatusBar().GetStatusText(field)


def refresh_with(frame, post):
    """A Refresh with `post()` called during it, as during_build; checks
    that what it posted ran while the build was running."""
    seen = during_build(frame, post)
    frame.refresh()
    wx.SafeYield()
    assert seen["posted"] and seen["inside"] == [True]
    return seen


def assert_clean(frame, errors):
    assert errors.calls == []
    assert [d for d in FakeMessageDialog.shown() if d["style"] & wx.ICON_ERROR] == []
    assert status(frame, 1) == "" and not frame.choices.cancel_button.IsEnabled()


# A command that ends the build and starts afresh: the rows and the count
# of names loaded that the new options give; the disk never changes.
@pytest.mark.parametrize("command, row_count, loaded, names", [
    (lambda f: both(menu(f, "Refresh"), button(f.choices.refresh_button)), 602, 601, None),
    (lambda f: toggle(f.choices.folders_box), 1, 1, ["Doe - Plans"]),
    (lambda f: toggle(f.choices.recursive_box), 600, 600, None),
    (lambda f: pattern(f, "*7.txt"), 60, 60, None),
])
def test_commands_that_start_afresh(folders, command, row_count, loaded, names):
    frame, big, small, errors = folders
    before = snapshot(big), snapshot(small)
    seen = refresh_with(frame, command(frame))
    assert seen["builds"] == 2
    assert len(rows()) == row_count and frame.tree is not None
    if names:
        assert [row.name for row in rows()] == names
    assert status(frame) == f"{loaded} files loaded"
    assert (snapshot(big), snapshot(small)) == before
    assert_clean(frame, errors)


def test_a_pattern_typed_during_the_build_stays_for_the_next_refresh(folders):
    frame, big, _, errors = folders

    def type_pattern():
        frame.choices.pattern_ctrl.SetValue("*7.txt")  # typed, no Enter
    refresh_with(frame, type_pattern)
    assert (frame.choices.pattern_ctrl.GetValue(), len(rows())) == ("*7.txt", 602)
    assert not frame.choices.execute_button.IsEnabled()  # the rows are not those of the pattern shown
    frame.refresh()
    assert len(rows()) == 60 and frame.choices.execute_button.IsEnabled()
    assert_clean(frame, errors)


def test_the_pattern_the_tree_fills_in_is_shown(folders):
    frame, big, _, errors = folders
    frame.choices.pattern_ctrl.ChangeValue("  ")
    frame.refresh()
    assert (frame.choices.pattern_ctrl.GetValue(), len(rows())) == ("*", 602)
    assert_clean(frame, errors)


@pytest.mark.parametrize("command", [
    lambda f: escape(f),
    lambda f: button(f.choices.cancel_button),
])
def test_escape_and_cancel_end_the_build(folders, command):
    frame, big, small, errors = folders
    before = snapshot(big), snapshot(small)
    during = []
    seen = refresh_with(frame, both(lambda: during.append(
        (status(frame, 1), frame.choices.cancel_button.IsEnabled(),
         frame.choices.execute_button.IsEnabled())), command(frame)))
    assert during == [(basewindow.BUILDING, True, False)]  # the user sees a build runs
    assert seen["builds"] == 1
    assert frame.tree is None and not frame.left.GetChildren() and not frame.right.GetChildren()
    assert status(frame) == basewindow.CANCELLED
    assert not frame.choices.execute_button.IsEnabled()
    assert (snapshot(big), snapshot(small)) == before
    assert_clean(frame, errors)


def test_selections_wait_for_the_build_and_run_in_order(folders):
    frame, big, small, errors = folders
    refresh_with(frame, both(menu(frame, "None"), menu(frame, "Invert"),
                             menu(frame, "Untick")))
    assert len(rows()) == 602
    assert {row.checkbox.Get3StateValue() for row in rows()} == {wx.CHK_CHECKED}
    assert {row.tick.GetValue() for row in rows()} == {" "}
    assert_clean(frame, errors)


def test_execute_waits_and_renames_the_finished_tree(folders):
    frame, big, small, errors = folders
    before = snapshot(big), snapshot(small)
    frame.choices.execute_button.Enable()  # as a button left enabled would be
    refresh_with(frame, both(menu(frame, "All"), menu(frame, "Execute"),
                             button(frame.choices.execute_button)))
    # The first Execute renames every row of the finished tree; the second
    # finds the tree read again from disk, with nothing checked.
    assert [len(entries) for entries in Confirming.listed()] == [602]
    assert FakeMessageDialog.shown()[-1]["message"].startswith("Nothing to rename")
    assert snapshot(big) == moved(before[0], SWAPPED)
    assert snapshot(small) == before[1]
    assert_clean(frame, errors)


def test_open_waits_and_then_works_in_the_new_folder_only(folders):
    frame, big, small, errors = folders
    before = snapshot(big), snapshot(small)
    FakeDirDialog.path = str(small)
    refresh_with(frame, menu(frame, "Open folder..."))
    assert frame.GetTitle() == f"tool - {small}"
    assert [row.name for row in rows()] == SMALL
    assert status(frame) == "2 files loaded"
    frame.select(wx.CHK_CHECKED)
    frame.execute()
    renames = {"Lee - Notes.txt": "Notes - Lee.txt", "Smith - Report.txt": "Report - Smith.txt"}
    assert [(e["path"], e["new"]) for e in Confirming.listed()[-1]] == list(renames.items())
    assert snapshot(small) == moved(before[1], renames)
    assert snapshot(big) == before[0]
    assert_clean(frame, errors)


def test_undo_waits_and_restores_after_confirmation(folders):
    frame, big, small, errors = folders
    before = snapshot(big), snapshot(small)
    renamer.plan(str(big), [("Author 000 - Title 000.txt", "Title 000 - Author 000.txt")]).apply()
    assert snapshot(big) == moved(before[0], {"Author 000 - Title 000.txt":
                                              "Title 000 - Author 000.txt"})
    refresh_with(frame, menu(frame, "Undo last rename"))
    assert [(folder, [(e["path"], e["new"]) for e in entries])
            for folder, entries in ConfirmingUndo.listed()] == [
        (str(big), [("Title 000 - Author 000.txt", "Author 000 - Title 000.txt")])]
    assert (snapshot(big), snapshot(small)) == before
    assert_clean(frame, errors)


def test_quit_ends_the_build_and_closes(folders):
    frame, big, small, errors = folders
    before = snapshot(big), snapshot(small)
    seen = during_build(frame, menu(frame, "Quit"))
    frame.refresh()
    wx.SafeYield()
    assert seen["posted"] and seen["builds"] == 1
    assert not frame  # destroyed, once the build had ended
    assert (snapshot(big), snapshot(small)) == before
    assert errors.calls == []
