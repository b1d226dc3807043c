"""The renamer's main frame.

Placeholder: the frame with its menus, panes and Execute command comes with
the application; until then the reshape module only needs the class to
derive from."""

import wx


class Basewindow(wx.Frame):
    pass
