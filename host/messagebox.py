"""The one way the window's parts show a message: a modal box with an OK
button, taken down once it is answered."""

import wx


def show_message(parent, message, caption, style=0):
    """Shows `message` under `caption` over `parent` until it is answered;
    `style` adds an icon or a placement to the OK button."""
    dialog = wx.MessageDialog(parent, message, caption, wx.OK | style)
    try:
        dialog.ShowModal()
    finally:
        dialog.Destroy()
