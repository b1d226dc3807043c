"""The renamer's main frame: menus, the options strip, the two panes of the
file tree, Execute and Undo through the rename engine, and a status bar.

A tool derives from `Basewindow`, sets `cfg` and passes its options panel
class and its transformer class; the frame does the rest."""

import os

import wx

import dirscan
import fieldundo
import fileitem
import hostkit
import journallimits
import renamer
import windowfit
from buildguard import BuildCancelled, BuildGuard
from errorreport import HandlerErrors
from historydialog import HistoryDialog
from listing import RenameDialog, UndoDialog, describe
from messagebox import show_message
from treepanes import make_panes
from preview import Preview
from proposer import Proposer
from readable import readable, show_rows_readably
from rowplan import RowPlan
from settingsreport import SettingsReport

STATUS_WIDTHS = [-1, 240]  # the message; what the frame is busy with
BUILDING = "Reading the folder; Esc cancels"
CANCELLED = "Cancelled: the folder was not read to the end (Refresh reads it again)"


SELECT_KEYS = {ord("A"): "All", ord("N"): "None", ord("I"): "Invert"}  # with Ctrl+Shift


def location_of(cfg):
    return os.path.abspath(os.path.expanduser(str(cfg.location)))


def confirmed(dialog):
    """Whether the user pressed OK in the modal `dialog`, which is gone afterwards."""
    try:
        return dialog.ShowModal() == wx.ID_OK
    finally:
        dialog.Destroy()


def window_size(stored, room):
    """The window size kept in the settings, no larger than `room` (the
    screen's, so that nothing of the window is out of reach), or None when
    what is kept there is not two whole numbers of pixels a window can have."""
    if not (isinstance(stored, list) and len(stored) == 2):
        return None
    if not all(type(side) is int and 100 <= side <= 100000 for side in stored):
        return None
    return wx.Size(min(stored[0], room.width), min(stored[1], room.height))


def screen_room(window):
    """The room the desktop leaves for windows on the screen of `window`."""
    shown_on = wx.Display.GetFromWindow(window)
    return wx.Display(shown_on if shown_on != wx.NOT_FOUND else 0).GetClientArea().GetSize()


class Basewindow(wx.Frame):
    def __init__(self, parent, title, choicespanel, transformclass, size):
        super().__init__(parent, title=title, size=size)
        self.transformclass = transformclass
        self.tree = None
        self.guard = BuildGuard()
        HandlerErrors(self)
        self.settings = SettingsReport(self._tell_later)
        limits = journallimits.read(self.cfg)  # its problems are told with the file's
        self.settings.loaded(self.cfg)
        journallimits.prune(limits, self._tell_later)
        stored_size = window_size(getattr(self.cfg, "window_size", None), screen_room(self))
        if stored_size:
            self.SetSize(stored_size)

        self.CreateStatusBar(len(STATUS_WIDTHS))
        self.SetStatusWidths(STATUS_WIDTHS)
        self._make_menus()
        container = wx.Panel(self)
        self.choices = choicespanel(container, self.cfg, self.refresh, self.execute,
                                    self.untick_all, self.show_progress)
        panes = make_panes(container)
        self.scroller, self.left, self.right = panes.scroller, panes.left, panes.right
        self.sizer1, self.sizer2 = panes.sizer1, panes.sizer2
        layout = wx.BoxSizer(wx.VERTICAL)
        layout.Add(self.choices, 0, wx.EXPAND)
        layout.Add(wx.StaticLine(container), 0, wx.EXPAND)
        layout.Add(self.scroller, 1, wx.EXPAND)
        container.SetSizer(layout)
        self.choices.cancel_button.Bind(wx.EVT_BUTTON, lambda event: self.cancel_build())
        windowfit.let_fields_grow(self.choices)
        windowfit.keep_strip_visible(self, self.choices)
        self.preview = Preview(self, (self.choices.source_ctrl, self.choices.target_ctrl))
        self.Bind(wx.EVT_CLOSE, self.on_close)
        self.Bind(wx.EVT_CHAR_HOOK, self.on_key)

    # ---- menus ----

    def _make_menus(self):
        bar = wx.MenuBar()
        menus = [
            ("&File", [("&Open folder...\tCtrl+O", "Choose the folder to work on", self.on_open),
                       None,
                       ("&Quit\tCtrl+Q", "Close the renamer", lambda event: self.Close())]),
            ("&Edit", [("&Undo last rename\tCtrl+Z", "Give the last renamed batch its old names",
                        lambda event: self.undo()),
                       ("&History...\tCtrl+H", "List the renamed batches and undo any of them",
                        lambda event: self.show_history()),
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
        self.SetTitle(readable(f"{stem} - {self.cfg.location}"))

    def show_progress(self, message):
        self.SetStatusText(readable(message or ""))

    def _build_progress(self, message):
        """The tree's progress callable: where a cancelled build ends."""
        self.guard.check()
        self.show_progress(message)

    def on_key(self, event):
        """Escape cancels a build; in a text field Ctrl+Z undoes the typing
        there (and never reaches the menu's Undo, which changes the disk),
        and the Select menu's keys select, which the field would take for
        its own (Ctrl+Shift+A unselects its text)."""
        field = event.GetEventObject()
        if event.GetKeyCode() == wx.WXK_ESCAPE and self.guard.running:
            self.cancel_build()
            return
        if isinstance(field, wx.TextCtrl):
            selection = SELECT_KEYS.get(event.GetKeyCode())
            if selection and event.GetModifiers() == wx.MOD_CONTROL | wx.MOD_SHIFT:
                self.ProcessEvent(wx.CommandEvent(wx.wxEVT_MENU, self.menu_items[selection].GetId()))
                return
        if isinstance(field, wx.TextCtrl) and field.IsEditable():
            if event.GetKeyCode() == ord("Z") and event.GetModifiers() == wx.MOD_CONTROL:
                fieldundo.undo(field)
                return
            fieldundo.remember(field)
        event.Skip()

    def cancel_build(self):
        self.guard.cancel()

    def on_open(self, event):
        self.guard.when_idle(self._open)

    def _open(self):
        current = location_of(self.cfg)
        dialog = wx.DirDialog(self, "Choose the folder to rename in", current,
                              wx.DD_DEFAULT_STYLE | wx.DD_DIR_MUST_EXIST)
        try:
            if dialog.ShowModal() != wx.ID_OK:
                return
            chosen = dialog.GetPath()
        finally:
            dialog.Destroy()
        if not os.path.isdir(chosen):
            self._tell(f"There is no folder {chosen}.\n\nStill working in {current}.",
                       wx.ICON_WARNING)
            return
        self.cfg.location = chosen
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
        """New proposals: the formats and options as they are now, the folder
        from disk. Asked for during a build, it ends that build and starts
        afresh; then the commands that waited for the build run."""
        if self.guard.running:
            self.guard.cancel(restart=True)
            return
        while not self.guard.run(self._build) and self.guard.restart_asked():
            pass
        self.guard.run_waiting()

    def _build(self):
        pattern_read = self.choices.pattern_ctrl.GetValue()
        self.choices.store_options()
        self.choices.on_refresh()
        transform = self.transformclass(self.cfg)
        problem = transform.validate()
        self.clear_tree()
        self.choices.disable_execute()
        if problem:
            self.show_progress(problem)
            self._tell(problem, wx.ICON_WARNING)
            return
        proposer = Proposer(transform)
        self._show_building(True)
        try:
            tree = dirscan.Filetree(self.left, self.right, self.sizer1, self.sizer2, self.cfg,
                                    proposer.propose, self._build_progress)
            tree.build()
        except BaseException as error:
            self.clear_tree()  # rows of a build that never ended are no tree
            self.show_progress(CANCELLED if isinstance(error, BuildCancelled) else "")
            raise
        finally:
            self._show_building(False)
        self.tree = tree
        self._note_unreadable(tree.unreadable_folders)
        if tree.stopped_at_limit:
            self._note_limit(tree)
        show_rows_readably(fileitem.nodes.values())  # before the preview takes the proposals
        self.preview.attach(tree, proposer)
        self._align_rows(tree)
        # A pattern typed since the build began waits for Refresh, and
        # Execute with it, as after any typing of a pattern.
        if self.choices.pattern_ctrl.GetValue() == pattern_read:
            self.choices.pattern_ctrl.ChangeValue(self.cfg.pattern or "")  # the pattern the tree filled in
            self.choices.enable_execute()
        self._offer_undo()
        self.settings.save(self.cfg)

    def _note_unreadable(self, folders, named=3):
        """The tree leaves out the folders it could not read: the status bar
        says which, after the count of files loaded."""
        if not folders:
            return
        told = ", ".join(f"{path} ({reason})" for path, reason in folders[:named])
        if len(folders) > named:
            told += f" and {len(folders) - named} more"
        self.show_progress(f"{self.GetStatusBar().GetStatusText()}; could not read {told}")

    def _note_limit(self, tree):
        """The walk stops after so many names of the kind shown, matching the
        pattern or not: what it never reached is not shown, and a tree with
        no rows does not mean that nothing matches."""
        kind = "folders" if self.cfg.folders else "files"
        stopped = f"the reading stopped after {dirscan.MAX_FILES} {kind}"
        self.show_progress(f"{self.GetStatusBar().GetStatusText()}; {stopped}, "
                           f"any further in {tree.abslocation} are not shown")
        if not fileitem.nodes:
            self._tell(f"{stopped[:1].upper()}{stopped[1:]} in {tree.abslocation}, so "
                       f"{kind} matching {self.cfg.pattern} may be further on, not shown.",
                       wx.ICON_WARNING)

    def _show_building(self, running):
        self.SetStatusText(BUILDING if running else "", 1)
        self.choices.cancel_button.Enable(running)

    def _offer_undo(self):
        """Undo is offered only when the latest batch changed something."""
        self.menu_items["Undo last rename"].Enable(renamer.can_undo(self._location()))

    def _align_rows(self, tree):
        """Gives each grid row the same height in both panes, so they stay
        level. The height goes to each row's marker, not to its sizer: a row
        hidden under a collapsed folder then takes no room at all."""
        for item in self.sizer1.GetChildren():
            row = item.GetPos()[0]
            other = self.sizer2.FindItemAtPosition((row, 1))
            if other is None:
                continue
            height = max(item.GetSizer().CalcMin().height, other.GetSizer().CalcMin().height,
                         tree.row_height)
            for sizer in (item.GetSizer(), other.GetSizer()):
                marker = sizer.GetItem(0).GetWindow()
                marker.SetMinSize(wx.Size(marker.GetMinSize().width, height))
        self.left.Layout()
        self.right.Layout()
        self.scroller.Layout()
        self.scroller.FitInside()

    # ---- selections ----

    def select(self, state):
        self.guard.when_idle(lambda: self._on_tree(lambda tree: tree.set_all_checkboxes(state)))

    def invert_selection(self):
        self.guard.when_idle(lambda: self._on_tree(lambda tree: tree.invert_all_selections()))

    def untick_all(self):
        self.guard.when_idle(lambda: self._on_tree(lambda tree: tree.untick_all(),
                                                   recheck=False))

    def _on_tree(self, command, recheck=True):
        if self.tree:
            command(self.tree)
            if recheck:
                self.preview.recheck()
            self.right.Refresh()

    # ---- renaming ----

    def _tell(self, text, icon=wx.ICON_INFORMATION):
        show_message(self, readable(text), hostkit.scriptname(), icon)

    def _tell_later(self, text, icon=wx.ICON_WARNING):
        """From the event loop: for what is found before the window shows."""
        wx.CallAfter(lambda: self and self._tell(text, icon))

    def _report(self, verb, results, about_refused=""):
        """The counts in the status bar; what was refused or failed, and why,
        in a message, with `about_refused` (what may be done about it)."""
        done, refused, failed, back = (sum(r["status"] == status for r in results)
                                       for status in ("done", "refused", "failed", "back"))
        summary = f"{verb} {done} of {len(results)}"
        if back:  # an undo found them at their old names: nothing was done to them
            summary += f"; {back} back already"
        if refused or failed:
            summary += f"; {refused} refused, {failed} failed"
            lines = [summary, ""]
            if refused:
                lines += ["Refused:"] + describe(results, "refused") + [""]
                if about_refused:
                    lines += [about_refused, ""]
            if failed:
                lines += ["Failed:"] + describe(results, "failed")
            self._tell("\n".join(lines).rstrip(), wx.ICON_WARNING)
        self.show_progress(summary)

    def execute(self):
        self.guard.when_idle(self._execute)

    def _execute(self):
        """Shows what would be renamed and refused, and renames on confirmation."""
        self.preview.flush()  # formats typed a moment ago count: the dialog lists their proposals
        if not self.tree:
            self.show_progress("Nothing to rename: no folder has been read")
            return
        plan = RowPlan(self.tree.abslocation, self.tree.renames())
        if not plan.rows:
            self._tell("Nothing to rename: check the rows with a tick mark first.")
            return
        if not confirmed(RenameDialog(self, plan.entries)):
            return
        results = plan.apply()
        self.refresh()  # the panes show the disk as it is now
        self._report("Renamed", results)
        if plan.journal_problem:
            self._tell(f"The renames reported done were carried out, and Undo finds them, but "
                       f"{plan.journal_problem}.", wx.ICON_WARNING)

    def undo(self):
        self.guard.when_idle(lambda: self._take_back(self._location()))

    def _location(self):
        return self.tree.abslocation if self.tree else location_of(self.cfg)

    def show_history(self):
        self.guard.when_idle(self._show_history)

    def _show_history(self):
        dialog = HistoryDialog(self, self._location(), renamer.history, self.take_back,
                               renamer.unreadable_journals)
        try:
            dialog.ShowModal()
        finally:
            dialog.Destroy()

    def take_back(self, folder, batch, only=None, parent=None):
        """Undoes batch `batch` of `folder`, or of it the entries whose old
        paths are in `only`, as Undo does the latest."""
        self.guard.when_idle(lambda: self._take_back(folder, batch, only, parent))

    def _take_back(self, location, batch=None, only=None, parent=None):
        """Lists what undoing the batch (the latest when None) would restore
        and refuse, and restores on confirmation."""
        chosen = {} if batch is None else {"batch": batch, "only": only}
        title = "Undo last rename" if batch is None else f"Undo batch {batch}"
        here = self._location()
        if batch is not None and not os.path.isdir(location) and os.path.isdir(here):
            # Its folder is gone: moved or renamed, perhaps to the one on show.
            # Its entries are found there by what they are; in a folder they
            # never were in, all of them are refused, and OK does nothing.
            title = f"Undo batch {batch} in {here} (its folder {location} is gone)"
            location = here
        plan = self._undo_or_tell(lambda: renamer.undo_plan(location, **chosen))
        if plan is False:
            return
        if plan is None:
            self.show_progress("Nothing to undo in " + location)
            self._offer_undo()
            return
        if not confirmed(UndoDialog(parent or self, location, plan.entries, title=title,
                                    whole=only is None)):
            return
        journal_problems = []
        # The batch shown and none other, even if another undo came first.
        results = self._undo_or_tell(lambda: plan.apply(on_journal_problem=journal_problems.append))
        if results is False:
            return
        if results is None:
            self.show_progress("Nothing to undo in " + location)
            return
        self.refresh()
        self._report("Restored", results, "History keeps the batch, to undo it again for these "
                                          "once they can come back.")
        for problem in journal_problems:
            self._tell(f"The names reported restored are back, but {problem}, so Undo may offer "
                       f"the batch again.", wx.ICON_WARNING)

    def _undo_or_tell(self, undo):
        """What `undo()` gives, or False once a journal or folder that keeps
        it from starting is told in the engine's own words."""
        try:
            return undo()
        except OSError as error:
            self._tell(f"Nothing was undone: {error}.", wx.ICON_ERROR)
            return False

    def on_close(self, event):
        if self.guard.running and event.CanVeto():
            # Quit ends the build first: its rows must not go while it runs.
            event.Veto()
            self.guard.cancel()
            self.guard.when_idle(self.Close)
            return
        self.cfg.window_size = list(self.GetSize())
        self.settings.save(self.cfg)
        self.Destroy()
