"""The renamer's main frame: menus, the options strip, the two panes of the
file tree, Execute and Undo through the rename engine, and a status bar.

A tool derives from `Basewindow`, sets `cfg` and passes its options panel
class and its transformer class; the frame does the rest."""

import os

import wx

import dirscan
import fileitem
import hostkit
import renamer
from preview import Preview
from proposer import Proposer
from rowplan import RowPlan

LISTED_AT_MOST = 25  # entries a report names before it says how many more


def location_of(cfg):
    return os.path.abspath(os.path.expanduser(str(cfg.location)))


def describe(entries, status):
    """Lines for the entries of one status, at most LISTED_AT_MOST of them."""
    chosen = [e for e in entries if e["status"] == status]
    lines = []
    for entry in chosen[:LISTED_AT_MOST]:
        line = f"{entry['path']}  \u2192  {entry['new']}"
        lines.append(f"{line}: {entry['reason']}" if entry["reason"] else line)
    if len(chosen) > LISTED_AT_MOST:
        lines.append(f"... and {len(chosen) - LISTED_AT_MOST} more")
    return lines


class RenameDialog(wx.Dialog):
    """Lists the renames of a plan, and what would be refused and why, and
    asks for confirmation: OK carries them out."""

    def __init__(self, parent, entries):
        super().__init__(parent, title="Execute renames",
                         style=wx.DEFAULT_DIALOG_STYLE | wx.RESIZE_BORDER)
        to_do = sum(e["status"] == "rename" for e in entries)
        refused = len(entries) - to_do
        text = [f"Rename {to_do} of {len(entries)}:"] + describe(entries, "rename")
        if refused:
            text += ["", f"Refused ({refused}):"] + describe(entries, "refused")
        sizer = wx.BoxSizer(wx.VERTICAL)
        listing = wx.TextCtrl(self, value="\n".join(text), size=(640, 320),
                              style=wx.TE_MULTILINE | wx.TE_READONLY | wx.TE_DONTWRAP)
        sizer.Add(listing, 1, wx.EXPAND | wx.ALL, 10)
        buttons = self.CreateStdDialogButtonSizer(wx.OK | wx.CANCEL)
        if not to_do:
            self.FindWindowById(wx.ID_OK).Disable()
        sizer.Add(buttons, 0, wx.EXPAND | wx.ALL, 10)
        self.SetSizerAndFit(sizer)


class Basewindow(wx.Frame):
    def __init__(self, parent, title, choicespanel, transformclass, size):
        super().__init__(parent, title=title, size=size)
        self.transformclass = transformclass
        self.tree = None
        stored_size = getattr(self.cfg, "window_size", None)
        if isinstance(stored_size, list) and len(stored_size) == 2:
            self.SetSize(wx.Size(*stored_size))

        self.CreateStatusBar()
        self._make_menus()
        container = wx.Panel(self)
        self.choices = choicespanel(container, self.cfg, self.refresh, self.execute,
                                    self.untick_all, self.show_progress)
        self.scroller = wx.ScrolledWindow(container, style=wx.VSCROLL | wx.HSCROLL)
        self.scroller.SetScrollRate(10, 10)
        # Both panes live in one scrolled window, so they scroll in step.
        self.left = wx.Panel(self.scroller)
        self.right = wx.Panel(self.scroller)
        self.sizer1, self.sizer2 = wx.GridBagSizer(), wx.GridBagSizer()
        self.left.SetSizer(self.sizer1)
        self.right.SetSizer(self.sizer2)
        panes = wx.BoxSizer(wx.HORIZONTAL)
        panes.Add(self.left, 1, wx.EXPAND)
        panes.Add(self.right, 1, wx.EXPAND)
        self.scroller.SetSizer(panes)
        layout = wx.BoxSizer(wx.VERTICAL)
        layout.Add(self.choices, 0, wx.EXPAND)
        layout.Add(wx.StaticLine(container), 0, wx.EXPAND)
        layout.Add(self.scroller, 1, wx.EXPAND)
        container.SetSizer(layout)
        self.preview = Preview(self, (self.choices.source_ctrl, self.choices.target_ctrl))
        self.Bind(wx.EVT_CLOSE, self.on_close)

    # ---- menus ----

    def _make_menus(self):
        bar = wx.MenuBar()
        menus = [
            ("&File", [("&Open folder...\tCtrl+O", "Choose the folder to work on", self.on_open),
                       None,
                       ("&Quit\tCtrl+Q", "Close the renamer", lambda event: self.Close())]),
            ("&Edit", [("&Undo last rename\tCtrl+Z", "Give the last renamed batch its old names",
                        lambda event: self.undo()),
                       None,
                       ("&Refresh\tF5", "Work out the proposed names again",
                        lambda event: self.refresh()),
                       ("&Execute\tCtrl+E", "Rename the checked rows",
                        lambda event: self.execute())]),
            ("&Select", [("&All\tCtrl+Shift+A", "Check every row",
                          lambda event: self.select(wx.CHK_CHECKED)),
                         ("&None\tCtrl+Shift+N", "Uncheck every row",
                          lambda event: self.select(wx.CHK_UNCHECKED)),
                         ("&Invert\tCtrl+Shift+I", "Check the unchecked rows and uncheck the rest",
                          lambda event: self.invert_selection()),
                         ("&Untick", "Hide every tick mark", lambda event: self.untick_all())]),
            ("&Help", [("&Help\tF1", "How to use the renamer", lambda event: self.on_help(event)),
                       ("&About", "About the renamer", lambda event: self.on_about(event))]),
        ]
        self.menu_items = {}
        for title, entries in menus:
            menu = wx.Menu()
            for entry in entries:
                if entry is None:
                    menu.AppendSeparator()
                    continue
                label, help_text, handler = entry
                item = menu.Append(wx.ID_ANY, label, help_text)
                self.Bind(wx.EVT_MENU, handler, item)
                self.menu_items[label.split("\t")[0].replace("&", "")] = item
            bar.Append(menu, title)
        self.SetMenuBar(bar)

    def on_help(self, event):
        """Replaced by the tool."""

    def on_about(self, event):
        """Replaced by the tool."""

    # ---- the tree ----

    def update_title(self):
        stem = os.path.splitext(hostkit.scriptname())[0]
        self.SetTitle(f"{stem} - {self.cfg.location}")

    def show_progress(self, message):
        self.SetStatusText(message)

    def on_open(self, event):
        dialog = wx.DirDialog(self, "Choose the folder to rename in", location_of(self.cfg),
                              wx.DD_DEFAULT_STYLE | wx.DD_DIR_MUST_EXIST)
        try:
            if dialog.ShowModal() != wx.ID_OK:
                return
            self.cfg.location = dialog.GetPath()
        finally:
            dialog.Destroy()
        self.update_title()
        self.refresh()

    def clear_tree(self):
        self.preview.detach()
        for row in list(fileitem.nodes.values()):
            row.unbind()
        self.tree = None
        for pane, sizer in ((self.left, self.sizer1), (self.right, self.sizer2)):
            sizer.Clear(False)
            pane.DestroyChildren()

    def refresh(self):
        """New proposals: the formats and options as they are now, the folder from disk."""
        self.choices.store_options()
        self.choices.on_refresh()
        transform = self.transformclass(self.cfg)
        problem = transform.validate()
        self.clear_tree()
        if problem:
            self.show_progress(problem)
            self._tell(problem, wx.ICON_WARNING)
            return
        proposer = Proposer(transform)
        tree = dirscan.Filetree(self.left, self.right, self.sizer1, self.sizer2, self.cfg,
                                proposer.propose, self.show_progress)
        tree.build()
        self.tree = tree
        self.preview.attach(tree, proposer)
        self._align_rows(tree)
        self.choices.pattern_ctrl.ChangeValue(self.cfg.pattern or "")
        self.choices.enable_execute()
        self.menu_items["Undo last rename"].Enable(renamer.can_undo(tree.abslocation))
        self.cfg.save()

    def _align_rows(self, tree):
        """Gives each grid row the same height in both panes, so they stay level."""
        for item in self.sizer1.GetChildren():
            row = item.GetPos()[0]
            other = self.sizer2.FindItemAtPosition((row, 1))
            if other is None:
                continue
            height = max(item.GetSizer().CalcMin().height, other.GetSizer().CalcMin().height,
                         tree.row_height)
            item.GetSizer().SetMinSize(wx.Size(-1, height))
            other.GetSizer().SetMinSize(wx.Size(-1, height))
        self.left.Layout()
        self.right.Layout()
        self.scroller.Layout()
        self.scroller.FitInside()

    # ---- selections ----

    def select(self, state):
        if self.tree:
            self.tree.set_all_checkboxes(state)
            self.preview.recheck()
            self.right.Refresh()

    def invert_selection(self):
        if self.tree:
            self.tree.invert_all_selections()
            self.preview.recheck()

    def untick_all(self):
        if self.tree:
            self.tree.untick_all()

    # ---- renaming ----

    def _tell(self, text, icon=wx.ICON_INFORMATION):
        dialog = wx.MessageDialog(self, text, hostkit.scriptname(), wx.OK | icon)
        dialog.ShowModal()
        dialog.Destroy()

    def _report(self, verb, results):
        done = sum(r["status"] == "done" for r in results)
        refused = sum(r["status"] == "refused" for r in results)
        failed = sum(r["status"] == "failed" for r in results)
        summary = f"{verb} {done} of {len(results)}"
        if refused or failed:
            summary += f"; {refused} refused, {failed} failed"
            lines = [summary, ""]
            if refused:
                lines += ["Refused:"] + describe(results, "refused") + [""]
            if failed:
                lines += ["Failed:"] + describe(results, "failed")
            self._tell("\n".join(lines).rstrip(), wx.ICON_WARNING)
        self.show_progress(summary)

    def execute(self):
        """Shows what would be renamed and refused, and renames on confirmation."""
        if not self.tree:
            return
        plan = RowPlan(self.tree.abslocation, self.tree.renames())
        if not plan.rows:
            self._tell("Nothing to rename: check the rows with a tick mark first.")
            return
        dialog = RenameDialog(self, plan.entries)
        try:
            confirmed = dialog.ShowModal() == wx.ID_OK
        finally:
            dialog.Destroy()
        if not confirmed:
            return
        results = plan.apply()
        self.refresh()  # the panes show the disk as it is now
        self._report("Renamed", results)

    def undo(self):
        location = self.tree.abslocation if self.tree else location_of(self.cfg)
        results = renamer.undo(location)
        if results is None:
            self.show_progress("Nothing to undo in " + location)
            return
        self.refresh()
        self._report("Restored", results)

    def on_close(self, event):
        self.cfg.window_size = list(self.GetSize())
        try:
            self.cfg.save()
        except OSError as error:
            print(f"reshaper: the settings could not be saved: {error}")
        self.Destroy()
