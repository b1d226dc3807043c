"""The renamer's look: fonts and colours of the file tree and its menus.

Fonts can only be made once the toolkit's application object exists, so
every entry is made the first time it is read and kept from then on."""

import wx


class _Entry:
    """A theme entry whose members are made on first use from recipes.

    A member, once made or set, is an attribute of its own: every later
    read is a plain attribute look-up, and `__getattr__` runs only for a
    member not made yet (the tree reads a member for each font and colour
    of each of its widgets)."""

    def __init__(self, **recipes):
        self._recipes = recipes

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        try:
            recipe = self._recipes[name]
        except KeyError:
            raise AttributeError(f"theme entry has no member {name!r}") from None
        made = recipe()
        setattr(self, name, made)
        return made


def _font(style=wx.FONTSTYLE_NORMAL, weight=wx.FONTWEIGHT_NORMAL):
    def make():
        font = wx.SystemSettings.GetFont(wx.SYS_DEFAULT_GUI_FONT)
        font.SetStyle(style)
        font.SetWeight(weight)
        return font
    return make


def _colour(red, green, blue):
    return lambda: wx.Colour(red, green, blue)


class Theme:
    def __init__(self):
        self.tree = _Entry(
            font=_font(),
            foreground=_colour(0x20, 0x20, 0x20),
            background=_colour(0xFF, 0xFF, 0xFF),
            selected_foreground=_colour(0xFF, 0xFF, 0xFF),
            selected_background=_colour(0x2A, 0x6E, 0xBB),
            expanded_font=_font(weight=wx.FONTWEIGHT_BOLD),
            expanded_foreground=_colour(0x40, 0x40, 0x40),
            expanded_background=_colour(0xFF, 0xFF, 0xFF),
            collapsed_font=_font(style=wx.FONTSTYLE_ITALIC, weight=wx.FONTWEIGHT_BOLD),
            collapsed_foreground=_colour(0x80, 0x50, 0x00),
            collapsed_background=_colour(0xF4, 0xEE, 0xE0),
            # A proposal left alone because its name does not fit the source
            # format, and one that the rename engine would refuse.
            misfit_foreground=_colour(0x9A, 0x9A, 0x9A),
            refused_foreground=_colour(0xA0, 0x10, 0x10),
            refused_background=_colour(0xFB, 0xDD, 0xDD),
        )
        self.menu = _Entry(
            font=_font(),
            foreground=_colour(0x20, 0x20, 0x20),
            background=_colour(0xFF, 0xFF, 0xFF),
        )


THEME = Theme()
