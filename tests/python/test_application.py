import os
import subprocess
import sys

import pytest
import wx

import basewindow
import hostkit
import reshaper
from disktree import make, moved, snapshot
from appwindow import Confirming, FakeMessageDialog, window  # noqa: F401  (a fixture)
from fakes import Recorder

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def test_title_configuration_and_size(window, tmp_path):
    frame = window()
    assert frame.GetTitle() == "tool - ~"
    assert frame.cfg.filename == str(tmp_path / "config" / "tool" / "settings.json")
    assert [(k, getattr(frame.cfg, k)) for k in (
        "location", "pattern", "folders", "recursive", "source_format", "target_format",
        "delimiter", "reversed_names")] == [
        ("location", "~"), ("pattern", ""), ("folders", True), ("recursive", True),
        ("source_format", "a - b"), ("target_format", "b - a"), ("delimiter", "hyphen"),
        ("reversed_names", False)]
    assert tuple(frame.GetSize()) == (800, 600)
    assert isinstance(frame.choices, reshaper.ReshapePanel)
    assert frame.transformclass is reshaper.Reshape


def test_title_shows_a_stored_folder(window, tmp_path):
    (tmp_path / "config").mkdir()
    (tmp_path / "config" / "tool.json").write_text('{"location": "/data/books"}')
    assert window().GetTitle() == "tool - /data/books"


def panel_row(panel):
    row = panel.main_sizer.GetChildren()[-1]
    assert (row.GetProportion(), row.GetFlag() & wx.ALL, row.GetBorder()) == (0, wx.ALL, 5)
    return [item.GetWindow() for item in row.GetSizer().GetChildren()]


def test_panel_fields_and_texts(window):
    panel = window().choices
    source_label, source, target_label, target = panel_row(panel)
    assert (source_label.GetLabel(), target_label.GetLabel()) == ("Source format:",
                                                                  "Target format:")
    assert (source.GetValue(), target.GetValue()) == ("a - b", "b - a")
    assert source is panel.source_ctrl and target is panel.target_ctrl
    tip = "Specify the components and delimiters of the filename that you want to manipulate"
    assert source_label.GetToolTipText() == source.GetToolTipText() == tip
    assert target.GetToolTipText() == (
        'How the components and delimiters should be rearranged, e.g.\n'
        '    source format "a, b" and target format "b a" would transform\n'
        '         "Smith, John H." to "John H. Smith"')
    assert target_label.GetToolTipText() == target.GetToolTipText()
    assert (panel.target, panel.reversed_names, panel.cfg) == ("", False, panel.config)


def stored_formats(tmp_path, source, target):
    (tmp_path / "config").mkdir(exist_ok=True)
    (tmp_path / "config" / "tool.json").write_text(
        f'{{"source_format": "{source}", "target_format": "{target}"}}')


def test_empty_target_shows_the_source_and_keeps_the_configuration(window, tmp_path):
    stored_formats(tmp_path, "a - b", "")
    frame = window()
    assert frame.choices.target_ctrl.GetValue() == "a - b"
    assert frame.cfg.target_format == ""
    frame.choices.on_refresh()
    assert frame.cfg.target_format == "a - b"


def test_empty_source_becomes_name(window, tmp_path):
    stored_formats(tmp_path, "", "b - a")
    frame = window()
    assert frame.cfg.source_format == "name"
    assert frame.choices.source_ctrl.GetValue() == "name"


@pytest.mark.parametrize("typed, stored, parent_refreshed", [
    (("  a, b ", " b a  "), ("a, b", "b a"), 0),
    (("", ""), ("name", "name"), 1),
    (("x - y", "   "), ("x - y", "x - y"), 1),
])
def test_on_refresh(window, typed, stored, parent_refreshed):
    panel = window().choices
    refreshed = Recorder()
    panel.parent.Refresh = refreshed
    panel.source_ctrl.SetValue(typed[0])
    panel.target_ctrl.SetValue(typed[1])
    panel.on_refresh()
    assert (panel.cfg.source_format, panel.cfg.target_format) == stored
    if parent_refreshed:
        assert (panel.source_ctrl.GetValue(), panel.target_ctrl.GetValue()) == stored
    assert len(refreshed.calls) == parent_refreshed
    assert reshaper.dprint.calls[-2:] == [("transform is ReshapePanel",), ("+++ Reshape",)]


def test_format_handlers_disable_execute(window):
    panel = window().choices
    for handler in (panel.on_source_open, panel.on_source_close):
        panel.enable_execute()
        handler(None)
        assert not panel.execute_button.IsEnabled()
    panel.enable_execute()
    panel.targetformat.SetValue("b, a")
    panel.on_targetformat(None)
    assert panel.config.reshape_names["target_format"] == "b, a"
    assert not panel.execute_button.IsEnabled()


HELP_LINES = [
    "The eight-fold path to multiple file renaming", "",
    "1. Use File -> Open to choose the folder you wish to operate upon", "",
    "2. Click Folders if you only want to view folders, and not both files and folders", "",
    "3. Click Recursive if you want to see subfolders and the files within them", "",
    "4. Define the layout of our source file names.",
    "   For example, if you choose the source format of 'a - b' and a target format of 'b - a'",
    "   it will transform      'Douglas Adams - The Hitchhiker's Guide to the Galaxy.txt'",
    "      to",
    "      'The Hitchhiker's Guide to the Galaxy - Douglas Adams.txt'", "",
    "   If you have a source format of 'title (series) - author' and a target format of ",
    "      'author ~ [series] title' then it will transform",
    "      'Mostly Harmless (Hitchhiker #5) - Douglas Adams'      to",
    "     'Douglas Adams ~ [Hitchhiker #5] Mostly Harmless'", "",
    "5. Click Refresh to see the proposed renames on the righthand pane. They are",
    "   indicated by checkmarks", "",
    "6. You can also manually change any text on the right-hand pane", "",
    "7. Tick the checkboxes on the left-hand pane or use the Select menu to choose",
    "    which of the proposed renames you want to execute.", "",
    "8. Click the Execute button and confirm the changes listed.", ""]


def test_help_text(window):
    frame = window()
    frame.on_help(None)
    shown = FakeMessageDialog.shown()[-1]
    assert shown["message"] == "\n".join(HELP_LINES) + "\n\n"
    assert (shown["caption"], shown["style"]) == ("About tool.py", wx.OK)
    assert reshaper.dprint.calls[-1] == ("messaging help",)


def quoted(line):
    return line.split("'")[1] if line.count("'") == 2 else line[line.index("'") + 1:
                                                                 line.rindex("'")]


@pytest.mark.parametrize("source, target, name_line, result_line", [
    ("a - b", "b - a", 10, 12),
    ("title (series) - author", "author ~ [series] title", 16, 17),
])
def test_help_examples_come_out_as_stated(source, target, name_line, result_line):
    import types
    run = reshaper.Reshape(types.SimpleNamespace(source_format=source, target_format=target,
                                                 reversed_names=False)).run
    name, expected = quoted(HELP_LINES[name_line]), quoted(HELP_LINES[result_line])
    base, extension = os.path.splitext(name) if name.endswith(".txt") else (name, "")
    assert run(base) + extension == expected


def test_about_text(window):
    frame = window()
    frame.on_about(None)
    shown = FakeMessageDialog.shown()[-1]
    lines = shown["message"].split("\n")
    assert lines[:10] == [
        "tool.exe", "", "version 1.1", "",
        "This program will check every file in the chosen folder, attempt to separate",
        " out the components and delimiters you defined in the source format. If successful, "
        "it will",
        "transform the file name according to your target format.", "",
        "You can then execute whichever such files you want to transform", ""]
    assert len(lines) == 11 and lines[10]
    assert shown["caption"] == "About tool.py"
    assert reshaper.dprint.calls[-1] == ("messaging about",)


LIBRARY = ["Smith - Report.txt", "Lee - Notes.txt", "Plain.txt", "sub/", "sub/Doe - Plan.md",
           "Notes - Lee.txt"]


def open_on(window, folder):
    frame = window()
    frame.cfg.location = str(folder)
    frame.choices.folders_box.SetValue(False)
    frame.choices.recursive_box.SetValue(True)
    frame.refresh()
    return frame


def test_a_whole_round(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, LIBRARY)
    before = snapshot(folder)
    frame = open_on(window, folder)
    names = [row.name for row in reshaper_rows()]
    assert names == ["Lee - Notes.txt", "Notes - Lee.txt", "Plain.txt", "Smith - Report.txt",
                     "sub", "Doe - Plan.md"]
    assert frame.choices.execute_button.IsEnabled()
    frame.select(wx.CHK_CHECKED)
    by_name = {row.name: row for row in reshaper_rows()}
    by_name["sub"].checkbox.Set3StateValue(wx.CHK_UNCHECKED)  # keep the folder's name
    by_name["Plain.txt"].proposed.SetValue("Plain text.txt")  # an edited proposal
    frame.execute()
    listed = {e["path"]: (e["new"], e["status"]) for e in Confirming.listed()[-1]}
    assert listed["Lee - Notes.txt"] == ("Notes - Lee.txt", "rename")
    assert listed["Plain.txt"] == ("Plain text.txt", "rename")
    assert "sub" not in listed
    after = snapshot(folder)
    assert after == moved(before, {"Lee - Notes.txt": "Notes - Lee.txt",
                                   "Notes - Lee.txt": "Lee - Notes.txt",
                                   "Plain.txt": "Plain text.txt",
                                   "Smith - Report.txt": "Report - Smith.txt",
                                   "sub/Doe - Plan.md": "Plan - Doe.md"})
    assert [row.name for row in reshaper_rows()][0] == "Lee - Notes.txt"  # rebuilt from disk
    assert "Plain text.txt" in [row.name for row in reshaper_rows()]
    assert frame.menu_items["Undo last rename"].IsEnabled()
    frame.undo()
    assert snapshot(folder) == before
    assert frame.GetStatusBar().GetStatusText().startswith("Restored 5 of 5")


def reshaper_rows():
    import fileitem
    return list(fileitem.nodes.values())


def test_cancelled_execute_changes_nothing(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, LIBRARY)
    before = snapshot(folder)
    frame = open_on(window, folder)
    frame.select(wx.CHK_CHECKED)
    Confirming.answer = wx.ID_CANCEL
    frame.execute()
    assert snapshot(folder) == before


def test_refusals_are_listed_and_reported(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, ["a - b.txt", "b - a.txt", "x.txt"])
    frame = open_on(window, folder)
    frame.select(wx.CHK_CHECKED)
    by_name = {row.name: row for row in reshaper_rows()}
    by_name["x.txt"].proposed.SetValue("b - a.txt")  # a name another file has
    frame.execute()
    statuses = {e["path"]: e["status"] for e in Confirming.listed()[-1]}
    assert statuses == {"a - b.txt": "refused", "b - a.txt": "refused", "x.txt": "refused"}
    assert "Refused" in FakeMessageDialog.shown()[-1]["message"]


def test_nothing_checked(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, LIBRARY)
    frame = open_on(window, folder)
    frame.execute()
    assert Confirming.listed() == []
    assert FakeMessageDialog.shown()[-1]["message"].startswith("Nothing to rename")


def test_settings_persist(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, LIBRARY)
    frame = open_on(window, folder)
    frame.choices.pattern_ctrl.SetValue("*.md")
    frame.choices.source_ctrl.SetValue("a, b")
    frame.refresh()
    frame.SetSize((900, 700))
    frame.Close()
    wx.SafeYield()
    again = window()
    assert (again.cfg.location, again.cfg.pattern, again.cfg.folders, again.cfg.recursive,
            again.cfg.source_format) == (str(folder), "*.md", False, True, "a, b")
    assert tuple(again.GetSize()) == (900, 700)
    assert again.choices.pattern_ctrl.GetValue() == "*.md"


def test_select_menu_commands(window, tmp_path):
    folder = tmp_path / "library"
    make(folder, LIBRARY)
    frame = open_on(window, folder)
    frame.select(wx.CHK_CHECKED)
    assert all(r.checkbox.Get3StateValue() == wx.CHK_CHECKED for r in reshaper_rows())
    frame.invert_selection()
    assert all(r.checkbox.Get3StateValue() == wx.CHK_UNCHECKED for r in reshaper_rows())
    frame.untick_all()
    assert all(r.tick.GetValue() == " " for r in reshaper_rows())


def test_launcher_without_a_display():
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    run = subprocess.run([sys.executable, os.path.join(ROOT, "bin", "reshaper")],
                         capture_output=True, text=True, env=env)
    assert run.returncode == 1
    assert run.stderr.count("\n") == 1 and "reshape" in run.stderr
