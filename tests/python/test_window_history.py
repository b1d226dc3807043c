"""Edit -> History...: the journal's batches, newest first, for the folder
on show or for every folder; a batch's renames; undo of a whole batch or of
some of its files, listed first like Undo and done only on OK, and the
tree read again afterwards."""

import os
import re

import pytest
import wx

import fileitem
import renamer
from appwindow import ConfirmingUndo, FakeMessageDialog, ShownHistory, window  # noqa: F401
from disktree import make, moved, snapshot
from historydialog import HistoryDialog

NAMES = ["Lee - Notes.txt", "Smith - Report.txt", "Doe - Plan.md", "sub/Ray - Log.txt"]
FIRST = [("Lee - Notes.txt", "Notes - Lee.txt"), ("Doe - Plan.md", "Plan - Doe.md"),
         ("sub/Ray - Log.txt", "Log - Ray.txt")]
THIRD = [("Notes - Lee.txt", "Notes.txt")]  # changes a file of the first batch again
TIME = re.compile(r"\d{4}-\d\d-\d\d \d\d:\d\d$")


@pytest.fixture
def batches(window, tmp_path):
    """Three batches: two in `library` (the folder on show), one in `other`
    between them. Gives the frame, both folders and the library before any."""
    library, other = tmp_path / "library", tmp_path / "other"
    make(library, NAMES)
    make(other, ["x - y.txt"])
    original = snapshot(library)
    renamer.plan(str(library), FIRST).apply()
    renamer.plan(str(other), [("x - y.txt", "y - x.txt")]).apply()
    renamer.plan(str(library), THIRD).apply()
    frame = window()
    frame.cfg.location = str(library)
    frame.choices.folders_box.SetValue(False)
    frame.refresh()
    return frame, library, other, original


@pytest.fixture
def dialog(batches):
    frame, library = batches[:2]
    made = HistoryDialog(frame, str(library), renamer.history, frame.take_back)
    yield made
    made.Destroy()
    wx.SafeYield()


def rows(listed):
    return [[listed.GetItemText(row, column) for column in range(listed.GetColumnCount())]
            for row in range(listed.GetItemCount())]


def batch_rows(dialog):
    """The batch list without its times, which are checked for their form."""
    found = rows(dialog.batch_list)
    assert all(TIME.match(row[1]) for row in found)
    return [row[:1] + row[2:] for row in found]


def choose(dialog, batch_row, entry_rows=()):
    dialog.batch_list.Select(batch_row)
    wx.SafeYield()
    for row in entry_rows:
        dialog.entry_list.Select(row)
    wx.SafeYield()


def undo_listed():
    return [(folder, [(e["path"], e["new"], e["status"], e["reason"]) for e in entries])
            for folder, entries in ConfirmingUndo.listed()]


def shown_names():
    return sorted(row.name for row in fileitem.nodes.values())


def test_the_folder_on_show_newest_first_or_every_folder(dialog, batches):
    frame, library, other, original = batches
    ids = [batch["batch"] for batch in renamer.history()]
    assert dialog.heading.GetLabel() == f"Batches renamed in {library}, newest first:"
    assert batch_rows(dialog) == [
        [str(ids[0]), str(library), "1", "1", "done"],
        [str(ids[2]), str(library), "3", "3", "done"]]
    dialog.every_folder.SetValue(True)
    dialog.every_folder.ProcessEvent(wx.CommandEvent(wx.wxEVT_CHECKBOX))
    assert dialog.heading.GetLabel() == "Batches renamed in every folder, newest first:"
    assert batch_rows(dialog) == [
        [str(ids[0]), str(library), "1", "1", "done"],
        [str(ids[1]), str(other), "1", "1", "done"],
        [str(ids[2]), str(library), "3", "3", "done"]]


def test_a_batch_shows_its_renames_and_what_can_be_undone(dialog):
    assert rows(dialog.entry_list) == []
    assert not dialog.undo_batch.IsEnabled() and not dialog.undo_files.IsEnabled()
    choose(dialog, 1)
    assert rows(dialog.entry_list) == [  # by old path
        ["Doe - Plan.md", "Plan - Doe.md"],
        ["Lee - Notes.txt", "Notes - Lee.txt"],
        ["sub/Ray - Log.txt", "sub/Log - Ray.txt"]]
    assert dialog.undo_batch.IsEnabled() and not dialog.undo_files.IsEnabled()
    choose(dialog, 1, [2])
    assert dialog.undo_files.IsEnabled()


@pytest.mark.parametrize("answer", [wx.ID_CANCEL, wx.ID_OK])
def test_an_older_batch_is_listed_first_and_undone_only_on_ok(dialog, batches, answer):
    frame, library, other, original = batches
    after_batches = snapshot(library)
    first = renamer.history(str(library))[1]["batch"]
    ConfirmingUndo.answer = answer
    choose(dialog, 1)
    dialog.undo_batch.ProcessEvent(wx.CommandEvent(wx.wxEVT_BUTTON))
    assert undo_listed() == [(str(library), [
        ("Plan - Doe.md", "Doe - Plan.md", "rename", ""),
        ("sub/Log - Ray.txt", "Ray - Log.txt", "rename", ""),
        ("Notes - Lee.txt", "Lee - Notes.txt", "refused",
         "Notes - Lee.txt has changed since the batch")])]
    if answer == wx.ID_OK:
        # The file a later batch renamed again stays as that batch left it.
        expected = moved(original, {"Lee - Notes.txt": "Notes.txt"})
        assert snapshot(library) == expected
        assert shown_names() == sorted(n.rstrip("/").rsplit("/", 1)[-1] for n in expected)
        assert frame.GetStatusBar().GetStatusText() == "Restored 2 of 3; 1 refused, 0 failed"
        state = "partly undone"
    else:
        assert snapshot(library) == after_batches
        state = "done"
    assert batch_rows(dialog)[1] == [str(first), str(library), "3", "3", state]
    assert dialog.chosen()["batch"] == first  # still the batch chosen


def test_selected_files_of_a_batch_are_undone_alone(dialog, batches):
    frame, library, other, original = batches
    choose(dialog, 1, [0, 2])
    dialog.undo_files.ProcessEvent(wx.CommandEvent(wx.wxEVT_BUTTON))
    assert undo_listed() == [(str(library), [
        ("Plan - Doe.md", "Doe - Plan.md", "rename", ""),
        ("sub/Log - Ray.txt", "Ray - Log.txt", "rename", "")])]
    assert snapshot(library) == moved(original, {"Lee - Notes.txt": "Notes.txt"})
    assert snapshot(other) == {"y - x.txt": "contents of x - y.txt"}
    assert shown_names() == sorted(["Doe - Plan.md", "Notes.txt", "Smith - Report.txt",
                                    "sub", "Ray - Log.txt"])


def test_a_batch_undone_file_by_file_is_shown_partly_undone(dialog):
    choose(dialog, 1, [0])
    dialog.undo_files.ProcessEvent(wx.CommandEvent(wx.wxEVT_BUTTON))
    assert batch_rows(dialog)[1][-1] == "partly undone"


def test_an_undone_batch_offers_no_undo_again(dialog, batches):
    frame, library, other, original = batches
    choose(dialog, 0)
    dialog.undo_batch.ProcessEvent(wx.CommandEvent(wx.wxEVT_BUTTON))
    choose(dialog, 0, [0])
    assert batch_rows(dialog)[0][-1] == "undone"
    assert not dialog.undo_batch.IsEnabled() and not dialog.undo_files.IsEnabled()
    assert snapshot(library) == moved(original, {n: new for n, new in FIRST})


def test_a_batch_of_another_folder_is_undone_in_its_folder(dialog, batches):
    frame, library, other, original = batches
    on_show = snapshot(library)
    dialog.every_folder.SetValue(True)
    dialog.reload()
    choose(dialog, 1)
    dialog.undo_batch.ProcessEvent(wx.CommandEvent(wx.wxEVT_BUTTON))
    assert undo_listed() == [(str(other), [("y - x.txt", "x - y.txt", "rename", "")])]
    assert snapshot(other) == {"x - y.txt": "contents of x - y.txt"}
    assert snapshot(library) == on_show


def test_a_batch_whose_folder_is_gone_is_undone_in_the_folder_on_show(batches, tmp_path):
    frame, library, other, original = batches
    moved_to = tmp_path / "library, moved"
    library.rename(moved_to)
    renamed, other_before = snapshot(moved_to), snapshot(other)
    for on_show in (other, moved_to):  # a folder the batch never was in, then where it went
        frame.cfg.location = str(on_show)
        frame.refresh()
        frame.take_back(str(library), 3)  # as History's Undo batch does, with the batch's own folder
    assert undo_listed() == [
        (str(other), [("Notes.txt", "Notes - Lee.txt", "refused", "Notes.txt has changed since the batch")]),
        (str(moved_to), [("Notes.txt", "Notes - Lee.txt", "rename", "")])]
    assert snapshot(other) == other_before and snapshot(moved_to) != renamed
    frame.take_back(str(library), 1)
    assert snapshot(moved_to) == original


def test_names_that_are_not_utf8_are_shown_readably(window, tmp_path):
    import os
    folder = tmp_path / "library"
    folder.mkdir()
    bad = os.fsdecode(b"Bad\xff - x.txt")
    (folder / bad).write_text("contents")
    renamer.plan(str(folder), [(bad, "x.txt")]).apply()
    frame = window()
    made = HistoryDialog(frame, str(folder), renamer.history, frame.take_back)
    try:
        choose(made, 0)
        assert rows(made.entry_list) == [["Bad\\xff - x.txt", "x.txt"]]
    finally:
        made.Destroy()


def test_a_journal_that_cannot_be_read_is_told_above_the_list(batches):
    frame, library = batches[:2]
    journals = sorted(os.listdir(renamer.journal_folder()))
    third = os.path.join(renamer.journal_folder(), journals[-1])
    with open(third) as journal:
        text = journal.read()
    with open(third, "w") as journal:
        journal.write(text.replace("sequence\t3", "sequence\tX"))
    made = HistoryDialog(frame, str(library), renamer.history, frame.take_back, renamer.unreadable_journals)
    try:
        said = f"The journal {third} is damaged; its batch is not listed."
        assert (made.missing.IsShown(), made.missing.GetLabel().replace("\n", " ")) == (True, said)
        assert [row[0] for row in batch_rows(made)] == ["1"]
        made.every_folder.SetValue(True)
        made.reload()
        assert (made.missing.GetLabel().replace("\n", " "), [row[0] for row in batch_rows(made)]) == (
            said, ["2", "1"])
        os.unlink(third)
        made.reload()
        assert (made.missing.IsShown(), made.missing.GetLabel()) == (False, "")
    finally:
        made.Destroy()
        wx.SafeYield()


def test_a_journal_folder_that_cannot_be_opened_is_told_in_the_dialog(window, tmp_path):
    journals = renamer.journal_folder()
    os.makedirs(os.path.dirname(journals))
    with open(journals, "w") as in_its_place:
        in_its_place.write("not a folder")
    frame = window()
    made = HistoryDialog(frame, str(tmp_path), renamer.history, frame.take_back, renamer.unreadable_journals)
    try:
        assert made.missing.GetLabel().replace("\n", " ") == (
            f"The history of renames cannot be read: the journal folder {journals} is not a "
            "folder.")
        assert (rows(made.batch_list), made.undo_batch.IsEnabled()) == ([], False)
    finally:
        made.Destroy()
        wx.SafeYield()


def test_many_unreadable_journals_are_counted_past_three_and_all_of_it_shows(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, [f"{n} - x.txt" for n in range(5)])
    for n in range(5):
        renamer.plan(str(folder), [(f"{n} - x.txt", f"x - {n}.txt")]).apply()
    names = sorted(os.listdir(renamer.journal_folder()))
    for name in names:
        with open(os.path.join(renamer.journal_folder(), name), "w") as journal:
            journal.write("damaged")
    frame = window()
    made = HistoryDialog(frame, str(folder), renamer.history, frame.take_back, renamer.unreadable_journals)
    try:
        told = made.missing.GetLabel().replace("\n", " ")
        named = [name for name in names if name in told]
        assert (len(named), told.endswith("2 more journals cannot be read; their batches are not "
                                          "listed.")) == (3, True)
        assert made.GetClientSize().height >= made.GetSizer().CalcMin().height
    finally:
        made.Destroy()
        wx.SafeYield()


def test_the_menu_opens_the_history_of_the_folder_on_show(batches):
    frame, library = batches[:2]
    item = frame.menu_items["History..."]
    assert item.GetItemLabel().endswith("\tCtrl+H")
    wx.PostEvent(frame, wx.CommandEvent(wx.wxEVT_MENU, item.GetId()))
    wx.SafeYield()
    assert ShownHistory.shown() == [(str(library), renamer.history, frame.take_back, renamer.unreadable_journals)]


def test_history_waits_for_a_running_build(batches):
    frame, library = batches[:2]
    frame.guard.running = True  # as inside a build's progress report
    frame.show_history()
    assert ShownHistory.made == []
    frame.guard.running = False
    frame.guard.run_waiting()
    assert len(ShownHistory.made) == 1
    assert all(d["style"] & wx.ICON_ERROR == 0 for d in FakeMessageDialog.shown())
