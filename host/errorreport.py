"""Errors raised in event handlers reach the window, not only stderr.

The toolkit hands an exception that escapes a handler to `sys.excepthook`
and carries on. While a frame lives, the hook still logs the traceback on
stderr as before, and then shows the error's message in a dialog. The
dialog is shown from the event loop, not from inside the hook: the hook can
be called in the middle of a build or of another dialog."""

import sys

import wx

import hostkit
from messagebox import show_message
from readable import readable


def message_of(error_type, error):
    text = str(error)
    return f"{error_type.__name__}: {text}" if text else error_type.__name__


class HandlerErrors:
    """Installed as `sys.excepthook` for the lifetime of `frame`."""

    def __init__(self, frame):
        self.frame = frame
        self.previous = sys.excepthook
        self.pending = set()  # messages queued for a dialog, each shown once at a time
        sys.excepthook = self
        frame.Bind(wx.EVT_WINDOW_DESTROY, self._on_destroy)

    def __call__(self, error_type, error, traceback):
        self.previous(error_type, error, traceback)
        if self.frame and issubclass(error_type, Exception):
            message = readable(message_of(error_type, error))
            if message not in self.pending:
                self.pending.add(message)
                wx.CallAfter(self._show, message)

    def _show(self, message):
        self.pending.discard(message)
        if not self.frame:
            return
        show_message(self.frame, "Something went wrong:\n\n" + message, hostkit.scriptname(),
                     wx.ICON_ERROR)

    def _on_destroy(self, event):
        event.Skip()
        if event.GetEventObject() is not self.frame:
            return  # a child window
        if sys.excepthook is self:
            sys.excepthook = self.previous
        else:  # a later hook chains to this one: only pass errors on
            self.frame = None
