"""The window's room: never narrower than its strip of options, so Refresh
and Execute stay in sight, and the format fields grow with it."""

import wx

from appwindow import window  # noqa: F401  (a fixture)


def sized(frame, width, height):
    frame.SetSize((width, height))
    frame.SendSizeEvent()
    wx.SafeYield()
    return frame


def right_edge_in_frame(control, frame):
    """Where the control ends, in the frame's client coordinates."""
    x = control.GetPosition().x + control.GetSize().width
    parent = control.GetParent()
    while parent is not frame:
        x += parent.GetPosition().x
        parent = parent.GetParent()
    return x


def test_a_small_window_keeps_refresh_and_execute_in_sight(window):
    frame = sized(window(), 120, 90)
    minimum = frame.GetMinSize()
    assert tuple(frame.GetSize()) == (minimum.width, minimum.height)
    client = frame.GetClientSize().width
    for button in (frame.choices.refresh_button, frame.choices.execute_button,
                   frame.choices.cancel_button):
        assert 0 < right_edge_in_frame(button, frame) <= client
    assert right_edge_in_frame(frame.choices.target_ctrl, frame) <= client
    assert frame.scroller.GetSize().height > 0


def test_the_format_fields_grow_with_the_window(window):
    frame = window()
    widths = []
    for width in (800, 1200):
        sized(frame, width, 600)
        widths.append((frame.choices.source_ctrl.GetSize().width,
                       frame.choices.target_ctrl.GetSize().width,
                       frame.choices.pattern_ctrl.GetSize().width))
    (source1, target1, pattern1), (source2, target2, pattern2) = widths
    assert source2 - source1 >= 150 and target2 - target1 >= 150
    assert pattern1 == pattern2


def context_menu_key(widget, position=wx.DefaultPosition):
    """The menu key (or Shift+F10) on `widget`, or a right click at `position`."""
    event = wx.ContextMenuEvent(wx.wxEVT_CONTEXT_MENU, widget.GetId(), position)
    event.SetEventObject(widget)
    widget.GetEventHandler().ProcessEvent(event)
    return event.GetSkipped()


def test_the_menu_key_on_a_folder_row_opens_its_collapse_menu(window, tmp_path):
    import fileitem
    from disktree import make
    make(tmp_path / "library", ["Doe - Plans/Smith - Report.txt", "Lee - Notes.txt"])
    frame = window()
    frame.cfg.location = str(tmp_path / "library")
    frame.choices.recursive_box.SetValue(True)
    frame.choices.folders_box.SetValue(False)
    frame.refresh()
    rows = {row.name: row for row in fileitem.nodes.values()}
    popups = []
    frame.left.PopupMenu = lambda menu, position: popups.append(
        (menu.node.name, [item.GetItemLabelText() for item in menu.GetMenuItems()]))
    folder, leaf = rows["Doe - Plans"], rows["Lee - Notes.txt"]
    assert not context_menu_key(folder.checkbox)
    assert not context_menu_key(folder.proposed)
    assert popups == [("Doe - Plans", ["Collapse", "Expand"])] * 2
    assert context_menu_key(leaf.checkbox)  # no menu: its own, if any, goes on
    assert context_menu_key(folder.checkbox, wx.Point(5, 5))  # a right click: the row opened it already
    assert len(popups) == 2


def test_rows_stay_level_and_a_collapsed_folder_leaves_no_gap(window, tmp_path):
    import fileitem
    from disktree import make
    make(tmp_path / "library", ["Doe - Plans/Smith - Report.txt", "Doe - Plans/Ann - Song.txt",
                                "Lee - Notes.txt"])
    frame = window()
    frame.cfg.location = str(tmp_path / "library")
    frame.choices.recursive_box.SetValue(True)
    frame.choices.folders_box.SetValue(False)
    frame.Show()
    frame.refresh()
    wx.SafeYield()
    rows = {row.name: row for row in fileitem.nodes.values()}

    def tops():
        """Each shown row's top in the left pane and in the right one."""
        return {name: (row.exp1.GetPosition()[1], row.exp2.GetPosition()[1])
                for name, row in rows.items() if row.exp1.IsShown()}
    spread = tops()
    assert all(left == right for left, right in spread.values())
    folder, after = spread["Doe - Plans"][0], spread["Lee - Notes.txt"][0]
    fileitem.ContextMenu(frame.left, rows["Doe - Plans"], frame.sizer1, frame.sizer2).on_collapse(None)
    wx.SafeYield()
    closed = tops()
    assert set(closed) == {"Doe - Plans", "Lee - Notes.txt"}
    assert all(left == right for left, right in closed.values())
    step = (after - folder) // 3  # three rows before Lee's: the folder and its two files
    assert closed["Lee - Notes.txt"][0] == folder + step
