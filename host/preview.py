"""The preview a user can rely on without reading every row: the rows of
the tree on show are kept marked and proposed as the user works.

- After a build, every row whose name does not fit the source format is
  marked as such (rowmarks).
- After every build, hand edit, checkbox click and Select command, the
  checked and ticked renames go through the plan Execute uses (rowplan);
  what it would refuse is flagged, and the status bar counts it.
- While the user types a format, the proposals, ticks and marks follow
  after a short pause, on the same rows; proposals edited by hand stay.
  Nothing is written to the settings: Refresh does that."""

import types

import wx

import fileitem
import rowmarks
from proposer import Proposer
from readable import readable
from rowplan import RowPlan

TYPING_PAUSE_MS = 150
TICK_MARK, NO_TICK = "\u221a", " "  # as a row shows whether it proposes a change


def rows():
    """The rows of the tree on show, in creation order."""
    return list(fileitem.nodes.values())


class Preview:
    def __init__(self, frame, format_fields):
        """`frame`: the main frame (its tree, transformer class, settings and
        status bar); `format_fields`: the source and target format fields."""
        self.frame = frame
        self.tree = None
        self.format_fields = format_fields
        self._typing = None  # the pause after the last key, while it lasts
        self._recheck_due = False
        self._counted = False  # whether the status bar shows the count, not the build's line
        for field in format_fields:
            field.Bind(wx.EVT_TEXT, self._on_format_typed)

    # ---- the tree's life ----

    def attach(self, tree, proposer):
        """Takes on the rows `tree` has just built with `proposer`'s proposals."""
        self.tree = tree
        self._counted = False
        for row in rows():
            rowmarks.adopt(row)
            rowmarks.set_marks(row, misfit=proposer.misfit(row))
            row.checkbox.Bind(wx.EVT_CHECKBOX, self._on_row_changed)
            row.proposed.Bind(wx.EVT_TEXT, self._on_row_changed)
        self.recheck()

    def detach(self):
        """The tree is about to go: nothing is done to its rows any more."""
        self.tree = None

    # ---- conflicts ----

    def _on_row_changed(self, event):
        event.Skip()  # the row's own handler ticks and formats it first
        if not self._recheck_due:
            self._recheck_due = True
            wx.CallAfter(self._recheck_when_due)

    def _recheck_when_due(self):
        self._recheck_due = False
        if self.frame:  # not closed meanwhile
            self.recheck()

    def recheck(self):
        """Flags the checked and ticked renames that Execute would refuse."""
        if not self.tree:
            return
        plan = RowPlan(self.tree.abslocation, self.tree.renames())
        refusals = plan.refusals()
        for row in rows():
            rowmarks.set_marks(row, refusal=refusals.get(row, ""))
        if refusals:
            count = f"{len(refusals)} of {len(plan.rows)} renames would be refused"
        elif plan.rows:
            count = f"{len(plan.rows)} renames checked, none would be refused"
        elif self._counted:
            count = "No renames checked"
        else:
            return  # the build's own line stays until there is something to count
        self._counted = True
        self.frame.show_progress(count)

    # ---- typing ----

    def _on_format_typed(self, event):
        event.Skip()
        if self._typing and self._typing.IsRunning():
            self._typing.Restart(TYPING_PAUSE_MS)
        else:
            self._typing = wx.CallLater(TYPING_PAUSE_MS, self.repropose)

    def flush(self):
        """Re-proposes now if typing has left a pause running."""
        if self._typing and self._typing.IsRunning():
            self._typing.Stop()
            self.repropose()

    def repropose(self):
        """Proposes anew by the formats as they are typed now, on the same
        rows. A format field left empty waits for Refresh to fill it in."""
        source, target = (field.GetValue().strip() for field in self.format_fields)
        if not (self.tree and source and target):
            return
        settings = types.SimpleNamespace(source_format=source, target_format=target,
                                         reversed_names=self.frame.cfg.reversed_names)
        transform = self.frame.transformclass(settings)
        if transform.validate():
            return
        proposer = Proposer(transform)
        for row in rows():
            if row.edited:
                continue
            proposal, misfit = proposer.review(row)
            shown = readable(proposal, escaping=getattr(row, "shown_readably", False))
            if shown != row.machine:
                row.machine = shown
                row.proposed.ChangeValue(shown)  # no text event: this is no hand edit
                row.ticked = bool(proposal) and proposal != row.name
                row.tick.SetValue(TICK_MARK if row.ticked else NO_TICK)
            rowmarks.set_marks(row, misfit=misfit)
        self.recheck()
