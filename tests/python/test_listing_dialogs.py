"""The dialogs that list what OK will do: every entry, each on one line of
its own, whatever its name holds; the reports after the fact name the
first ones and count the rest."""

import pytest

import listing


def entry(path, new, status="rename", reason=""):
    return {"path": path, "new": new, "status": status, "reason": reason}


def dialog_text(make):
    import reshaper  # noqa: F401  (the toolkit's application object)
    dialog = make()
    try:
        return dialog.GetChildren()[0].GetValue().split("\n")
    finally:
        dialog.Destroy()


def test_the_rename_dialog_lists_every_entry_however_many():
    entries = [entry(f"Author {n:02d} - Title.txt", f"Title - Author {n:02d}.txt") for n in range(30)]
    entries += [entry(f"Taken {n}.txt", "Same.txt", "refused", "another entry gets the same new name")
                for n in range(27)]
    lines = dialog_text(lambda: listing.RenameDialog(None, entries))
    assert lines[0] == "Rename 30 of 57:"
    assert lines[1:31] == [f"Author {n:02d} - Title.txt  \u2192  Title - Author {n:02d}.txt" for n in range(30)]
    assert lines[31:33] == ["", "Refused (27):"]
    assert len(lines) == 33 + 27 and not any("more" in line for line in lines)


@pytest.mark.parametrize("name, shown", [
    ("Lee - Notes.txt\nKeep.txt", "Lee - Notes.txt\\x0aKeep.txt"),
    ("tab\there", "tab\\x09here"),
    ("bell\x07 and del\x7f", "bell\\x07 and del\\x7f"),
    ("bad\udcff\r", "bad\\xff\\x0d"),
])
def test_a_name_holding_control_characters_stays_on_its_line(name, shown):
    assert dialog_text(lambda: listing.RenameDialog(None, [entry(name, "New.txt")])) == [
        "Rename 1 of 1:", f"{shown}  \u2192  New.txt"]
    assert listing.describe([entry("Old.txt", name, "failed", "why\nnot")], "failed") == [
        f"Old.txt  \u2192  {shown}: why\\x0anot"]


def test_a_report_names_the_first_entries_and_counts_the_rest():
    failed = [entry(f"{n}.txt", f"x{n}.txt", "failed", "gone") for n in range(40)]
    lines = listing.describe(failed, "failed")
    assert lines[:2] == ["0.txt  \u2192  x0.txt: gone", "1.txt  \u2192  x1.txt: gone"]
    assert len(lines) == listing.LISTED_AT_MOST + 1 and lines[-1] == "... and 15 more"


def undo_dialog(entries, whole=True):
    import reshaper  # noqa: F401  (the toolkit's application object)
    import wx
    dialog = listing.UndoDialog(None, "/data", entries, whole=whole)
    try:
        return dialog.GetChildren()[0].GetValue().split("\n"), dialog.FindWindowById(wx.ID_OK).IsEnabled()
    finally:
        dialog.Destroy()


# Each entry under the heading of its status, whatever else there is; OK
# when something is to be restored, or every name is back (OK settles the
# batch) - never for refusals alone.
@pytest.mark.parametrize("statuses, lines, ok, whole", [
    (["rename"], ["Restore 1 name in /data:", "a0  \u2190  b0"], True, True),
    (["rename", "back", "refused", "failed"],
     ["Restore 1 name in /data:", "a0  \u2190  b0", "", "Refused (1):", "a2  \u2190  b2: why 2", "",
      "Out of reach for now (1):", "a3  \u2190  b3: why 3", "", "Back already (1):", "a1  \u2190  b1"], True,
     True),
    (["back", "back"],
     ["Nothing is left to restore in /data: every name is back already.",
      "OK marks the batch undone, so that Undo goes on to the batch before it.", "", "Back already (2):", "a0  \u2190  b0",
      "a1  \u2190  b1"], True, True),
    # Some files of a batch, back already: OK would mark nothing, so there is none.
    (["back"], ["Nothing is left to restore in /data: the names chosen are back already.", "",
                "Back already (1):", "a0  \u2190  b0"], False, False),
    (["back", "refused"],
     ["Restore 0 names in /data:", "", "Refused (1):", "a1  \u2190  b1: why 1", "",
      "Back already (1):", "a0  \u2190  b0"], False, True),
])
def test_the_undo_dialog_lists_each_entry_under_its_status(statuses, lines, ok, whole):
    entries = [entry(f"b{n}", f"a{n}", status, f"why {n}" if status in ("refused", "failed") else "")
               for n, status in enumerate(statuses)]
    assert undo_dialog(entries, whole) == (lines, ok)


@pytest.mark.parametrize("lines, box", [(14, "MessageDialog"), (15, "ListingMessageDialog")])
def test_a_message_of_many_lines_comes_in_a_box_whose_listing_scrolls(monkeypatch, lines, box):
    import wx
    import messagebox
    from fakes import ModalDialog

    class Plain(ModalDialog):
        made = []

    class Listing(ModalDialog):
        made = []
    monkeypatch.setattr(wx, "MessageDialog", Plain)
    monkeypatch.setattr(messagebox, "ListingMessageDialog", Listing)
    message = "Renamed 0 of 40; 40 failed\n\n" + "\n".join(f"{n}.txt: gone" for n in range(lines - 1))
    messagebox.show_message(None, message, "tool.py", wx.ICON_WARNING)
    made = {"MessageDialog": Plain.made, "ListingMessageDialog": Listing.made}
    assert {name: len(m) for name, m in made.items()} == {name: int(name == box) for name in made}
    assert made[box] == [(None, message, "tool.py", wx.OK | wx.ICON_WARNING)]


def test_the_box_of_many_lines_keeps_its_first_words_and_ok_on_the_screen():
    import reshaper  # noqa: F401  (the toolkit's application object)
    import wx
    import messagebox
    listed = "\n".join(f"Author {n:02d} with a name as long as a name gets - Title.txt: gone" * 3
                       for n in range(200))
    dialog = messagebox.ListingMessageDialog(None, "Renamed 0 of 200; 200 failed\n\nFailed:\n" + listed,
                                             "tool.py", wx.OK | wx.ICON_WARNING)
    try:
        texts = [child for child in dialog.GetChildren() if isinstance(child, (wx.StaticText, wx.TextCtrl))]
        assert [t.GetLabel() if isinstance(t, wx.StaticText) else t.GetValue() for t in texts] == [
            "Renamed 0 of 200; 200 failed", "Failed:\n" + listed]
        assert any(isinstance(child, wx.StaticBitmap) for child in dialog.GetChildren())
        room = wx.Display(0).GetClientArea()
        assert dialog.GetSize().height <= room.height and dialog.GetSize().width <= room.width
        assert dialog.FindWindowById(wx.ID_OK)
    finally:
        dialog.Destroy()
