"""What the window writes, and where: the settings in their folder, the
journal in its own; nothing in the current folder or in the checkout."""

import os

import wx

import renamer
import rowplan
from appwindow import FakeMessageDialog, window  # noqa: F401
from disktree import make, moved, snapshot

CHECKOUT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def checked_all(window, folder):
    """A window on `folder` with every row checked."""
    frame = window()
    frame.cfg.location = str(folder)
    frame.choices.folders_box.SetValue(False)
    frame.refresh()
    frame.tree.set_all_checkboxes(wx.CHK_CHECKED)
    return frame


def test_a_session_writes_only_the_settings_and_the_journal(window, tmp_path, monkeypatch):
    current = tmp_path / "current"
    current.mkdir()
    monkeypatch.chdir(current)
    checkout = sorted(os.listdir(CHECKOUT))
    folder = tmp_path / "library"
    make(folder, ["Lee - Notes.txt", "Doe - Plan.md"])
    before = snapshot(folder)
    frame = checked_all(window, folder)
    frame.execute()
    renamed = moved(before, {"Lee - Notes.txt": "Notes - Lee.txt", "Doe - Plan.md": "Plan - Doe.md"})
    assert snapshot(folder) == renamed
    frame.Close()
    wx.SafeYield()
    assert os.listdir(current) == []
    assert sorted(os.listdir(CHECKOUT)) == checkout
    assert sorted(os.listdir(tmp_path)) == ["config", "current", "library", "state"]
    assert sorted(os.listdir(tmp_path / "config")) == ["tool"]
    assert os.listdir(tmp_path / "config" / "tool") == ["settings.json"]
    assert len(renamer.history(str(folder))) == 1


def test_a_journal_left_unfinished_is_told_after_the_renames(window, tmp_path, monkeypatch):
    folder = tmp_path / "library"
    make(folder, ["Lee - Notes.txt"])
    before = snapshot(folder)
    frame = checked_all(window, folder)
    problem = "the journal /state/reshape/1.journal could not be written to its end (No space left on device)"
    monkeypatch.setattr(rowplan.RowPlan, "journal_problem", property(lambda plan: problem))
    frame.execute()
    assert snapshot(folder) == moved(before, {"Lee - Notes.txt": "Notes - Lee.txt"})
    assert FakeMessageDialog.shown()[-1]["message"] == (
        "The renames reported done were carried out, and Undo finds them, but " + problem + ".")
    assert frame.GetStatusBar().GetStatusText() == "Renamed 1 of 1"
