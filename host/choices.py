"""The base of the options panel of the renamer's main window.

Placeholder: the panel's wiring to the main window comes with the
application; until then the reshape module only needs the class."""

import wx


class ChoicesPanel(wx.Panel):
    pass
