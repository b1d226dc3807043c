"""How long the file tree takes to show a folder, against the floor: the
same widgets, of the same kinds, with the same texts and sizes, in the same
sizers, with nothing around them (no fonts or colours, no handlers, no
rows behind them). Beside it, what the rows' looks cost the toolkit on
their own: the same bare widgets given the theme's fonts and colours once
each, as the tree leaves them, and their markers' text changed once, as a
new row's is. Run under a display: bench/tree."""

import os
import shutil
import statistics
import tempfile
import time

import common  # noqa: F401  (paths)
import wx

import dirscan
import reshaper
import fileitem
import skins
import treepanes

RUNS = 5


class Panes:
    def __init__(self):
        self.frame = wx.Frame(None, size=(900, 700))
        made = treepanes.make_panes(self.frame)
        self.left, self.right = made.left, made.right
        self.sizer1, self.sizer2 = made.sizer1, made.sizer2
        self.frame.Show()
        wx.SafeYield()

    def close(self):
        fileitem.nodes, fileitem.propnodes = {}, {}
        self.frame.Destroy()
        wx.SafeYield()


def tree(folder, panes):
    cfg = type("Config", (), dict(location=folder, pattern="", folders=False, recursive=True,
                                  source_format="a, b - c", target_format="c - b a",
                                  reversed_names=False))()
    dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2, cfg,
                     reshaper.Reshape(cfg).run, None).build()


def shown_rows(folder):
    """What the tree shows for the folder, row by row: indent, name, marker,
    tick, proposal and the width of the proposal's field."""
    panes = Panes()
    tree(folder, panes)
    rows = [(row.indent, row.checkbox.GetLabel(), row.exp1.GetValue(), row.tick.GetValue(),
             row.proposed.GetValue(), row.proposed.GetSize()[0]) for row in fileitem.nodes.values()]
    panes.close()
    return rows


def floor(rows, panes, looks=False):
    """The tree's five widgets a row, bare, in the same sizers; with `looks`,
    each also takes the look the tree gives an unchecked, shown row."""
    style = wx.BORDER_NONE | wx.TE_READONLY
    first_mark = fileitem.MARK_EXPANDED if looks else None
    for n, (indent, name, marker, tick, proposal, width) in enumerate(rows):
        exp1 = wx.TextCtrl(panes.left, wx.ID_ANY, first_mark or marker, size=(10, -1), style=style)
        checkbox = wx.CheckBox(panes.left, wx.ID_ANY, name, style=wx.CHK_3STATE)
        left = wx.BoxSizer(wx.HORIZONTAL)
        left.Add(exp1, 0, wx.ALL, 0)
        left.AddSpacer(15 * indent)
        left.Add(checkbox, 0, wx.ALL, 0)
        panes.sizer1.Add(left, pos=(n, 0), flag=1, border=2)
        exp2 = wx.TextCtrl(panes.right, wx.ID_ANY, first_mark or marker, size=(10, -1), style=style)
        tick_field = wx.TextCtrl(panes.right, wx.ID_ANY, tick, size=(15, -1), style=style)
        proposed = wx.TextCtrl(panes.right, wx.ID_ANY, proposal, size=(width, -1),
                               style=wx.BORDER_NONE | wx.TE_PROCESS_ENTER)
        right = wx.BoxSizer(wx.HORIZONTAL)
        right.Add(exp2, 0, wx.ALL, 0)
        right.Add(tick_field, 0, wx.ALL | wx.EXPAND, 0)
        right.AddSpacer(15 * indent)
        right.Add(proposed, 0, wx.ALL | wx.EXPAND, 0)
        panes.sizer2.Add(right, pos=(n, 1), flag=wx.EXPAND, border=2)
        if looks:
            look = skins.THEME.tree
            for field in (exp1, exp2):
                field.ChangeValue(marker)
            for widget in (exp1, exp2, tick_field):
                styled(widget, look.expanded_font, look.expanded_foreground, look.expanded_background)
            for widget in (checkbox, proposed):
                styled(widget, look.font, look.foreground, look.background)
    panes.left.Layout()
    panes.left.Refresh()


def styled(widget, font, foreground, background):
    widget.SetFont(font)
    widget.SetForegroundColour(foreground)
    widget.SetBackgroundColour(background)


def timed(action):
    """Processor seconds of `action(panes)` on fresh panes, with the events
    it left pending handled."""
    panes = Panes()
    start = time.process_time()
    action(panes)
    wx.SafeYield()
    seconds = time.process_time() - start
    panes.close()
    return seconds


def main():
    dirscan.TIMING = False
    work = tempfile.mkdtemp(prefix="bench-tree-")
    try:
        flat = os.path.join(work, "flat")
        common.make_files(flat, common.corpus(501))
        nested = os.path.join(work, "nested")
        names = common.corpus(450)
        common.make_files(nested, [f"shelf {i % 10}/box {i % 5}/{name}" for i, name in enumerate(names)])
        report = []
        for label, folder in (("501 files in one folder", flat),
                              ("450 files in 60 nested folders", nested)):
            rows = shown_rows(folder)
            # In turns, in this process's processor time, so that other work
            # on the machine meets all three alike.
            turns = [(timed(lambda panes: floor(rows, panes)),
                      timed(lambda panes: floor(rows, panes, looks=True)),
                      timed(lambda panes: tree(folder, panes))) for _ in range(RUNS)]
            base, looks, built = (statistics.median(column) for column in zip(*turns))
            report.append((f"floor: {len(rows)} bare rows", base, None))
            report.append(("  the same, with the tree's looks", looks, base))
            report.append((f"Filetree + build: {label}", built, base))
            report.append(("  against the rows with the same looks", built, looks))
        common.report("bench/tree: showing a folder", f"medians of {RUNS} runs in turns (processor time)",
                      report)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    app = reshaper.app
    main()
