"""Every error reaches the window: names that are not valid UTF-8, trouble
with the settings file, exceptions in handlers, a folder that is not
there."""

import json
import os
import shutil

import pytest
import wx

import dirscan
import fileitem
import listing
import renamer
from appwindow import Confirming, FakeDirDialog, FakeMessageDialog, window  # noqa: F401
from disktree import make, moved, snapshot
from readable import exact, readable

BAD = os.fsdecode(b"Bad\xff\xfeName - x.txt")  # undecodable bytes as lone surrogates


def open_on(window, folder):
    frame = window()
    frame.cfg.location = str(folder)
    frame.choices.folders_box.SetValue(False)
    frame.refresh()
    return frame


def library_with_bad_name(tmp_path, contents="contents", others=()):
    """A folder "library" holding `others` and a file named BAD's bytes."""
    folder = tmp_path / "library"
    folder.mkdir()
    make(folder, others)
    with open(os.path.join(os.fsencode(folder), os.fsencode(BAD)), "w") as handle:
        handle.write(contents)
    return folder


def errors_shown():
    return [d["message"] for d in FakeMessageDialog.shown() if d["style"] & wx.ICON_ERROR]


@pytest.mark.parametrize("text, shown", [
    ("plain", "plain"),
    (BAD, "Bad\\xff\\xfeName - x.txt"),
    ("lone \ud800 surrogate", "lone \ufffd surrogate"),
    ("C:\\x41 stays", "C:\\x41 stays"),  # only bytes 80..ff are written so
])
def test_readable_and_back(text, shown):
    assert readable(text) == shown
    if "\ud800" not in text:
        assert exact(readable(text)) == text


@pytest.mark.parametrize("text, shown", [
    ("Lee\\x80 - Notes\udce9", "Lee\\\\x80 - Notes\\xe9"),  # the four characters and a byte
    ("back\\\udc80", "back\\\\\\x80"),  # a backslash before a byte
    ("two\\\\x81\udc81", "two\\\\\\\\x81\\x81"),
    ("C:\\dir\\\udcff", "C:\\\\dir\\\\\\xff"),
    ("ends in \\", "ends in \\\\"),
    ("Lee\nNotes\t\x7f\x00", "Lee\\x0aNotes\\x09\\x7f\\x00"),  # control characters
    ("typed \\x0a", "typed \\\\x0a"),
])
def test_a_row_shown_readably_gives_back_exactly_what_it_was_given(text, shown):
    assert readable(text, escaping=True) == shown
    assert exact(shown) == text


def test_a_name_that_is_not_utf8_is_shown_readably_and_renamed_exactly(window, tmp_path):
    folder = library_with_bad_name(tmp_path, "contents of the bad name", ["Lee - Notes.txt"])
    before = snapshot(folder)
    frame = open_on(window, folder)
    by_label = {row.checkbox.GetLabel(): row for row in fileitem.nodes.values()}
    row = by_label["Bad\\xff\\xfeName - x.txt"]
    assert row.proposed.GetValue() == "x - Bad\\xff\\xfeName.txt"
    assert row.tick.GetValue() == "\u221a"
    frame.select(wx.CHK_CHECKED)
    frame.execute()
    assert {(e["path"], e["new"]) for e in Confirming.listed()[-1]} == {
        (BAD, os.fsdecode(b"x - Bad\xff\xfeName.txt")), ("Lee - Notes.txt", "Notes - Lee.txt")}
    assert snapshot(folder) == moved(before, {BAD: os.fsdecode(b"x - Bad\xff\xfeName.txt"),
                                              "Lee - Notes.txt": "Notes - Lee.txt"})
    assert os.fsencode("x - Bad\udcff\udcfeName.txt") in os.listdir(os.fsencode(folder))


def test_the_spelling_of_a_byte_in_a_name_is_renamed_as_it_is(window, tmp_path):
    folder = tmp_path / "library"
    folder.mkdir()
    with open(os.path.join(os.fsencode(folder), b"Lee\\x80 - Notes\xe9.txt"), "w") as handle:
        handle.write("notes")
    frame = open_on(window, folder)
    (row,) = fileitem.nodes.values()
    assert (row.checkbox.GetLabel(), row.proposed.GetValue()) == (
        "Lee\\\\x80 - Notes\\xe9.txt", "Notes\\xe9 - Lee\\\\x80.txt")
    frame.select(wx.CHK_CHECKED)
    frame.execute()
    assert os.listdir(os.fsencode(folder)) == [b"Notes\xe9 - Lee\\x80.txt"]


def test_an_edited_proposal_keeps_the_bytes_it_shows_as_escapes(window, tmp_path):
    folder = library_with_bad_name(tmp_path)
    frame = open_on(window, folder)
    row = list(fileitem.nodes.values())[0]
    row.proposed.SetValue("y - Bad\\xff\\xfeName.txt")
    frame.select(wx.CHK_CHECKED)
    frame.execute()
    assert os.listdir(os.fsencode(folder)) == [b"y - Bad\xff\xfeName.txt"]


def test_listings_and_messages_show_bad_bytes_readably(window):
    frame = window()
    entries = [{"path": BAD, "new": "new.txt", "status": "rename", "reason": ""}]
    assert listing.describe(entries, "rename") == ["Bad\\xff\\xfeName - x.txt  \u2192  new.txt"]
    frame.show_progress("Processing " + BAD)
    assert frame.GetStatusBar().GetStatusText() == "Processing Bad\\xff\\xfeName - x.txt"
    frame._tell("Cannot rename " + BAD)
    assert FakeMessageDialog.shown()[-1]["message"] == "Cannot rename Bad\\xff\\xfeName - x.txt"


def test_unwritable_settings_are_told_once_and_the_window_goes_on(window, tmp_path,
                                                                   monkeypatch, capsys):
    blocker = tmp_path / "not-a-folder"
    blocker.write_text("a file where the settings folder should be")
    monkeypatch.setenv("XDG_CONFIG_HOME", str(blocker / "config"))
    folder = tmp_path / "library"
    make(folder, ["Lee - Notes.txt"])
    frame = open_on(window, folder)
    frame.refresh()
    wx.SafeYield()
    told = [d["message"] for d in FakeMessageDialog.shown()]
    assert len(told) == 1 and told[0].startswith("The settings could not be saved")
    assert frame.tree is not None and len(fileitem.nodes) == 1
    frame.Close()
    wx.SafeYield()
    assert not frame
    assert "the settings could not be saved" in capsys.readouterr().err


def test_a_folder_whose_name_is_not_utf8_is_kept_and_the_window_closes(window, tmp_path):
    folder = tmp_path / os.fsdecode(b"lib\xff")
    make(folder, ["Lee - Notes.txt"])
    frame = open_on(window, folder)
    wx.SafeYield()
    assert FakeMessageDialog.shown() == [] and len(fileitem.nodes) == 1
    settings_file = frame.cfg.filename
    frame.Close()
    wx.SafeYield()
    assert not frame
    assert FakeMessageDialog.shown() == []
    with open(settings_file, encoding="utf-8") as stored:
        assert json.load(stored)["location"] == str(folder)


def test_settings_that_cannot_be_saved_never_keep_the_window_open(window, tmp_path, monkeypatch):
    make(tmp_path / "library", ["Lee - Notes.txt"])
    frame = open_on(window, tmp_path / "library")
    wx.SafeYield()

    def unsaveable(cfg):
        raise ValueError("a value the file cannot hold")
    monkeypatch.setattr(type(frame.cfg), "save", unsaveable)
    frame.Close()
    wx.SafeYield()
    assert not frame
    assert [d["message"] for d in FakeMessageDialog.shown()] == [
        "The settings could not be saved, and will not be kept after this session: "
        "a value the file cannot hold"]


@pytest.mark.parametrize("stored", [[800.5, 600], ["a", "b"], [True, 600], [0, 0], [10 ** 9, 600], [800]])
def test_a_stored_window_size_that_is_no_size_gives_the_usual_one(window, tmp_path, stored):
    usual = window().GetSize()
    (tmp_path / "config" / "tool").mkdir(parents=True, exist_ok=True)
    (tmp_path / "config" / "tool" / "settings.json").write_text(json.dumps({"window_size": stored}))
    frame = window()
    wx.SafeYield()
    assert frame.GetSize() == usual
    assert frame.cfg.window_size == stored  # kept as it is until the window saves its own


@pytest.mark.parametrize("stored, shown", [([900, 700], (900, 700)), ([20000, 700], ("room", 700)),
                                           ([900, 20000], (900, "room")), ([100000, 100000], ("room", "room"))])
def test_a_stored_window_size_is_kept_within_the_screen(window, tmp_path, stored, shown):
    (tmp_path / "config" / "tool").mkdir(parents=True, exist_ok=True)
    (tmp_path / "config" / "tool" / "settings.json").write_text(json.dumps({"window_size": stored}))
    frame = window()
    wx.SafeYield()
    room = wx.Display(0).GetClientArea().GetSize()
    assert tuple(frame.GetSize()) == tuple(room[i] if side == "room" else side for i, side in enumerate(shown))


def test_damaged_settings_are_told_and_kept_aside(window, tmp_path):
    (tmp_path / "config").mkdir()
    (tmp_path / "config" / "tool.json").write_text("{not json")
    frame = window()
    wx.SafeYield()
    told = [d["message"] for d in FakeMessageDialog.shown()]
    assert len(told) == 1 and "is damaged" in told[0] and "kept as" in told[0]
    kept = [p for p in (tmp_path / "config").iterdir() if ".damaged-" in p.name]
    assert len(kept) == 1 and kept[0].read_text() == "{not json"
    assert frame.cfg.source_format == "a - b"  # the defaults


def test_an_exception_in_a_handler_is_shown_and_logged(window, tmp_path, monkeypatch, capsys):
    frame = open_on(window, tmp_path)

    def broken(base):  # a fault of the program itself, not the engine's word about the disk
        raise RuntimeError("the journal folder is unreadable")
    monkeypatch.setattr(renamer, "undo_plan", broken)
    item = frame.menu_items["Undo last rename"]
    wx.PostEvent(frame, wx.CommandEvent(wx.wxEVT_MENU, item.GetId()))
    wx.SafeYield()
    wx.SafeYield()
    assert errors_shown() == ["Something went wrong:\n\nRuntimeError: the journal folder is unreadable"]
    err = capsys.readouterr().err
    assert "Traceback" in err and "RuntimeError: the journal folder is unreadable" in err


def test_open_refuses_a_folder_that_does_not_exist(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, ["Lee - Notes.txt"])
    frame = open_on(window, folder)
    title = frame.GetTitle()
    FakeDirDialog.path = str(tmp_path / "nested2000" / "Shelf")
    frame.on_open(None)
    assert FakeMessageDialog.shown()[-1]["message"] == (
        f"There is no folder {tmp_path}/nested2000/Shelf.\n\nStill working in {folder}.")
    assert (frame.cfg.location, frame.GetTitle()) == (str(folder), title)
    assert [row.name for row in fileitem.nodes.values()] == ["Lee - Notes.txt"]


def gone(folder):
    os.rename(folder, folder.parent / "moved")
    return "No such file or directory"


def link_loop(folder):
    shutil.rmtree(folder)
    os.symlink(folder.parent / "loop", folder)
    os.symlink(folder, folder.parent / "loop")
    return "Too many levels of symbolic links"


@pytest.mark.parametrize("change", [gone, link_loop])
def test_a_folder_that_cannot_be_read_since_it_was_opened_is_named_on_refresh(window, tmp_path, change):
    folder = tmp_path / "library"
    make(folder, ["Lee - Notes.txt"])
    frame = open_on(window, folder)
    reason = change(folder)
    frame.refresh()
    assert [d["message"] for d in FakeMessageDialog.shown()] == ["No files matching * found"]
    assert frame.GetStatusBar().GetStatusText() == f"0 files loaded; could not read {folder} ({reason})"
    assert list(fileitem.nodes.values()) == []


# The walk stops after MAX_FILES files, matching or not: here after 6 of
# the 7 in the folder (in the order the folder lists them), before the
# subfolder.
@pytest.mark.parametrize("pattern, rows, told", [
    ("Lee*", 0, ["No files matching Lee* found",
                 "The reading stopped after 5 files in {folder}, so files matching Lee* may be "
                 "further on, not shown."]),
    ("*", 6, []),
])
def test_a_walk_stopped_at_its_limit_says_that_names_may_be_missing(window, tmp_path, monkeypatch,
                                                                     pattern, rows, told):
    monkeypatch.setattr(dirscan, "MAX_FILES", 5)
    folder = tmp_path / "library"
    make(folder, [f"a{n}.txt" for n in range(7)] + ["sub/Lee - Notes.txt"])
    frame = window()
    frame.cfg.location = str(folder)
    frame.choices.pattern_ctrl.ChangeValue(pattern)
    frame.choices.folders_box.SetValue(False)
    frame.choices.recursive_box.SetValue(True)
    frame.refresh()
    shown = [row.name for row in fileitem.nodes.values()]
    assert (len(shown), all(name.startswith("a") for name in shown)) == (rows, True)
    assert [d["message"] for d in FakeMessageDialog.shown()] == [t.format(folder=folder) for t in told]
    assert frame.GetStatusBar().GetStatusText() == (
        f"{'Maximum number of ' if rows > 5 else ''}{rows} files loaded; the reading stopped after "
        f"5 files, any further in {folder} "
        "are not shown")


def test_a_walk_past_its_limit_at_its_very_last_name_misses_nothing_and_says_nothing(window, tmp_path,
                                                                                  monkeypatch):
    monkeypatch.setattr(dirscan, "MAX_FILES", 5)
    folder = tmp_path / "library"
    make(folder, [f"a{n}.txt" for n in range(6)])
    frame = window()
    frame.cfg.location = str(folder)
    frame.choices.folders_box.SetValue(False)
    frame.choices.recursive_box.SetValue(True)
    frame.refresh()
    assert len(fileitem.nodes) == 6 and FakeMessageDialog.shown() == []
    assert frame.GetStatusBar().GetStatusText() == "Maximum number of 6 files loaded"


def test_folders_left_out_of_the_tree_are_named_three_at_most(window, tmp_path, monkeypatch):
    folder = tmp_path / "library"
    make(folder, ["Lee - Notes.txt"])
    skipped = [(f"{folder}/locked {n}", "Permission denied") for n in range(5)]

    class TreeMissingFolders(dirscan.Filetree):
        def get_names(self):
            names = super().get_names()
            self.unreadable_folders = skipped
            return names

    monkeypatch.setattr(dirscan, "Filetree", TreeMissingFolders)
    frame = open_on(window, folder)
    assert frame.GetStatusBar().GetStatusText() == (
        f"1 files loaded; could not read {folder}/locked 0 (Permission denied), {folder}/locked 1 "
        f"(Permission denied), {folder}/locked 2 (Permission denied) and 2 more")
    assert [row.name for row in fileitem.nodes.values()] == ["Lee - Notes.txt"]


@pytest.mark.parametrize("name, label, proposal, renamed", [
    (b"Bad\xff\xfeName - x.txt", "Bad\\xff\\xfeName - x.txt", "x ~ Bad\\xff\\xfeName.txt",
     b"x ~ Bad\xff\xfeName.txt"),
    (b"C:\\x90\xe9 - y.txt", "C:\\\\x90\\xe9 - y.txt", "y ~ C:\\\\x90\\xe9.txt", b"y ~ C:\\x90\xe9.txt"),
    (b"Lee\nNotes - z.txt", "Lee\\x0aNotes - z.txt", "z ~ Lee\\x0aNotes.txt", b"z ~ Lee\nNotes.txt"),
])
def test_proposals_made_while_typing_stay_readable_and_exact(window, tmp_path, name, label, proposal,
                                                             renamed):
    folder = tmp_path / "library"
    folder.mkdir()
    open(os.path.join(os.fsencode(folder), name), "w").close()
    frame = open_on(window, folder)
    frame.choices.target_ctrl.ChangeValue("b ~ a")
    frame.preview.repropose()
    row = list(fileitem.nodes.values())[0]
    assert (row.checkbox.GetLabel(), row.proposed.GetValue()) == (label, proposal)
    assert not row.edited
    frame.select(wx.CHK_CHECKED)
    frame.execute()
    assert os.listdir(os.fsencode(folder)) == [renamed]
