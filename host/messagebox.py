"""The one way the window's parts show a message: a modal box with an OK
button, taken down once it is answered. A message of many lines (a report
naming its entries) comes in a box of its own whose listing scrolls, so
that its first words and its OK button stay on the screen."""

import wx

LINES_IN_A_BOX = 15  # past these, the lines after the first paragraph scroll
ICONS = ((wx.ICON_ERROR, wx.ART_ERROR), (wx.ICON_WARNING, wx.ART_WARNING),
         (wx.ICON_INFORMATION, wx.ART_INFORMATION))


class ListingMessageDialog(wx.Dialog):
    """The first paragraph of `message` beside the icon `style` names, the
    rest in a read-only field that scrolls, and OK."""

    def __init__(self, parent, message, caption, style=0):
        super().__init__(parent, title=caption, style=wx.DEFAULT_DIALOG_STYLE | wx.RESIZE_BORDER)
        first, _, rest = message.partition("\n\n")
        head = wx.BoxSizer(wx.HORIZONTAL)
        art = next((art for flag, art in ICONS if style & flag), None)
        if art:
            head.Add(wx.StaticBitmap(self, bitmap=wx.ArtProvider.GetBitmap(art, wx.ART_MESSAGE_BOX)),
                     0, wx.RIGHT, 10)
        summary = wx.StaticText(self, label=first)
        summary.Wrap(560)
        head.Add(summary, 1)
        sizer = wx.BoxSizer(wx.VERTICAL)
        sizer.Add(head, 0, wx.EXPAND | wx.ALL, 10)
        sizer.Add(wx.TextCtrl(self, value=rest, size=(640, 320),
                              style=wx.TE_MULTILINE | wx.TE_READONLY | wx.TE_DONTWRAP),
                  1, wx.EXPAND | wx.LEFT | wx.RIGHT, 10)
        sizer.Add(self.CreateStdDialogButtonSizer(wx.OK), 0, wx.EXPAND | wx.ALL, 10)
        self.SetSizerAndFit(sizer)
        if style & wx.CENTRE:
            self.CentreOnParent()


def show_message(parent, message, caption, style=0):
    """Shows `message` under `caption` over `parent` until it is answered;
    `style` adds an icon or a placement to the OK button."""
    long = message.count("\n") >= LINES_IN_A_BOX
    dialog = (ListingMessageDialog if long else wx.MessageDialog)(parent, message, caption, wx.OK | style)
    try:
        dialog.ShowModal()
    finally:
        dialog.Destroy()
