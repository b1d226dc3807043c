"""How the main window uses its room: the format fields take the width the
window gives them, and the window never gets narrower than its strip of
options, so Refresh and Execute always stay in sight."""

import wx

TREE_ROOM = 120  # height left at least for the panes, in pixels


def let_fields_grow(panel):
    """Every text field of the panel's rows grows with the panel, except the
    pattern field beside the buttons, which keeps its size."""
    for line in panel.main_sizer.GetChildren():
        row = line.GetSizer()
        if row is None:
            continue
        fields = [item for item in row.GetChildren()
                  if isinstance(item.GetWindow(), wx.TextCtrl)
                  and item.GetWindow() is not panel.pattern_ctrl]
        for item in fields:
            item.SetProportion(1)
        if fields:
            line.SetFlag(line.GetFlag() | wx.EXPAND)
    panel.Layout()


def keep_strip_visible(frame, strip):
    """The frame's minimum size: the whole strip, and some room for the tree."""
    needed = strip.GetSizer().CalcMin()
    client = wx.Size(needed.width, needed.height + TREE_ROOM)
    frame.SetMinSize(frame.ClientToWindowSize(client))
