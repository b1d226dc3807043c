"""Applying a theme entry to a widget or a menu item."""


def _apply(widget, setter, entry, member):
    value = getattr(entry, member, None)
    method = getattr(widget, setter, None)
    if value is None or method is None:
        return
    try:
        method(value)
    except NotImplementedError:
        pass  # menu items can be styled on some platforms only


def format_widget(widget, entry):
    """Give the widget the entry's font and colours, as far as it takes them."""
    _apply(widget, "SetFont", entry, "font")
    _apply(widget, "SetTextColour", entry, "foreground")
    _apply(widget, "SetForegroundColour", entry, "foreground")
    _apply(widget, "SetBackgroundColour", entry, "background")
