"""How long the window takes to follow a typed format, against a Refresh
that builds the rows anew: the re-proposal of 501 rows on the same widgets
(proposals, ticks, fit marks and the conflict check of every checked row).
Run under a display: bench/preview."""

import os
import shutil
import tempfile

import common
import wx

import dirscan
import reshaper

RUNS = 5
TARGETS = ["c - b a", "b a - c"]  # typed in turn, so every run changes every proposal


def main():
    dirscan.TIMING = False
    work = tempfile.mkdtemp(prefix="bench-preview-")
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")
    try:
        folder = os.path.join(work, "flat")
        common.make_files(folder, common.corpus(501))
        frame = reshaper.Reshaper(None)
        frame.cfg.location = folder
        frame.cfg.source_format, frame.cfg.target_format = "a, b - c", TARGETS[0]
        frame.choices.source_ctrl.SetValue("a, b - c")
        frame.choices.folders_box.SetValue(False)
        frame.Show()
        built = common.median_of(RUNS, frame.refresh)
        frame.select(wx.CHK_CHECKED)
        typed = iter(TARGETS * RUNS)

        def type_next():
            frame.choices.target_ctrl.ChangeValue(next(typed))
        reproposed = common.median_of(RUNS, frame.preview.repropose, type_next)
        frame.Destroy()
        common.report("bench/preview: following a typed format", "501 files, every row checked",
                      [("Refresh: rows built anew", built, None),
                       ("typed format: the same rows proposed anew", reproposed, built)])
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    app = reshaper.app
    main()
