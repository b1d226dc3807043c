"""The file tree's two panes, names on the left and proposals on the right,
each with the grid sizer its rows go into. Both live in one scrolled window,
so they scroll in step."""

import types

import wx

import skins


def open_row_menu_by_key(event):
    """The menu key or Shift+F10 on a row's widget opens the row's Collapse
    and Expand menu, as a right click does. A right click comes here too,
    with the place clicked: its row has opened the menu already."""
    row = getattr(event.GetEventObject(), "fileitem", None)
    if event.GetPosition() == wx.DefaultPosition and row is not None and row.children:
        row.on_right_click(event)
    else:
        event.Skip()


def make_panes(parent):
    """The scrolled window (for the caller's layout) and, in it, the panes
    `left` and `right` with their sizers `sizer1` and `sizer2`."""
    scroller = wx.ScrolledWindow(parent, style=wx.VSCROLL | wx.HSCROLL)
    scroller.SetScrollRate(10, 10)
    left, right = wx.Panel(scroller), wx.Panel(scroller)
    # Rows made in the panes start with the tree's font, so that a row
    # taking that font changes nothing: its size is worked out once.
    for pane in (left, right):
        pane.SetFont(skins.THEME.tree.font)
    sizer1, sizer2 = wx.GridBagSizer(), wx.GridBagSizer()
    left.SetSizer(sizer1)
    right.SetSizer(sizer2)
    both = wx.BoxSizer(wx.HORIZONTAL)
    both.Add(left, 1, wx.EXPAND)
    both.Add(right, 1, wx.EXPAND)
    scroller.SetSizer(both)
    for pane in (left, right):
        pane.Bind(wx.EVT_CONTEXT_MENU, open_row_menu_by_key)
    return types.SimpleNamespace(scroller=scroller, left=left, right=right, sizer1=sizer1,
                                 sizer2=sizer2)
