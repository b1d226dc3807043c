"""Trouble with the settings file, told to the user once per kind.

The window goes on with the defaults (or with the settings it has) when the
file cannot be read or written; the user hears why, in a dialog, and not
again at every refresh."""

import sys


class SettingsReport:
    def __init__(self, tell):
        self.tell = tell  # shows one message to the user
        self.told = set()

    def _once(self, text):
        if text not in self.told:
            self.told.add(text)
            self.tell(text)

    def loaded(self, cfg):
        """What went wrong when `cfg` read its file."""
        for problem in cfg.problems:
            self._once(f"The settings were not read as they are: {problem}.")

    def save(self, cfg):
        """Saves `cfg`; a failure is told rather than raised."""
        try:
            cfg.save()
        except (OSError, ValueError) as error:  # a value JSON cannot hold is no reason to stop
            print(f"reshaper: the settings could not be saved: {error}", file=sys.stderr)
            self._once(f"The settings could not be saved, and will not be kept "
                       f"after this session: {error}")
