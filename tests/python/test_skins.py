import pytest
import wx

import skins
import stylers

FONTS = ["font", "expanded_font", "collapsed_font"]
COLOURS = ["foreground", "background", "selected_foreground", "selected_background",
           "expanded_foreground", "expanded_background", "collapsed_foreground",
           "collapsed_background"]


@pytest.fixture(scope="module")
def app():
    return wx.GetApp() or wx.App()


def test_tree_members(app):
    for name in FONTS:
        assert isinstance(getattr(skins.THEME.tree, name), wx.Font)
    for name in COLOURS:
        assert isinstance(getattr(skins.THEME.tree, name), wx.Colour)
    assert skins.THEME.tree.font is skins.THEME.tree.font


def test_members_can_be_replaced(app):
    saved = skins.THEME.tree.foreground
    skins.THEME.tree.foreground = wx.Colour(1, 2, 3)
    assert skins.THEME.tree.foreground == wx.Colour(1, 2, 3)
    skins.THEME.tree.foreground = saved


def test_unknown_member_is_an_attribute_error(app):
    with pytest.raises(AttributeError):
        skins.THEME.tree.nonexistent


def test_format_widget_styles_menu_items_and_windows(app):
    frame = wx.Frame(None)
    try:
        menu = wx.Menu()
        item = wx.MenuItem(menu, wx.ID_ANY, "Collapse")
        stylers.format_widget(item, skins.THEME.menu)
        menu.Append(item)
        label = wx.StaticText(frame, label="x")
        stylers.format_widget(label, skins.THEME.menu)
        assert label.GetForegroundColour() == skins.THEME.menu.foreground
        menu.Destroy()
    finally:
        frame.Destroy()
