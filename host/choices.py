"""The options strip at the top of the renamer's main window.

The base panel holds what every tool of the renamer offers: the folder's
wildcard pattern, the Folders and Recursive toggles and the Refresh and
Execute buttons. A tool's own panel (such as the reshape formats) derives
from it and adds its rows to `main_sizer`."""

import wx

import hostkit

PATTERN_TIP = "Only names that match this pattern are shown, e.g. *.txt (empty: all)"
FOLDERS_TIP = "Show folders only, and rename them, instead of files"
RECURSIVE_TIP = "Show subfolders and the files within them too"
REFRESH_TIP = "Work out the proposed names again (F5)"
EXECUTE_TIP = "Rename the checked rows that carry a tick (Ctrl+E)"
CANCEL_TIP = "Stop reading the folder (Esc)"


class ChoicesPanel(wx.Panel):
    """Options shared by the renamer's tools.

    `on_change()` is called when the user asks for new proposals (Refresh,
    or a change of Folders or Recursive), `renames()` when the user asks for
    the renames to be carried out (Execute); `untick` and `on_progress` are
    the frame's, kept for the tool."""

    def __init__(self, parent, config, on_change, renames, untick, on_progress):
        super().__init__(parent)
        self.parent = parent
        self.config = config
        self.on_change = on_change
        self.renames = renames
        self.untick = untick
        self.on_progress = on_progress
        self.main_sizer = wx.BoxSizer(wx.VERTICAL)

        row = wx.BoxSizer(wx.HORIZONTAL)
        label = wx.StaticText(self, label="Pattern:")
        self.pattern_ctrl = wx.TextCtrl(self, value=config.pattern or "", size=(120, -1),
                                        style=wx.TE_PROCESS_ENTER)
        self.folders_box = wx.CheckBox(self, label="Folders")
        self.recursive_box = wx.CheckBox(self, label="Recursive")
        self.folders_box.SetValue(bool(config.folders))
        self.recursive_box.SetValue(bool(config.recursive))
        self.refresh_button = wx.Button(self, label="Refresh")
        self.execute_button = wx.Button(self, label="Execute")
        self.cancel_button = wx.Button(self, label="Cancel")  # the frame binds it
        for widget, tip in ((label, PATTERN_TIP), (self.pattern_ctrl, PATTERN_TIP),
                            (self.folders_box, FOLDERS_TIP),
                            (self.recursive_box, RECURSIVE_TIP),
                            (self.refresh_button, REFRESH_TIP),
                            (self.execute_button, EXECUTE_TIP),
                            (self.cancel_button, CANCEL_TIP)):
            widget.SetToolTip(tip)
            row.Add(widget, 0, wx.ALL | wx.ALIGN_CENTER_VERTICAL, 5)
        self.main_sizer.Add(row, 0, wx.ALL, 0)
        # The host control behind on_targetformat of a tool panel; no row shows it.
        self.targetformat = wx.TextCtrl(self)
        self.targetformat.Hide()
        self.execute_button.Disable()  # nothing proposed yet
        self.cancel_button.Disable()  # enabled while the folder is being read

        self.pattern_ctrl.Bind(wx.EVT_TEXT_ENTER, lambda event: self.on_change())
        self.pattern_ctrl.Bind(wx.EVT_TEXT, lambda event: self.disable_execute())
        self.folders_box.Bind(wx.EVT_CHECKBOX, lambda event: self.on_change())
        self.recursive_box.Bind(wx.EVT_CHECKBOX, lambda event: self.on_change())
        self.refresh_button.Bind(wx.EVT_BUTTON, lambda event: self.on_change())
        self.execute_button.Bind(wx.EVT_BUTTON, lambda event: self.renames())

    def store_options(self):
        """Writes the pattern and the toggles into the configuration."""
        self.config.pattern = self.pattern_ctrl.GetValue().strip()
        self.config.folders = self.folders_box.GetValue()
        self.config.recursive = self.recursive_box.GetValue()

    def disable_execute(self):
        """The proposals on show are stale until the next refresh."""
        self.execute_button.Disable()

    def enable_execute(self):
        self.execute_button.Enable()

    def on_fixedformat_change(self):
        hostkit.dprint("fixed format changed")
