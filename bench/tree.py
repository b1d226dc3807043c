"""How long the file tree takes to show a folder, against the floor: the
same widgets, of the same kinds, in the same sizers, with nothing around
them. Run under a display: bench/tree."""

import os
import shutil
import tempfile

import common  # noqa: F401  (paths)
import wx

import dirscan
import reshaper
import fileitem
import treepanes

RUNS = 5


class Panes:
    def __init__(self):
        self.frame = wx.Frame(None, size=(900, 700))
        made = treepanes.make_panes(self.frame)
        self.left, self.right = made.left, made.right
        self.sizer1, self.sizer2 = made.sizer1, made.sizer2
        self.frame.Show()

    def close(self):
        fileitem.nodes, fileitem.propnodes = {}, {}
        self.frame.Destroy()
        wx.SafeYield()


def floor(rows, panes):
    """Five bare widgets a row, as a tree row has, in the same sizers."""
    style = wx.BORDER_NONE | wx.TE_READONLY
    for n in range(rows):
        left = wx.BoxSizer(wx.HORIZONTAL)
        left.Add(wx.TextCtrl(panes.left, wx.ID_ANY, " ", size=(10, -1), style=style), 0, wx.ALL, 0)
        left.AddSpacer(15)
        left.Add(wx.CheckBox(panes.left, wx.ID_ANY, f"name {n}", style=wx.CHK_3STATE), 0, wx.ALL, 0)
        panes.sizer1.Add(left, pos=(n, 0), flag=1, border=2)
        right = wx.BoxSizer(wx.HORIZONTAL)
        right.Add(wx.TextCtrl(panes.right, wx.ID_ANY, " ", size=(10, -1), style=style), 0, wx.ALL, 0)
        right.Add(wx.TextCtrl(panes.right, wx.ID_ANY, " ", size=(15, -1), style=style), 0, wx.ALL, 0)
        right.AddSpacer(15)
        right.Add(wx.TextCtrl(panes.right, wx.ID_ANY, f"new {n}", size=(80, -1),
                              style=wx.BORDER_NONE | wx.TE_PROCESS_ENTER), 0, wx.ALL, 0)
        panes.sizer2.Add(right, pos=(n, 1), flag=wx.EXPAND, border=2)
    panes.left.Layout()
    panes.left.Refresh()


def tree(folder, panes):
    cfg = type("Config", (), dict(location=folder, pattern="", folders=False, recursive=True,
                                  source_format="a, b - c", target_format="c - b a",
                                  reversed_names=False))()
    dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2, cfg,
                     reshaper.Reshape(cfg).run, None).build()


def timed(action):
    panes = []

    def setup():
        if panes:
            panes.pop().close()
        panes.append(Panes())
    seconds = common.median_of(RUNS, lambda: action(panes[-1]), setup)
    panes.pop().close()
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
        rows_nested = 450 + 10 + 50
        rows = []
        for label, folder, count in (("501 files in one folder", flat, 501),
                                     ("450 files in 60 nested folders", nested, rows_nested)):
            base = timed(lambda panes: floor(count, panes))
            built = timed(lambda panes: tree(folder, panes))
            rows.append((f"floor: {count} bare rows", base, None))
            rows.append((f"Filetree + build: {label}", built, base))
        common.report("bench/tree: showing a folder", f"medians of {RUNS} runs", rows)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    app = reshaper.app
    main()
