"""Undo in the window: Ctrl+Z in a text field is the field's own and never
touches the disk; the disk's undo lists what it will restore and acts only
on OK, and is offered only after a batch that changed something."""

import os

import pytest
import wx

import basewindow
import fileitem
import listing
import renamer
from appwindow import ConfirmingUndo, FakeMessageDialog, window  # noqa: F401
from disktree import make, moved, snapshot

NAMES = ["Lee - Notes.txt", "Smith - Report.txt", "Doe - Plan.md"]


@pytest.fixture
def renamed(window, tmp_path):
    """A frame on a folder whose latest batch renamed one file."""
    folder = tmp_path / "library"
    make(folder, NAMES)
    before = snapshot(folder)
    renamer.plan(str(folder), [("Lee - Notes.txt", "Notes - Lee.txt")]).apply()
    frame = window()
    frame.cfg.location = str(folder)
    frame.choices.folders_box.SetValue(False)
    frame.refresh()
    return frame, folder, before


def key(frame, field, code, modifiers=wx.MOD_NONE):
    """A key as the frame sees it first, before `field` gets it; True when
    the frame let it go on (to the field, or to the menus)."""
    event = wx.KeyEvent(wx.wxEVT_CHAR_HOOK)
    event.SetKeyCode(code)
    event.SetControlDown(modifiers == wx.MOD_CONTROL)
    event.SetEventObject(field)
    frame.GetEventHandler().ProcessEvent(event)
    return event.GetSkipped()


def typed(frame, field, text):
    """Types `text` into `field` one key at a time."""
    for char in text:
        assert key(frame, field, ord(char.upper()))
        field.AppendText(char)


FIELDS = {
    "target format": lambda frame: frame.choices.target_ctrl,
    "source format": lambda frame: frame.choices.source_ctrl,
    "pattern": lambda frame: frame.choices.pattern_ctrl,
    "a proposal": lambda frame: list(fileitem.nodes.values())[0].proposed,
}


@pytest.mark.parametrize("which", FIELDS)
def test_ctrl_z_in_a_text_field_undoes_the_typing_only(renamed, which):
    frame, folder, before = renamed
    on_disk = snapshot(folder)
    field = FIELDS[which](frame)
    start = field.GetValue()
    typed(frame, field, "xy")
    assert field.GetValue() == start + "xy"
    assert not key(frame, field, ord("Z"), wx.MOD_CONTROL)  # kept from the menu's Undo
    assert field.GetValue() == start + "x"
    assert not key(frame, field, ord("Z"), wx.MOD_CONTROL)
    assert field.GetValue() == start
    assert not key(frame, field, ord("Z"), wx.MOD_CONTROL)  # nothing more to undo
    assert field.GetValue() == start
    assert snapshot(folder) == on_disk and ConfirmingUndo.made == []


@pytest.mark.parametrize("which", FIELDS)
def test_the_select_keys_select_in_a_text_field_too(renamed, which):
    """Ctrl+Shift+A would otherwise unselect the field's text and nothing more."""
    frame, folder, before = renamed
    field = FIELDS[which](frame)
    text = field.GetValue()
    states = []
    for letter in "AIN":
        event = wx.KeyEvent(wx.wxEVT_CHAR_HOOK)
        event.SetKeyCode(ord(letter))
        event.SetControlDown(True)
        event.SetShiftDown(True)
        event.SetEventObject(field)
        frame.GetEventHandler().ProcessEvent(event)
        assert not event.GetSkipped()  # the field never gets it
        states.append({row.checkbox.Get3StateValue() for row in fileitem.nodes.values()})
    assert states == [{wx.CHK_CHECKED}, {wx.CHK_UNCHECKED}, {wx.CHK_UNCHECKED}]
    assert field.GetValue() == text and snapshot(folder) == moved(before, {"Lee - Notes.txt": "Notes - Lee.txt"})


def test_ctrl_z_outside_text_fields_goes_on_to_the_disk_undo(renamed):
    frame, folder, before = renamed
    checkbox = list(fileitem.nodes.values())[0].checkbox
    assert key(frame, checkbox, ord("Z"), wx.MOD_CONTROL)
    assert frame.menu_items["Undo last rename"].GetItemLabel().endswith("\tCtrl+Z")


@pytest.mark.parametrize("answer, restored", [(wx.ID_CANCEL, False), (wx.ID_OK, True)])
def test_disk_undo_lists_first_and_acts_only_on_ok(renamed, answer, restored):
    frame, folder, before = renamed
    after_batch = snapshot(folder)
    ConfirmingUndo.answer = answer
    frame.undo()
    assert [(f, [(e["path"], e["new"], e["status"]) for e in entries])
            for f, entries in ConfirmingUndo.listed()] == [
        (str(folder), [("Notes - Lee.txt", "Lee - Notes.txt", "rename")])]
    assert snapshot(folder) == (before if restored else after_batch)
    assert frame.menu_items["Undo last rename"].IsEnabled() == (not restored)


def test_undo_dialog_text(tmp_path):
    import reshaper  # noqa: F401  (the toolkit's application object)
    entries = [
        {"path": "Notes - Lee.txt", "new": "Lee - Notes.txt", "status": "rename", "reason": ""},
        {"path": "sub/Plan - Doe.md", "new": "Doe - Plan.md", "status": "rename", "reason": ""},
        {"path": "x\udcff.txt", "new": "y.txt", "status": "refused",
         "reason": "changed since the rename"},
    ]
    dialog = listing.UndoDialog(None, "/data/bad\udcfe", entries)
    try:
        text = dialog.GetChildren()[0].GetValue()
        ok_enabled = dialog.FindWindowById(wx.ID_OK).IsEnabled()
    finally:
        dialog.Destroy()
    assert text.split("\n") == [
        "Restore 2 names in /data/bad\\xfe:",
        "Lee - Notes.txt  \u2190  Notes - Lee.txt",
        "sub/Doe - Plan.md  \u2190  sub/Plan - Doe.md",
        "",
        "Refused (1):",
        "y.txt  \u2190  x\\xff.txt: changed since the rename"]
    assert ok_enabled


def test_undo_dialog_with_nothing_to_restore_has_no_ok():
    import reshaper  # noqa: F401
    dialog = listing.UndoDialog(None, "/data", [
        {"path": "b.txt", "new": "a.txt", "status": "refused", "reason": "changed"}])
    try:
        assert not dialog.FindWindowById(wx.ID_OK).IsEnabled()
    finally:
        dialog.Destroy()


@pytest.mark.parametrize("batch, offered", [
    ([("Lee - Notes.txt", "Notes - Lee.txt")], True),
    ([("Lee - Notes.txt", "Smith - Report.txt")], False),  # refused: the name is taken
    ([], False),  # no batch at all
])
def test_undo_is_offered_only_after_a_batch_that_changed_something(window, tmp_path,
                                                                    batch, offered):
    folder = tmp_path / "library"
    make(folder, NAMES)
    before = snapshot(folder)
    if batch:
        renamer.plan(str(folder), batch).apply()
    frame = window()
    frame.cfg.location = str(folder)
    frame.refresh()
    assert frame.menu_items["Undo last rename"].IsEnabled() == offered
    frame.undo()
    if not offered:
        assert ConfirmingUndo.made == []
        assert frame.GetStatusBar().GetStatusText() == f"Nothing to undo in {folder}"
    assert snapshot(folder) == before
    assert all(d["style"] & wx.ICON_ERROR == 0 for d in FakeMessageDialog.shown())


def test_a_journal_that_cannot_be_read_is_told_in_plain_words(renamed):
    frame, folder, before = renamed
    after_batch = snapshot(folder)
    journal = next(iter(os.scandir(renamer.journal_folder()))).path
    os.chmod(journal, 0o664)
    frame.undo()
    assert ConfirmingUndo.listed() == []
    assert [(d["message"], d["style"] & wx.ICON_ERROR) for d in FakeMessageDialog.shown()] == [
        (f"Nothing was undone: the journal {journal} may be written by other users, so no batch "
         f"before it is undone (move it away to go on).", wx.ICON_ERROR)]
    assert snapshot(folder) == after_batch


def test_a_journal_not_marked_undone_is_told_after_the_restore(renamed, monkeypatch):
    frame, folder, before = renamed
    problem = "the journal /state/reshape/1.journal could not be marked as undone (No space left on device)"
    real_plan = renamer.undo_plan

    class OnAFullDisk:
        def __init__(self, *args, **chosen):
            self.plan = real_plan(*args, **chosen)
            self.entries = self.plan.entries

        def apply(self, on_journal_problem):
            entries = self.plan.apply()
            on_journal_problem(problem)
            return entries

    monkeypatch.setattr(renamer, "undo_plan", OnAFullDisk)
    frame.undo()
    assert snapshot(folder) == before
    assert frame.GetStatusBar().GetStatusText() == "Restored 1 of 1"
    assert [(d["message"], d["style"] & wx.ICON_WARNING) for d in FakeMessageDialog.shown()] == [
        ("The names reported restored are back, but " + problem + ", so Undo may offer the batch again.",
         wx.ICON_WARNING)]


def test_ok_takes_back_the_batch_the_dialog_listed_or_nothing(renamed, monkeypatch):
    frame, folder, before = renamed
    renamer.plan(str(folder), [("Doe - Plan.md", "Plan - Doe.md")]).apply()

    class UndoneElsewhereMeanwhile(ConfirmingUndo):
        def ShowModal(self):
            renamer.undo(str(folder))  # a second window, or reshape --undo in a terminal
            return wx.ID_OK

    monkeypatch.setattr(basewindow, "UndoDialog", UndoneElsewhereMeanwhile)
    frame.undo()
    assert [[e["path"] for e in entries] for _, entries in ConfirmingUndo.listed()] == [["Plan - Doe.md"]]
    assert [(d["message"], d["style"] & wx.ICON_ERROR) for d in FakeMessageDialog.shown()] == [
        (f"Nothing was undone: the batch to undo in {folder} is no longer batch 2, the one shown.",
         wx.ICON_ERROR)]
    assert snapshot(folder) == moved(before, {"Lee - Notes.txt": "Notes - Lee.txt"})  # batch 1 stays


HAND = {"Lee - Notes.txt": "Notes - Lee.txt", "Doe - Plan.md": "Plan - Doe.md",
        "Smith - Report.txt": "Report - Smith.txt"}


@pytest.fixture
def put_back_by_hand(window, tmp_path):
    """An older batch, then one of three renames, some of which the user
    puts back by hand before Undo; gives the frame, the folder and the disk
    before both batches."""
    folder = tmp_path / "library"
    make(folder, list(HAND) + ["Ann - Song.mp3"])
    before = snapshot(folder)
    renamer.plan(str(folder), [("Ann - Song.mp3", "Song - Ann.mp3")]).apply()
    renamer.plan(str(folder), list(HAND.items())).apply()

    def frame_after(put_back):
        for old in put_back:
            os.rename(folder / HAND[old], folder / old)
        frame = window()
        frame.cfg.location = str(folder)
        frame.choices.folders_box.SetValue(False)
        frame.refresh()
        return frame
    return frame_after, folder, before


def test_a_name_put_back_by_hand_is_listed_back_already_and_not_counted_restored(put_back_by_hand):
    frame_after, folder, before = put_back_by_hand
    frame = frame_after(["Lee - Notes.txt"])
    frame.undo()
    (_, entries), = ConfirmingUndo.listed()
    assert sorted((e["path"], e["status"]) for e in entries) == [
        ("Notes - Lee.txt", "back"), ("Plan - Doe.md", "rename"), ("Report - Smith.txt", "rename")]
    assert frame.GetStatusBar().GetStatusText() == "Restored 2 of 3; 1 back already"
    assert snapshot(folder) == moved(before, {"Ann - Song.mp3": "Song - Ann.mp3"})


def test_a_batch_wholly_put_back_by_hand_is_settled_on_ok_and_undo_goes_on(put_back_by_hand):
    frame_after, folder, before = put_back_by_hand
    frame = frame_after(list(HAND))
    frame.undo()
    assert [e["status"] for _, entries in ConfirmingUndo.listed() for e in entries] == ["back"] * 3
    assert frame.GetStatusBar().GetStatusText() == "Restored 0 of 3; 3 back already"
    frame.undo()  # the batch before
    assert [(e["path"], e["status"]) for e in ConfirmingUndo.listed()[-1][1]] == [
        ("Song - Ann.mp3", "rename")]
    assert snapshot(folder) == before


def test_a_refused_restore_is_told_with_the_way_to_try_it_again(renamed):
    frame, folder, before = renamed
    make(folder, ["Lee - Notes.txt"])  # a new file takes the old name
    frame.undo()
    report = FakeMessageDialog.shown()[-1]["message"]
    assert report.split("\n") == [
        "Restored 0 of 1; 1 refused, 0 failed", "", "Refused:",
        "Notes - Lee.txt  \u2192  Lee - Notes.txt: the old name Lee - Notes.txt is taken", "",
        "History keeps the batch, to undo it again for these once they can come back."]
    assert renamer.history(str(folder))[0]["state"] == "partly undone"
    os.unlink(folder / "Lee - Notes.txt")
    frame.take_back(str(folder), 1)
    assert snapshot(folder) == before
