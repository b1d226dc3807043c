"""Building tree rows in real panes for the tests of the row module."""

import wx

import fileitem
import treepanes
from fileitem import Fileitem

def make_panes(location=""):
    """A fresh frame with the window's two panes and the grid sizers rows go
    into, published as the row class's settings, and empty registries."""
    frame = wx.Frame(None, size=(800, 600))
    made = treepanes.make_panes(frame)
    made.frame = frame
    Fileitem.wxparent1, Fileitem.wxparent2 = made.left, made.right
    Fileitem.sizer1, Fileitem.sizer2 = made.sizer1, made.sizer2
    Fileitem.location = location
    fileitem.nodes, fileitem.propnodes = {}, {}
    return made


def close_panes(panes):
    panes.frame.Destroy()
    wx.SafeYield()


def make_tree(paths):
    """The root row and one row per slash-separated path, parents first.
    Returns the rows by path, the root under ""."""
    rows = {"": Fileitem(branch=[""], parent=None, indent=-1, rownmb=-1)}
    for number, path in enumerate(paths):
        parts = path.split("/")
        parent = rows["/".join(parts[:-1])]
        rows[path] = Fileitem(branch=[""] + parts, parent=parent, indent=len(parts),
                              rownmb=number)
    for path in paths:
        rows[path].format_row()
    return rows


def click(checkbox, state):
    """What a user's click does: the new state, then the checkbox event."""
    checkbox.Set3StateValue(state)
    event = wx.CommandEvent(wx.wxEVT_CHECKBOX, checkbox.GetId())
    event.SetEventObject(checkbox)
    checkbox.GetEventHandler().ProcessEvent(event)


def right_click(widget):
    event = wx.MouseEvent(wx.wxEVT_RIGHT_DOWN)
    event.SetEventObject(widget)
    widget.GetEventHandler().ProcessEvent(event)


def grid_row(row):
    """The grid row that holds a row's left-hand widgets."""
    for item in Fileitem.sizer1.GetChildren():
        sizer = item.GetSizer()
        if sizer and any(child.GetWindow() is row.checkbox for child in sizer.GetChildren()):
            return item.GetPos()[0]
    return None
