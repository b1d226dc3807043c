"""The history of renames is pruned when the window starts, by two
settings: days kept (90) and batches kept (200); a wrong value is told and
its default used."""

import json
import os

import pytest
import wx

import fileitem
import renamer
from appwindow import FakeMessageDialog, window  # noqa: F401
from disktree import make, snapshot


def settings_file(tmp_path):
    return tmp_path / "config" / "tool" / "settings.json"


def store(tmp_path, settings):
    settings_file(tmp_path).parent.mkdir(parents=True)
    settings_file(tmp_path).write_text(json.dumps(settings))


def three_batches(tmp_path):
    folder = tmp_path / "library"
    make(folder, ["a.txt", "b.txt", "c.txt"])
    for old, new in (("a.txt", "A.txt"), ("b.txt", "B.txt"), ("c.txt", "C.txt")):
        renamer.plan(str(folder), [(old, new)]).apply()
    return folder


def told():
    return [d["message"] for d in FakeMessageDialog.shown()]


@pytest.mark.parametrize("settings, kept", [
    ({}, ["C.txt", "B.txt", "A.txt"]),
    ({"history_batches": 1}, ["C.txt"]),
    ({"history_batches": 0}, []),
    ({"history_days": 1, "history_batches": 2}, ["C.txt", "B.txt"]),
])
def test_batches_beyond_the_limits_leave_at_start(window, tmp_path, settings, kept):
    folder = three_batches(tmp_path)
    on_disk = snapshot(folder)
    store(tmp_path, settings)
    frame = window()
    wx.SafeYield()
    assert [batch["entries"][0][1] for batch in renamer.history()] == kept
    assert snapshot(folder) == on_disk  # pruning forgets, it renames nothing
    assert told() == []
    frame.settings.save(frame.cfg)
    written = json.loads(settings_file(tmp_path).read_text())
    assert (written["history_days"], written["history_batches"]) == (
        settings.get("history_days", 90), settings.get("history_batches", 200))


@pytest.fixture
def pruned(monkeypatch):
    """The limits each prune was asked for."""
    calls = []

    def prune(**limits):
        calls.append(limits)
        return 0
    monkeypatch.setattr(renamer, "prune", prune)
    return calls


@pytest.mark.parametrize("settings, limits", [
    ({}, (90, 200)),
    ({"history_days": 7}, (7, 200)),
    ({"history_days": 0, "history_batches": 5}, (0, 5)),
    # Past any history there is: everything is kept, as asked.
    ({"history_days": 10**20, "history_batches": 10**400}, (10**9, 10**9)),
])
def test_the_engine_prunes_by_the_settings_once_at_start(window, tmp_path, pruned, settings,
                                                         limits):
    store(tmp_path, settings)
    window()
    wx.SafeYield()
    assert pruned == [{"max_age_days": limits[0], "keep": limits[1]}]


@pytest.mark.parametrize("name, value", [
    ("history_days", "ninety"), ("history_days", -1), ("history_days", 1.5),
    ("history_batches", True), ("history_batches", None), ("history_batches", [200]),
])
def test_a_wrong_limit_is_told_and_its_default_used(window, tmp_path, pruned, name, value):
    store(tmp_path, {name: value})
    window()
    wx.SafeYield()
    assert pruned == [{"max_age_days": 90, "keep": 200}]
    default = dict(history_days=90, history_batches=200)[name]
    assert told() == [f"The settings were not read as they are: setting {name!r} in "
                      f"{settings_file(tmp_path)} is {value!r}, not a whole number of 0 or "
                      f"more; using the default {default}."]


def test_a_journal_that_cannot_be_pruned_is_told_and_the_window_goes_on(window, tmp_path):
    journals = renamer.journal_folder()
    os.makedirs(os.path.dirname(journals))
    with open(journals, "w") as in_its_place:
        in_its_place.write("not a folder")
    folder = tmp_path / "library"
    make(folder, ["Lee - Notes.txt"])
    frame = window()
    frame.cfg.location = str(folder)
    frame.choices.folders_box.SetValue(False)
    frame.refresh()
    wx.SafeYield()
    assert told() == ["Old batches were not removed from the history of renames: "
                      f"the journal folder {journals} is not a folder."]
    assert [row.name for row in fileitem.nodes.values()] == ["Lee - Notes.txt"]
    assert not frame.menu_items["Undo last rename"].IsEnabled()
