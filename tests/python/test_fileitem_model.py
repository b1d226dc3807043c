import gc
import os
import weakref

import pytest

import fileitem
import hostkit
from fakes import Recorder
from fileitem import Fileitem
from rows import make_tree


def test_module_state():
    assert fileitem.__version__ == "1.0"
    assert fileitem.debug is True
    assert fileitem.dprint is hostkit.dprint
    assert (fileitem.MARK_EXPANDED, fileitem.MARK_COLLAPSED, fileitem.MARK_LEAF) == (
        "\u2013", "+", " ")
    assert isinstance(fileitem.textwidth, int)


def test_class_wide_defaults():
    for name in ("wxparent1", "wxparent2", "sizer1", "sizer2"):
        assert Fileitem.__dict__[name] is None
    assert Fileitem.__dict__["defined_transform"] is fileitem.dummy_defined_transform
    assert Fileitem.__dict__["location"] == ""
    assert fileitem.dummy_defined_transform("a b") == "a b"


def test_root_row(panes, tmp_path):
    Fileitem.location = str(tmp_path)
    root = Fileitem(branch=[""], parent=None, indent=-1, rownmb=-1)
    assert (root.name, root.stem, root.leaf, root.folder) == ("", "", True, True)
    assert all(getattr(root, w) is None for w in ("exp1", "exp2", "checkbox", "tick", "proposed"))
    assert fileitem.nodes == {} and fileitem.propnodes == {}
    assert str(root) == "<Fileitem: name: '', parent: Empty (-), indent: -1\n    children: >"
    child = Fileitem(branch=["", "a"], parent=root, indent=1, rownmb=0)
    assert root.leaf is False and root.children == {"a": child}


def test_fields_of_a_row(panes):
    rows = make_tree(["a", "a/b", "a/b/c.txt"])
    row = rows["a/b/c.txt"]
    assert row.stem == os.sep + "a" + os.sep + "b"
    assert row.indent == 3
    assert rows["a"].stem == ""
    assert row.parent is rows["a/b"]
    assert (row.expandchar, row.collapsed, row.ticked, row.children) == ("\u2013", False, False, {})
    assert str(rows["a"]) == (f"<Fileitem: name: 'a', parent:  ({id(rows[''])}), indent: 1\n"
                              "    children: 'b'>")


def test_text_form_lists_children_with_andlist(panes):
    rows = make_tree(["x", "x/a", "x/b", "x/c"])
    assert str(rows["x"]).endswith("\n    children: 'a', 'b' and 'c'>")


def test_folder_test_uses_location_and_branch(panes, tmp_path):
    (tmp_path / "sub").mkdir()
    (tmp_path / "sub" / "f.txt").write_text("x")
    Fileitem.location = str(tmp_path)
    rows = make_tree(["sub", "sub/f.txt", "missing"])
    assert (rows["sub"].folder, rows["sub/f.txt"].folder, rows["missing"].folder) == (
        True, False, False)


# Where an extension starts is in the C++ tests (Extension); these few show
# that a row transforms the rest and that a folder has no extension.
@pytest.mark.parametrize("name, is_folder, base, result", [
    ("archive.tar.gz", False, "archive.tar", "ARCHIVE.TAR.gz"),
    (".gitignore", False, ".gitignore", ".GITIGNORE"),
    ("Vol.2", False, "Vol", "VOL.2"),
    ("Vol.2", True, "Vol.2", "VOL.2"),
])
def test_transform_splits_the_extension(panes, tmp_path, name, is_folder, base, result):
    if is_folder:
        (tmp_path / name).mkdir()
    Fileitem.location = str(tmp_path)
    seen = Recorder(result=str.upper)
    Fileitem.defined_transform = seen
    row = Fileitem(branch=["", name], parent=None, indent=1, rownmb=0)
    assert row.folder is is_folder
    assert seen.calls == [(base,)]
    assert row.transform() == result
    assert row.proposed.GetValue() == result


def test_without_a_transform_the_name_stays(panes):
    Fileitem.defined_transform = None
    row = Fileitem(branch=["", "a.txt"], parent=None, indent=1, rownmb=0)
    assert row.transform() == "a.txt"
    assert row.ticked is False


def test_a_failing_transform_leaves_the_row_registered(panes):
    def broken(name):
        raise ValueError("no")

    Fileitem.defined_transform = broken
    root = Fileitem(branch=[""], parent=None, indent=-1, rownmb=-1)
    with pytest.raises(ValueError):
        Fileitem(branch=["", "a"], parent=root, indent=1, rownmb=0)
    assert list(root.children) == ["a"]
    assert len(fileitem.nodes) == 1 and fileitem.propnodes == {}


def test_same_name_twice_keeps_the_later_row(panes):
    rows = make_tree(["x"])
    later = Fileitem(branch=["", "x"], parent=rows[""], indent=1, rownmb=1)
    assert rows[""].children["x"] is later
    rows["x"].update_parent()
    assert rows[""].children["x"] is rows["x"]


def test_newname(panes):
    rows = make_tree(["a.txt"])
    row = rows["a.txt"]
    row.proposed.ChangeValue("")
    assert row.newname == "a.txt"
    row.proposed.ChangeValue("a.txt")
    assert row.newname == "a.txt"
    row.proposed.ChangeValue("b.txt")
    assert row.newname == "b.txt"


@pytest.mark.parametrize("branch, parent, indent, rownmb, error", [
    (("", "a"), None, 1, 0, TypeError),
    (["", "a"], None, "1", 0, TypeError),
    (["", "a"], None, 2 ** 31, 0, OverflowError),
    (["", "a"], None, 1, 1.5, TypeError),
])
def test_constructor_argument_errors(panes, branch, parent, indent, rownmb, error):
    with pytest.raises(error):
        Fileitem(branch=branch, parent=parent, indent=indent, rownmb=rownmb)


def test_a_replaced_tree_can_be_freed(panes):
    rows = make_tree(["x", "x/a", "b"])
    refs = [weakref.ref(row) for row in rows.values()]
    rows["x"].set_right_click()
    fileitem.nodes, fileitem.propnodes = {}, {}
    del rows
    for window in (panes.left, panes.right):
        window.DestroyChildren()
    gc.collect()
    assert all(ref() is None for ref in refs)
