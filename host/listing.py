"""Dialogs that list what a batch will do to the disk and act only on OK:
the renames of Execute and the restorations of Undo."""

import os

import wx

from readable import controls_written, readable

LISTED_AT_MOST = 25  # entries a report names before it says how many more


def rename_line(entry):
    return f"{entry['path']}  \u2192  {entry['new']}"


def restore_line(entry):
    """The old name first: "old ← new", both relative to the folder."""
    old = os.path.join(os.path.dirname(entry["path"]), entry["new"])
    return f"{old}  \u2190  {entry['path']}"


def describe(entries, status, line_of=rename_line, at_most=LISTED_AT_MOST):
    """Lines for the entries of one status; past `at_most` (None: no end)
    one line says how many more."""
    chosen = [e for e in entries if e["status"] == status]
    shown = chosen if at_most is None else chosen[:at_most]
    lines = []
    for entry in shown:
        line = line_of(entry)
        lines.append(f"{line}: {entry['reason']}" if entry["reason"] else line)
    if len(chosen) > len(shown):
        lines.append(f"... and {len(chosen) - len(shown)} more")
    # Control characters written as undecodable bytes are: one entry, one line.
    return [controls_written(readable(line)) for line in lines]


class ListingDialog(wx.Dialog):
    """A read-only listing with OK and Cancel; OK is off when there is
    nothing to carry out."""

    def __init__(self, parent, title, lines, actionable):
        super().__init__(parent, title=title,
                         style=wx.DEFAULT_DIALOG_STYLE | wx.RESIZE_BORDER)
        sizer = wx.BoxSizer(wx.VERTICAL)
        listing = wx.TextCtrl(self, value="\n".join(lines), size=(640, 320),
                              style=wx.TE_MULTILINE | wx.TE_READONLY | wx.TE_DONTWRAP)
        sizer.Add(listing, 1, wx.EXPAND | wx.ALL, 10)
        buttons = self.CreateStdDialogButtonSizer(wx.OK | wx.CANCEL)
        if not actionable:
            self.FindWindowById(wx.ID_OK).Disable()
        sizer.Add(buttons, 0, wx.EXPAND | wx.ALL, 10)
        self.SetSizerAndFit(sizer)


# What else an entry can be before OK, under the heading its section gets.
LEFT_ALONE = (("refused", "Refused"), ("failed", "Out of reach for now"), ("back", "Back already"))


def names(count):
    return "1 name" if count == 1 else f"{count} names"


def with_refusals(head, entries, line_of):
    """Every entry, to be done, refused, out of reach or back already: OK
    does what is listed, all of it and nothing else."""
    to_do = sum(e["status"] == "rename" for e in entries)
    lines = [head(to_do)] + describe(entries, "rename", line_of, at_most=None)
    for status, heading in LEFT_ALONE:
        count = sum(e["status"] == status for e in entries)
        if count:
            lines += ["", f"{heading} ({count}):"] + describe(entries, status, line_of, at_most=None)
    return to_do, lines


class RenameDialog(ListingDialog):
    """The renames of a plan, and what would be refused and why."""

    def __init__(self, parent, entries):
        to_do, lines = with_refusals(lambda n: f"Rename {n} of {len(entries)}:", entries,
                                     rename_line)
        super().__init__(parent, "Execute renames", lines, to_do > 0)


class UndoDialog(ListingDialog):
    """What undoing a batch of `folder` (the latest, unless the title names
    another; the whole of it, unless `whole` is false) would restore, and
    refuse."""

    def __init__(self, parent, folder, entries, title="Undo last rename", whole=True):
        # With every name of the batch back already, OK renames nothing but
        # settles the batch, so that Undo goes on to the one before it.
        all_back = bool(entries) and all(e["status"] == "back" for e in entries)
        settles = all_back and whole

        def head(to_do):
            if settles:
                return readable(f"Nothing is left to restore in {folder}: every name is back "
                                "already.\nOK marks the batch undone, so that Undo goes on to the "
                                "batch before it.")
            if all_back:
                return readable(f"Nothing is left to restore in {folder}: the names chosen are "
                                "back already.")
            return readable(f"Restore {names(to_do)} in {folder}:")
        to_do, lines = with_refusals(head, entries, restore_line)
        super().__init__(parent, title, lines, to_do > 0 or settles)
