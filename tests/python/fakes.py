"""Stand-ins that tests put in place of callables."""


class Recorder:
    """Stands in for a debug printer or a tidier and keeps every call."""

    def __init__(self, result=None):
        self.calls = []
        self.result = result

    def __call__(self, *args):
        self.calls.append(args)
        return self.result(*args) if self.result else None

    @property
    def labels(self):
        return [call[0] for call in self.calls]



class ModalDialog:
    """Stands in for a toolkit dialog class: records what each one was made
    with, and answers ShowModal with `answer`."""
    made = []
    answer = 5100  # wx.ID_OK

    def __init__(self, *args, **kwargs):
        type(self).made.append(args)

    def ShowModal(self):
        return type(self).answer

    def Destroy(self):
        pass
