import pytest
import wx

import fileitem
from fakes import Recorder
from rows import click, make_tree, right_click

ON, OFF, MIXED = wx.CHK_CHECKED, wx.CHK_UNCHECKED, wx.CHK_UNDETERMINED
TREE = ["top", "top/mid", "top/mid/a", "top/mid/b", "top/other", "c"]


def states(rows, paths):
    return [rows[p].checkbox.Get3StateValue() for p in paths]


@pytest.fixture
def tree(panes):
    rows = make_tree(TREE)
    for path in TREE:
        rows[path].set_checkbox_state(OFF)
    return rows


def test_all_siblings_checked_turns_every_ancestor_checked(tree):
    for path in ("top/mid/b", "top/other"):
        tree[path].set_checkbox_state(ON)
    click(tree["top/mid/a"].checkbox, ON)
    assert states(tree, ["top/mid", "top", "c"]) == [ON, ON, OFF]


def test_one_checked_leaf_turns_ancestors_mixed(tree):
    click(tree["top/mid/a"].checkbox, ON)
    assert states(tree, ["top/mid/a", "top/mid/b", "top/mid", "top"]) == [ON, OFF, MIXED, MIXED]


def test_unchecking_a_folder_reaches_hidden_rows(tree):
    tree["top"].propagate_checkbox_state(ON)
    tree["top/mid"].collapse()
    click(tree["top/mid"].checkbox, OFF)
    assert states(tree, ["top/mid/a", "top/mid/b"]) == [OFF, OFF]
    assert states(tree, ["top"]) == [MIXED]
    click(tree["top/other"].checkbox, OFF)
    assert states(tree, ["top"]) == [OFF]


def test_an_only_child_passes_its_state_up(panes):
    rows = make_tree(["p", "p/only", "p/only/leaf", "q"])
    click(rows["p/only/leaf"].checkbox, ON)
    assert states(rows, ["p/only", "p", "q"]) == [ON, ON, 0]


def test_top_level_click_changes_nothing_above_and_pulls_the_subtree(tree):
    click(tree["top"].checkbox, ON)
    assert states(tree, TREE) == [ON, ON, ON, ON, ON, OFF]


def test_click_repaints_the_right_pane_and_keeps_focus(tree, panes):
    refresh, update, focus = Recorder(), Recorder(), Recorder()
    panes.right.Refresh, panes.right.Update = refresh, update
    checkbox = tree["c"].checkbox
    checkbox.SetFocus = focus
    click(checkbox, ON)
    assert (len(refresh.calls), len(update.calls), len(focus.calls)) == (1, 1, 1)


def test_click_on_a_replaced_tree_does_nothing(tree, panes):
    refresh = Recorder()
    panes.right.Refresh = refresh
    fileitem.nodes = {}
    click(tree["top/mid/a"].checkbox, ON)
    assert states(tree, ["top/mid"]) == [OFF]
    assert refresh.calls == []


def test_checkbox_ops_reformat_rows(tree):
    tree["top"].down_check(ON)
    assert tree["top/mid/a"].checkbox.GetForegroundColour() == (
        fileitem.skins.THEME.tree.selected_foreground)


def test_collapse_and_expand_nested_folders(tree):
    below = ["top/mid", "top/mid/a", "top/mid/b", "top/other"]
    fields = ("checkbox", "exp1", "exp2", "tick", "proposed")
    tree["top/mid"].collapse()
    tree["top"].collapse()
    assert all(not getattr(tree[p], f).IsShown() for p in below for f in fields)
    assert tree["top/mid"].collapsed and tree["top"].collapsed
    assert not tree["top/mid/a"].collapsed  # a leaf never collapses
    assert tree["c"].checkbox.IsShown()
    tree["top"].expand()
    assert all(getattr(tree[p], f).IsShown() for p in below for f in fields)
    assert not tree["top/mid"].collapsed
    assert (tree["top"].exp1.GetValue(), tree["top/mid"].exp2.GetValue()) == ("\u2013", "\u2013")


def test_collapsing_a_leaf_only_reformats(tree):
    tree["c"].collapse()
    assert tree["c"].collapsed is False and tree["c"].exp1.GetValue() == " "


def test_popup_position_and_menu(tree, panes):
    shown = []

    def popup(menu, position):
        items = menu.GetMenuItems()
        shown.append((menu, menu.node, position, [i.GetItemLabelText() for i in items],
                      len({i.GetId() for i in items})))

    panes.left.PopupMenu = popup
    panes.left.SetSize((400, 300))
    folder = tree["top/mid"]
    folder.on_right_click(None)
    menu, node, position, labels, distinct_ids = shown[0]
    assert node is folder
    assert position == (320, folder.tick.GetPosition()[1])
    assert labels == ["Collapse", "Expand"] and distinct_ids == 2
    with pytest.raises(RuntimeError):
        menu.GetMenuItems()  # destroyed after the popup
    tree["c"].on_right_click(None)
    assert len(shown) == 1


def test_right_click_on_any_widget_of_a_folder(tree, panes):
    popups = Recorder()
    panes.left.PopupMenu = popups
    folder = tree["top"]
    folder.set_right_click()
    for field in ("exp1", "checkbox", "exp2", "tick", "proposed"):
        right_click(getattr(folder, field))
    assert len(popups.calls) == 5


def menu_event(menu, label):
    item = next(i for i in menu.GetMenuItems() if i.GetItemLabelText() == label)
    menu.ProcessEvent(wx.CommandEvent(wx.wxEVT_MENU, item.GetId()))


def test_menu_items_collapse_and_expand_and_lay_out(tree, panes):
    layouts = Recorder()
    menu = fileitem.ContextMenu(tree["top"], tree["top"], panes.sizer1, None)
    assert (menu.parent, menu.node, menu.sizer1, menu.sizer2) == (
        tree["top"], tree["top"], panes.sizer1, None)
    panes.sizer1.Layout = layouts
    menu_event(menu, "Collapse")
    assert tree["top"].collapsed and not tree["top/other"].checkbox.IsShown()
    menu_event(menu, "Expand")
    assert not tree["top"].collapsed and tree["top/other"].checkbox.IsShown()
    assert len(layouts.calls) == 2
    menu.Destroy()


@pytest.mark.parametrize("typed, tick, ticked", [
    ("c", " ", False),
    ("", " ", False),
    ("d", "\u221a", True),
    ("C", "\u221a", True),
])
def test_typing_reevaluates_the_tick(tree, panes, typed, tick, ticked):
    refresh, update = Recorder(), Recorder()
    panes.left.Refresh, panes.left.Update = refresh, update
    row = tree["c"]
    row.proposed.SetValue(typed)
    assert (row.tick.GetValue(), row.ticked) == (tick, ticked)
    assert refresh.calls and update.calls


def test_unbind_a_leaf_detaches_only_its_click(tree):
    leaf = tree["top/mid/a"]
    leaf.unbind()
    click(leaf.checkbox, ON)
    assert states(tree, ["top/mid"]) == [OFF]
    leaf.proposed.SetValue("changed")
    assert leaf.tick.GetValue() == "\u221a"


def test_unbind_a_folder_keeps_right_clicks_on_the_right_side(tree, panes):
    popups = Recorder()
    panes.left.PopupMenu = popups
    folder = tree["top/mid"]
    folder.set_right_click()
    folder.unbind()
    for field in ("checkbox", "exp1", "exp2"):
        right_click(getattr(folder, field))
    assert popups.calls == []
    right_click(folder.tick)
    right_click(folder.proposed)
    assert len(popups.calls) == 2
    click(folder.checkbox, ON)
    assert states(tree, ["top/mid/a"]) == [OFF]


def test_unbind_the_root_reports_and_returns(tree, capsys):
    tree[""].unbind()
    assert capsys.readouterr().out == (
        "Exception: on unbinding checkbox: 'NoneType' object has no attribute 'Unbind'\n")
