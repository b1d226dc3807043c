"""The main window for a test: a fresh frame on a settings folder of its
own, with every modal dialog replaced by a stand-in that records it."""

import pytest
import wx

import basewindow
import hostkit
import messagebox
import reshaper
from fakes import ModalDialog, Recorder


class FakeMessageDialog(ModalDialog):
    made = []

    @classmethod
    def shown(cls):
        return [{"message": m, "caption": c, "style": s[0] if s else wx.OK}
                for _, m, c, *s in cls.made]


class Confirming(ModalDialog):
    """Stands in for the rename dialog and answers it."""
    made = []

    @classmethod
    def listed(cls):
        return [entries for _, entries in cls.made]


class ConfirmingUndo(ModalDialog):
    """Stands in for the undo dialog and answers it."""
    made = []

    @classmethod
    def listed(cls):
        return [(folder, entries) for _, folder, entries in cls.made]


class ShownHistory(ModalDialog):
    """Stands in for the history dialog: records (folder, history, take_back)."""
    made = []

    @classmethod
    def shown(cls):
        return [args[1:] for args in cls.made]


class FakeDirDialog(ModalDialog):
    """Stands in for the folder chooser; answers with `path`."""
    made = []
    path = ""

    def GetPath(self):
        return type(self).path


@pytest.fixture
def window(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_CONFIG_HOME", str(tmp_path / "config"))
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    monkeypatch.setattr(hostkit, "scriptname", lambda: "tool.py")
    monkeypatch.setattr(wx, "MessageDialog", FakeMessageDialog)
    monkeypatch.setattr(messagebox, "ListingMessageDialog", FakeMessageDialog)
    monkeypatch.setattr(wx, "DirDialog", FakeDirDialog)
    monkeypatch.setattr(basewindow, "RenameDialog", Confirming)
    monkeypatch.setattr(basewindow, "UndoDialog", ConfirmingUndo)
    monkeypatch.setattr(basewindow, "HistoryDialog", ShownHistory)
    monkeypatch.setattr(reshaper, "dprint", Recorder())
    for fake in (FakeMessageDialog, Confirming, ConfirmingUndo, ShownHistory, FakeDirDialog):
        fake.made, fake.answer = [], wx.ID_OK
    frames = []

    def open_window():
        frame = reshaper.Reshaper(None)
        frames.append(frame)
        return frame
    yield open_window
    for frame in frames:
        if frame:
            frame.Destroy()
    wx.SafeYield()
