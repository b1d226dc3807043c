"""Marks on the rows of the tree: a proposal left alone because the name
does not fit the source format is greyed, one the rename engine would
refuse is shown in the error colour; the reason is the tooltip of the row's
checkbox and proposal.

A row formats itself anew on every change of its checkbox, of its proposal
and of its folder's folding, and so sets its colours back; a marked row
paints its mark after each of those."""

import fileitem
import skins


class MarkedRow(fileitem.Fileitem):
    """A tree row that carries a mark. Rows are built as plain rows by the
    file tree and adopted afterwards (`adopt`)."""

    misfit = ""     # why the name is left alone, while the proposal is the window's own
    refusal = ""    # why the rename engine would refuse the rename
    machine = None  # the proposal the window made, to tell it from a hand edit

    def format_row_rightside(self):
        super().format_row_rightside()
        paint(self)

    @property
    def edited(self):
        """Whether the user has written a proposal of their own."""
        return self.proposed.GetValue() != self.machine

    @property
    def reason(self):
        """What the row's tooltip says: the refusal first, since it is about
        the rename the user has chosen."""
        if self.refusal:
            return self.refusal
        return "" if self.edited else self.misfit


def adopt(row):
    """Makes a plain row a marked one; it keeps everything else it has."""
    row.__class__ = MarkedRow
    row.machine = row.proposed.GetValue()


def set_marks(row, misfit=None, refusal=None):
    """Changes what the row is marked for (None: leave as it is) and paints it
    anew if the mark has changed."""
    before = (row.misfit, row.refusal, row.reason)
    if misfit is not None:
        row.misfit = misfit
    if refusal is not None:
        row.refusal = refusal
    if (row.misfit, row.refusal, row.reason) != before:
        row.format_row_rightside()


def paint(row):
    look = skins.THEME.tree
    proposed = row.proposed
    if row.refusal:
        proposed.SetForegroundColour(look.refused_foreground)
        proposed.SetBackgroundColour(look.refused_background)
    elif row.reason:
        proposed.SetForegroundColour(look.misfit_foreground)
    reason = row.reason
    for widget in (row.checkbox, proposed):
        if reason:
            widget.SetToolTip(reason)
        else:
            widget.UnsetToolTip()
    proposed.Refresh()

