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
