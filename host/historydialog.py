"""Edit -> History...: the batches the journal keeps, newest first, the
renames of the one chosen, and undo of the whole batch or of some of its
files.

The dialog changes nothing on disk itself: it hands the batch (and the
files chosen) to `take_back`, the frame's undo, which lists what would be
restored and refused and acts only on OK. Afterwards the list is read
again, so the states shown are the journal's."""

import os
import time

import wx

from readable import readable

BATCH_COLUMNS = (("Batch", 60), ("Time", 140), ("Folder", 300), ("Renames", 70),
                 ("Done", 60), ("State", 100))
ENTRY_COLUMNS = (("Old name", 330), ("New name", 330))
NOT_UNDOABLE = ("undone",)
MISSING_TOLD = 3  # journals named above the list; the rest are counted


def batch_cells(batch):
    """The texts of one batch's row, in the order of BATCH_COLUMNS."""
    return [str(batch["batch"]), time.strftime("%Y-%m-%d %H:%M", time.localtime(batch["time"])),
            readable(batch["folder"]), str(batch["renames"]), str(batch["done"]), batch["state"]]


def entry_cells(entry):
    old, new = entry
    return [readable(old), readable(os.path.join(os.path.dirname(old), new))]


def make_list(parent, columns, style):
    listed = wx.ListCtrl(parent, style=wx.LC_REPORT | style)
    for number, (title, width) in enumerate(columns):
        listed.InsertColumn(number, title, width=width)
    return listed


def fill(listed, rows):
    listed.DeleteAllItems()
    for cells in rows:
        index = listed.InsertItem(listed.GetItemCount(), cells[0])
        for column, text in enumerate(cells[1:], start=1):
            listed.SetItem(index, column, text)


def selected_rows(listed):
    rows, index = [], listed.GetFirstSelected()
    while index != -1:
        rows.append(index)
        index = listed.GetNextSelected(index)
    return rows


class HistoryDialog(wx.Dialog):
    """`history(folder or None)` gives the batches; `take_back(folder,
    batch, only, parent)` undoes one (only: old paths, or None for all);
    `unreadable(folder or None)` tells of the journals that could not be
    read, whose batches are missing from the list."""

    def __init__(self, parent, folder, history, take_back, unreadable=lambda folder: []):
        super().__init__(parent, title="History of renames",
                         style=wx.DEFAULT_DIALOG_STYLE | wx.RESIZE_BORDER)
        self.folder, self.history, self.take_back = folder, history, take_back
        self.unreadable = unreadable
        self.batches = []
        self.entries = []  # the chosen batch's (old path, new name), by old path
        sizer = wx.BoxSizer(wx.VERTICAL)
        self.every_folder = wx.CheckBox(self, label="Show the batches of every folder")
        self.every_folder.Bind(wx.EVT_CHECKBOX, lambda event: self.reload())
        self.heading = wx.StaticText(self, label="")
        sizer.Add(self.heading, 0, wx.ALL, 10)
        self.missing = wx.StaticText(self, label="")
        self.missing.SetForegroundColour(wx.Colour(0xA0, 0x10, 0x10))
        sizer.Add(self.missing, 0, wx.LEFT | wx.RIGHT | wx.BOTTOM, 10)
        sizer.Add(self.every_folder, 0, wx.LEFT | wx.RIGHT, 10)
        self.batch_list = make_list(self, BATCH_COLUMNS, wx.LC_SINGLE_SEL)
        self.batch_list.SetMinSize((740, 180))
        sizer.Add(self.batch_list, 1, wx.EXPAND | wx.ALL, 10)
        self.entry_title = wx.StaticText(self, label="")
        sizer.Add(self.entry_title, 0, wx.LEFT | wx.RIGHT, 10)
        self.entry_list = make_list(self, ENTRY_COLUMNS, 0)
        self.entry_list.SetMinSize((740, 180))
        sizer.Add(self.entry_list, 1, wx.EXPAND | wx.ALL, 10)
        buttons = wx.BoxSizer(wx.HORIZONTAL)
        self.undo_batch = wx.Button(self, label="Undo &batch...")
        self.undo_files = wx.Button(self, label="Undo &selected files...")
        close = wx.Button(self, wx.ID_CANCEL, label="&Close")
        for button in (self.undo_batch, self.undo_files):
            buttons.Add(button, 0, wx.RIGHT, 10)
        buttons.AddStretchSpacer()
        buttons.Add(close)
        sizer.Add(buttons, 0, wx.EXPAND | wx.ALL, 10)
        self.SetSizerAndFit(sizer)
        self.batch_list.Bind(wx.EVT_LIST_ITEM_SELECTED, lambda event: self.show_entries())
        self.batch_list.Bind(wx.EVT_LIST_ITEM_DESELECTED, lambda event: self.show_entries())
        self.entry_list.Bind(wx.EVT_LIST_ITEM_SELECTED, lambda event: self.offer())
        self.entry_list.Bind(wx.EVT_LIST_ITEM_DESELECTED, lambda event: self.offer())
        self.undo_batch.Bind(wx.EVT_BUTTON, lambda event: self.undo(whole=True))
        self.undo_files.Bind(wx.EVT_BUTTON, lambda event: self.undo(whole=False))
        self.reload()

    def chosen(self):
        """The batch selected in the list, or None."""
        rows = selected_rows(self.batch_list)
        return self.batches[rows[0]] if rows else None

    def reload(self, keep=None):
        """Reads the journal again; `keep` (a batch) stays selected."""
        every = self.every_folder.GetValue()
        self.heading.SetLabel(readable("Batches renamed in " + ("every folder" if every else self.folder)
                                       + ", newest first:"))
        try:
            self.batches = self.history(None if every else self.folder)
            missing = [problem + "; its batch is not listed." for problem in self.unreadable(
                None if every else self.folder)]
        except OSError as error:  # the journal folder itself
            self.batches, missing = [], [f"the history of renames cannot be read: {error}."]
        self.tell_missing(missing)
        fill(self.batch_list, [batch_cells(batch) for batch in self.batches])
        wanted = [i for i, batch in enumerate(self.batches)
                  if keep and (batch["folder"], batch["batch"]) == keep]
        if wanted:
            self.batch_list.Select(wanted[0])
        self.show_entries()

    def tell_missing(self, missing):
        """Above the list, in red: the first MISSING_TOLD problems, then how
        many more; the dialog grows to show them."""
        if len(missing) > MISSING_TOLD:
            more = len(missing) - MISSING_TOLD
            missing = missing[:MISSING_TOLD] + [
                "1 more journal cannot be read; its batch is not listed." if more == 1 else
                f"{more} more journals cannot be read; their batches are not listed."]
        self.missing.SetLabel("\n".join(readable(text[:1].upper() + text[1:]) for text in missing))
        self.missing.Wrap(self.batch_list.GetMinSize().width)
        self.missing.Show(bool(missing))
        needed, size = self.GetSizer().CalcMin(), self.GetClientSize()
        if needed.height > size.height:
            self.SetClientSize(size.width, needed.height)
        self.Layout()

    def show_entries(self):
        batch = self.chosen()
        self.entries = sorted(batch["entries"]) if batch else []
        if batch is None:
            self.entry_title.SetLabel("Choose a batch to see its renames.")
        else:
            self.entry_title.SetLabel(f"Renames of batch {batch['batch']} ({batch['state']}); "
                                      f"choose files to undo only those:")
        fill(self.entry_list, [entry_cells(entry) for entry in self.entries])
        self.offer()

    def offer(self):
        batch = self.chosen()
        undoable = batch is not None and batch["state"] not in NOT_UNDOABLE
        self.undo_batch.Enable(undoable)
        self.undo_files.Enable(undoable and bool(selected_rows(self.entry_list)))

    def undo(self, whole):
        batch = self.chosen()
        if batch is None:
            return
        only = None if whole else [self.entries[row][0] for row in selected_rows(self.entry_list)]
        self.undo_batch.Disable()  # one undo at a time, also while the tree is read again
        self.undo_files.Disable()
        try:
            self.take_back(batch["folder"], batch["batch"], only, self)
        finally:
            if self:
                self.reload(keep=(batch["folder"], batch["batch"]))
