"""Undo of typing in a one-line text field.

The toolkit's one-line fields on GTK 3 keep no history of their own
(Undo does nothing there), so each field keeps its earlier values here:
before every key that reaches it, the value it has then is remembered,
and Ctrl+Z brings back the last one that differs from what it shows."""

HISTORY_LENGTH = 100


def _history(field):
    if not hasattr(field, "typing_history"):
        field.typing_history = []
    return field.typing_history


def remember(field):
    """Called before a key reaches `field`."""
    history = _history(field)
    value = field.GetValue()
    if not history or history[-1] != value:
        history.append(value)
        del history[:-HISTORY_LENGTH]


def undo(field):
    """Gives `field` its previous value; False when there is none."""
    history = _history(field)
    current = field.GetValue()
    while history:
        value = history.pop()
        if value != current:
            field.SetValue(value)  # the field's handlers see it as typed
            field.SetInsertionPointEnd()
            return True
    return False
