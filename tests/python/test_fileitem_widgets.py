import pytest
import wx

import fileitem
import skins
from fileitem import Fileitem
from rows import make_tree

TREE = skins.THEME.tree


def single(name, transform=None, indent=1):
    if transform is not None:
        Fileitem.defined_transform = transform
    return Fileitem(branch=[""] + [f"d{i}" for i in range(indent - 1)] + [name], parent=None,
                    indent=indent, rownmb=0)


@pytest.mark.parametrize("name, proposal, ticked, tick", [
    ("a", "a", False, " "),
    ("a", "", False, " "),
    ("notes", "Notes", True, "\u221a"),
    ("a", "b", True, "\u221a"),
])
def test_tick_from_the_proposal(panes, name, proposal, ticked, tick):
    row = single(name, transform=lambda base: proposal)
    assert row.ticked is ticked
    assert row.tick.GetValue() == tick
    assert row.proposed.GetValue() == proposal


def test_widgets_styles_and_back_references(panes):
    row = single("a.txt")
    for field in ("exp1", "exp2", "tick", "proposed", "checkbox"):
        assert getattr(row, field).fileitem is row
    assert row.exp1.GetParent() is panes.left and row.checkbox.GetParent() is panes.left
    assert all(getattr(row, f).GetParent() is panes.right for f in ("exp2", "tick", "proposed"))
    read_only = wx.BORDER_NONE | wx.TE_READONLY
    for field in ("exp1", "exp2", "tick"):
        assert getattr(row, field).GetWindowStyleFlag() & read_only == read_only
    assert row.proposed.GetWindowStyleFlag() & wx.TE_PROCESS_ENTER
    assert not row.proposed.GetWindowStyleFlag() & wx.TE_READONLY
    assert row.checkbox.Is3State() and not row.checkbox.Is3rdStateAllowedForUser()
    assert row.checkbox.GetLabel() == "a.txt"
    assert (row.exp1.GetSize()[0], row.exp2.GetSize()[0], row.tick.GetSize()[0]) == (10, 10, 15)
    assert row.exp1.GetValue() == row.exp2.GetValue() == fileitem.MARK_EXPANDED  # before formatting
    assert fileitem.nodes == {id(row.checkbox): row}
    assert fileitem.propnodes == {id(row.proposed): row}


def test_grid_positions_flags_and_spacers(panes):
    row = Fileitem(branch=["", "a", "b", "c"], parent=None, indent=3, rownmb=4)
    left = panes.sizer1.FindItemAtPosition((4, 0))
    right = panes.sizer2.FindItemAtPosition((4, 1))
    assert (left.GetFlag(), left.GetBorder()) == (1, 2)
    assert (right.GetFlag(), right.GetBorder()) == (wx.EXPAND, 2)
    left_items = left.GetSizer().GetChildren()
    right_items = right.GetSizer().GetChildren()
    assert [i.GetWindow() for i in left_items if i.IsWindow()] == [row.exp1, row.checkbox]
    assert [i.GetWindow() for i in right_items if i.IsWindow()] == [row.exp2, row.tick,
                                                                   row.proposed]
    assert [i.GetSize() for i in left_items if i.IsSpacer()] == [wx.Size(45, 0)]
    assert [i.GetSize() for i in right_items if i.IsSpacer()] == [wx.Size(45, 0)]
    assert right_items[1].GetFlag() == wx.ALL | wx.EXPAND


def test_textwidth_only_grows(panes):
    fileitem.textwidth = 0
    first = Fileitem(branch=["", "a"], parent=None, indent=1, rownmb=0)
    first_width = first.checkbox.GetSize()[0]
    assert fileitem.textwidth == first_width
    assert first.proposed.GetSize()[0] == first_width
    wide = Fileitem(branch=["", "a much longer name than the first"], parent=None, indent=1,
                    rownmb=1)
    assert fileitem.textwidth == wide.checkbox.GetSize()[0] > first_width
    later = Fileitem(branch=["", "b"], parent=None, indent=1, rownmb=2)
    assert later.proposed.GetSize()[0] == fileitem.textwidth
    assert first.proposed.GetSize()[0] == first_width


def looks(widget):
    return widget.GetForegroundColour(), widget.GetBackgroundColour()


def test_looks_of_leaf_and_folder(panes):
    rows = make_tree(["x", "x/a"])
    folder, leaf = rows["x"], rows["x/a"]
    assert (folder.exp1.GetValue(), folder.exp2.GetValue()) == ("\u2013", "\u2013")
    assert (leaf.exp1.GetValue(), leaf.exp2.GetValue()) == (" ", " ")
    for widget in (folder.exp1, folder.exp2, folder.tick):
        assert looks(widget) == (TREE.expanded_foreground, TREE.expanded_background)
    assert looks(folder.checkbox) == (TREE.foreground, TREE.background)
    assert looks(folder.proposed) == (TREE.foreground, TREE.background)


def test_checked_row_takes_the_selected_colours(panes):
    rows = make_tree(["a"])
    row = rows["a"]
    row.set_checkbox_state(wx.CHK_CHECKED)
    assert looks(row.checkbox) == (TREE.selected_foreground, TREE.selected_background)
    assert looks(row.proposed) == (TREE.selected_foreground, TREE.selected_background)
    assert looks(row.tick) == (TREE.expanded_foreground, TREE.expanded_background)
    row.set_checkbox_state(wx.CHK_UNDETERMINED)
    assert looks(row.checkbox) == (TREE.foreground, TREE.background)


def test_collapsed_row_looks(panes):
    rows = make_tree(["x", "x/a"])
    folder = rows["x"]
    font_before = folder.checkbox.GetFont()
    folder.collapse()
    assert (folder.exp1.GetValue(), folder.exp2.GetValue()) == ("+", "+")
    for widget in (folder.exp1, folder.exp2, folder.tick):
        assert looks(widget) == (TREE.collapsed_foreground, TREE.collapsed_background)
        assert widget.GetFont() == TREE.collapsed_font
    assert folder.proposed.GetFont() == TREE.collapsed_font
    assert folder.checkbox.GetFont() == font_before


def test_theme_is_read_at_each_formatting(panes):
    rows = make_tree(["a"])
    saved = TREE.background
    try:
        TREE.background = wx.Colour(10, 20, 30)
        rows["a"].format_row()
        assert rows["a"].checkbox.GetBackgroundColour() == wx.Colour(10, 20, 30)
    finally:
        TREE.background = saved
