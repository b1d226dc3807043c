import os
import pstats
import re
import shutil
import tempfile

import pytest
import wx

import dirscan
import fileitem
from disktree import touch, tree_config as config
from fakes import ModalDialog, Recorder
from fileitem import Fileitem
from rows import click, grid_row, right_click

ON, OFF, MIXED = wx.CHK_CHECKED, wx.CHK_UNCHECKED, wx.CHK_UNDETERMINED


class FakeDialog(ModalDialog):
    made = []


@pytest.fixture
def tree_of(panes, monkeypatch):
    monkeypatch.setattr(dirscan, "TIMING", False)
    FakeDialog.made = []
    monkeypatch.setattr(dirscan.wx, "MessageDialog", FakeDialog)

    def make(location, transform=str.upper, messages=None, **settings):
        tree = dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2,
                                config(location, **settings), transform, messages)
        tree.build()
        return tree
    return make


def rows():
    return list(fileitem.nodes.values())


def test_module_constants():
    assert (dirscan.__version__, dirscan.debug, dirscan.TIMING, dirscan.PROFILING,
            dirscan.MAX_FILES) == ("1.4", False, True, False, 500)
    assert dirscan.Fileitem is Fileitem


def test_construction(panes, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    debug = Recorder()
    monkeypatch.setattr(dirscan, "dprint", debug)
    fileitem.nodes["stale"] = object()
    cfg = config("x/../y/./")
    transform = str.lower
    tree = dirscan.Filetree(parent1=panes.left, parent2=panes.right, sizer1=panes.sizer1,
                            sizer2=panes.sizer2, config=cfg, transform=transform,
                            on_progress=None)
    assert tree.abslocation == str(tmp_path / "y")
    assert (tree.row_height, tree.rownmb, tree.head, tree.on_progress) == (20, 0, None, None)
    assert cfg.pattern == "*"
    assert debug.calls == [("config pattern is none and foldersis False, so pattern is:", "*")]
    assert fileitem.nodes == {} and fileitem.propnodes == {}
    assert (Fileitem.wxparent1, Fileitem.wxparent2, Fileitem.sizer1, Fileitem.sizer2) == (
        panes.left, panes.right, panes.sizer1, panes.sizer2)
    assert Fileitem.defined_transform is transform
    assert Fileitem.location == tree.abslocation
    assert not hasattr(tree, "prof")


@pytest.mark.parametrize("pattern, folders, stored, line", [
    ("", True, "*", "config pattern is none and foldersis True, so pattern is:"),
    (None, False, "*", "config pattern is none and foldersis False, so pattern is:"),
    ("*.mp3", False, "*.mp3", "config pattern is not None, so pattern is:"),
])
def test_default_pattern(panes, tmp_path, monkeypatch, pattern, folders, stored, line):
    debug = Recorder()
    monkeypatch.setattr(dirscan, "dprint", debug)
    cfg = config(tmp_path, pattern, folders)
    dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2, cfg, None, None)
    assert cfg.pattern == stored
    assert debug.calls == [(line, stored)]


def test_home_folder_is_expanded(panes, tmp_path, monkeypatch):
    monkeypatch.setenv("HOME", str(tmp_path))
    tree = dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2,
                            config("~"), None, None)
    assert tree.abslocation == str(tmp_path)


def test_rows_in_code_point_order_numbered_from_zero(tree_of, tmp_path):
    touch(tmp_path, "c.txt", "a.txt", "B.txt")
    tree = tree_of(tmp_path)
    assert [(r.name, r.indent, grid_row(r)) for r in rows()] == [
        ("B.txt", 1, 0), ("a.txt", 1, 1), ("c.txt", 1, 2)]
    assert all(r.parent is tree.head for r in rows())
    assert [r.newname for r in rows()] == ["B.txt", "A.txt", "C.txt"]
    assert all(r.checkbox.Get3StateValue() == OFF for r in rows())
    assert tree.head.indent == -1 and tree.head.branch == [""]


def test_folder_rows_get_the_menu(tree_of, tmp_path, panes):
    touch(tmp_path, "x/c.txt")
    tree_of(tmp_path)
    folder, leaf = rows()
    assert [(r.name, r.indent, grid_row(r)) for r in (folder, leaf)] == [("x", 1, 0),
                                                                         ("c.txt", 2, 1)]
    popups = Recorder()
    panes.left.PopupMenu = popups
    right_click(folder.checkbox)
    right_click(leaf.checkbox)
    assert len(popups.calls) == 1


def test_empty_folder_gives_no_row_in_file_mode(tree_of, tmp_path):
    (tmp_path / "empty").mkdir()
    touch(tmp_path, "a.txt")
    tree_of(tmp_path)
    assert [r.name for r in rows()] == ["a.txt"]


def test_folder_mode_shares_rows_between_similar_names(tree_of, tmp_path):
    for folder in ("Photos/2019/Jan", "Photos 2019"):
        (tmp_path / folder).mkdir(parents=True)
    tree = tree_of(tmp_path, folders=True)
    photos, photos_2019, year, jan = rows()
    assert [r.name for r in rows()] == ["Photos", "Photos 2019", "2019", "Jan"]
    assert photos.parent is tree.head and photos_2019.parent is tree.head
    assert year.parent is photos and jan.parent is year
    assert [grid_row(r) for r in rows()] == [0, 1, 2, 3]


def test_limit_of_a_build(tree_of, tmp_path):
    touch(tmp_path, *[f"{i:03d}.txt" for i in range(600)])
    messages = Recorder()
    tree_of(tmp_path, messages=messages)
    assert len(rows()) == 501
    assert messages.calls[-1] == ("Maximum number of 501 files loaded",)


def test_progress_during_a_build(tree_of, tmp_path, monkeypatch):
    names = [f"{i:03d}.txt" for i in range(120)]
    touch(tmp_path, *names)
    yields = Recorder()
    monkeypatch.setattr(dirscan.wx, "Yield", yields)
    messages = Recorder()
    tree_of(tmp_path, messages=messages)
    assert messages.calls == [(f"Building filetree for {tmp_path}",), ("Processing 051.txt",),
                              ("Processing 102.txt",), ("120 files loaded",)]
    assert len(yields.calls) == 2


@pytest.mark.parametrize("settings, text", [
    ({}, "No files matching * found"),
    ({"pattern": "*.mp3"}, "No files matching *.mp3 found"),
    ({"folders": True}, "No folders matching * found"),
])
def test_nothing_found(tree_of, tmp_path, panes, monkeypatch, settings, text):
    monkeypatch.setattr(dirscan.hostkit, "scriptname", lambda: "tool.py")
    messages = Recorder()
    tree_of(tmp_path, messages=messages, **settings)
    assert FakeDialog.made == [(panes.left, text, "tool.py file selection", wx.OK | wx.CENTRE)]
    assert messages.calls[-1] == ("0 files loaded",)
    assert rows() == []


@pytest.mark.parametrize("where, reason", [("nowhere", "No such file or directory"),
                                           ("a.txt", "Not a directory")])
def test_missing_location_is_not_an_error(tree_of, tmp_path, where, reason):
    touch(tmp_path, "a.txt")
    messages = Recorder()
    tree = tree_of(tmp_path / where, messages=messages)
    assert FakeDialog.made and messages.calls[-1] == ("0 files loaded",)
    assert tree.unreadable_folders == [(str(tmp_path / where), reason)]


@pytest.fixture
def open_to_all():
    """A folder anyone may read, outside the test's own (which only root may enter)."""
    folder = tempfile.mkdtemp(prefix="open-to-all-")
    os.chmod(folder, 0o755)
    yield folder
    for inside, _, _ in os.walk(folder):
        os.chmod(inside, 0o755)
    shutil.rmtree(folder)


@pytest.mark.skipif(os.geteuid() != 0, reason="reads the folder as the user nobody")
def test_folders_that_cannot_be_read_are_left_out_and_kept_for_the_window(tree_of, open_to_all):
    touch(open_to_all, "top.txt", "fine/a.txt", "locked/b.txt", "fine/locked too/c.txt")
    os.chmod(os.path.join(open_to_all, "locked"), 0)
    os.chmod(os.path.join(open_to_all, "fine", "locked too"), 0)
    os.seteuid(65534)  # root reads every folder: the walk must meet one it cannot read
    try:
        tree = tree_of(open_to_all, recursive=True)
    finally:
        os.seteuid(0)
    assert [r.name for r in rows()] == ["fine", "a.txt", "top.txt"]
    assert sorted(tree.unreadable_folders) == [
        (os.path.join(open_to_all, "fine", "locked too"), "Permission denied"),
        (os.path.join(open_to_all, "locked"), "Permission denied")]


def test_timing_line(panes, tmp_path, capsys):
    touch(tmp_path, "a.txt", "b.txt")
    dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2, config(tmp_path),
                     None, None).build()
    line = capsys.readouterr().out.splitlines()[-1]
    assert re.fullmatch(rf"\+{{10}} '{re.escape(str(tmp_path))}' 2 files ~ initial: "
                        r"[ \d]{5}\d\.\d{3}", line)


def test_profiling_writes_its_statistics(panes, tmp_path, monkeypatch):
    monkeypatch.setattr(dirscan, "PROFILING", True)
    monkeypatch.setattr(dirscan, "TIMING", False)
    monkeypatch.chdir(tmp_path)
    touch(tmp_path, "a.txt")
    tree = dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2,
                            config(tmp_path), None, None)
    assert tree.prof is not None
    tree.build()
    assert pstats.Stats(str(tmp_path / "dirscan.profile")).total_calls > 0


def test_errors_of_row_operations_reach_the_caller(tree_of, tmp_path):
    touch(tmp_path, "a.txt")

    def broken(name):
        raise KeyError(name)

    with pytest.raises(KeyError):
        tree_of(tmp_path, transform=broken)


def test_add_branch(panes, tmp_path, monkeypatch):
    debug = Recorder()
    tree = dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2,
                            config(tmp_path), None, None)
    tree.head = Fileitem(branch=[""], parent=None, indent=-1, rownmb=-1)
    monkeypatch.setattr(dirscan, "dprint", debug)
    chain = [tree.head]
    b, after_b = tree.add_branch("a/b", chain)
    a = after_b[1]
    assert after_b == [tree.head, a, b] and chain == [tree.head]
    assert (a.name, a.indent, b.name, b.indent, b.parent) == ("a", 1, "b", 2, a)
    c, after_c = tree.add_branch("a/c", after_b)
    assert after_c == [tree.head, a, c] and len(rows()) == 3 and tree.rownmb == 3
    again, same = tree.add_branch("a/c", after_c)
    assert again is c and same == after_c and len(rows()) == 3
    assert debug.calls == [("in add_branch",)] * 3
    with pytest.raises(TypeError):
        tree.add_branch(5, chain)
    with pytest.raises(TypeError):
        tree.add_branch("a", tuple(chain))


# ---- selections and the rename list ----

@pytest.fixture
def selectable(tree_of, tmp_path):
    touch(tmp_path, "x/a.txt", "b.txt")
    tree = tree_of(tmp_path)
    return tree, {r.name: r for r in rows()}


def test_set_all_checkboxes_goes_through_the_top_rows(selectable, monkeypatch):
    tree, by_name = selectable
    debug = Recorder()
    monkeypatch.setattr(dirscan, "dprint", debug)
    tree.set_all_checkboxes(ON)
    assert debug.calls == [("propagating for 'b.txt'",), ("propagating for 'x'",)]
    assert all(r.checkbox.Get3StateValue() == ON for r in rows())


@pytest.mark.parametrize("state, error", [("1", TypeError), (1.0, TypeError),
                                          (2 ** 40, OverflowError)])
def test_set_all_checkboxes_rejects_bad_states_first(selectable, state, error):
    tree, _ = selectable
    with pytest.raises(error):
        tree.set_all_checkboxes(state)
    assert all(r.checkbox.Get3StateValue() == OFF for r in rows())


def test_invert_each_row_on_its_own(selectable, panes):
    tree, by_name = selectable
    refresh = Recorder()
    panes.left.Refresh = refresh
    for name, state in (("b.txt", ON), ("x", MIXED), ("a.txt", OFF)):
        by_name[name].checkbox.Set3StateValue(state)
    tree.invert_all_selections()
    assert [by_name[n].checkbox.Get3StateValue() for n in ("b.txt", "x", "a.txt")] == [
        OFF, MIXED, ON]
    tree.invert_all_selections()
    assert [by_name[n].checkbox.Get3StateValue() for n in ("b.txt", "x", "a.txt")] == [
        ON, MIXED, OFF]
    assert len(refresh.calls) == 2


def test_renames_in_creation_order(selectable):
    tree, by_name = selectable
    tree.set_all_checkboxes(ON)
    assert [r.name for r in tree.renames()] == ["b.txt", "x", "a.txt"]


def test_renames_needs_tick_and_check(selectable):
    tree, by_name = selectable
    tree.set_all_checkboxes(ON)
    by_name["b.txt"].checkbox.Set3StateValue(OFF)
    by_name["a.txt"].proposed.SetValue("a.txt")  # no longer a proposal
    by_name["x"].checkbox.Set3StateValue(MIXED)
    assert list(tree.renames()) == []


def test_renames_is_judged_as_it_is_consumed(selectable):
    tree, by_name = selectable
    tree.set_all_checkboxes(ON)
    pending = tree.renames()
    by_name["b.txt"].checkbox.Set3StateValue(OFF)
    first = next(pending)
    assert first is by_name["x"]
    by_name["a.txt"].checkbox.Set3StateValue(OFF)
    assert list(pending) == []


def test_renames_fails_when_the_registry_changes(selectable):
    tree, by_name = selectable
    tree.set_all_checkboxes(ON)
    pending = tree.renames()
    next(pending)
    fileitem.nodes["added"] = by_name["b.txt"]
    with pytest.raises(RuntimeError):
        list(pending)


def test_untick_all_keeps_the_rename_list(selectable):
    tree, by_name = selectable
    tree.set_all_checkboxes(ON)
    before = list(tree.renames())
    tree.untick_all()
    assert all(r.tick.GetValue() == " " for r in rows())
    assert list(tree.renames()) == before


def test_click_and_rename_list_together(selectable):
    tree, by_name = selectable
    click(by_name["a.txt"].checkbox, ON)
    assert by_name["x"].checkbox.Get3StateValue() == ON
    assert [r.name for r in tree.renames()] == ["x", "a.txt"]


def test_dump_visits_quietly(selectable, capsys):
    tree, by_name = selectable
    assert tree.dump() is None
    assert tree.dump(by_name["a.txt"]) is None
    assert capsys.readouterr() == ("", "")


def test_operations_before_a_build(panes, tmp_path):
    tree = dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2,
                            config(tmp_path), None, None)
    tree.invert_all_selections()
    tree.untick_all()
    assert list(tree.renames()) == []
    with pytest.raises(AttributeError):
        tree.set_all_checkboxes(ON)
    with pytest.raises(AttributeError):
        tree.dump()


def test_panes_are_out_of_sight_while_rows_are_added(tree_of, tmp_path, panes, monkeypatch):
    touch(tmp_path, *[f"{i:03d}.txt" for i in range(60)])
    seen = []
    monkeypatch.setattr(dirscan.wx, "Yield", lambda: seen.append(
        (panes.left.IsShown(), panes.right.IsShown())))
    tree_of(tmp_path, messages=Recorder())
    assert seen == [(False, False)]
    assert panes.left.IsShown() and panes.right.IsShown()


def test_panes_come_back_after_a_failed_build(tree_of, tmp_path, panes):
    touch(tmp_path, "a.txt")

    def broken(name):
        raise KeyError(name)

    with pytest.raises(KeyError):
        tree_of(tmp_path, transform=broken)
    assert panes.left.IsShown() and panes.right.IsShown()
