"""One build of the file tree at a time.

A build hands control to the toolkit every 51 entries, so any handler can
run in the middle of one. Starting another build there, or destroying the
rows being made, breaks the build that is running; so while a build runs a
command either waits for it (it is queued and runs once the build has
ended) or cancels it. The build ends at its next progress report, where
`check` raises `BuildCancelled`; the frame catches it where the build
started and, when a new build was asked for, starts one afresh."""

import sys


class BuildCancelled(Exception):
    """Ends a build the user cancelled, from inside its progress report."""


class BuildGuard:
    def __init__(self):
        self.running = False
        self._cancelled = False
        self._restart = False
        self._waiting = []

    def check(self):
        """Called on every progress report of the running build."""
        if self.running and self._cancelled:
            raise BuildCancelled()

    def cancel(self, restart=False):
        """Ends the running build at its next progress report; with
        `restart`, the frame builds the tree again afresh."""
        if self.running:
            self._cancelled = True
            self._restart = restart

    def run(self, build):
        """Runs `build()`; True when it finished, False when it was cancelled."""
        self.running = True
        try:
            build()
            return True
        except BuildCancelled:
            return False
        finally:
            self.running = False
            self._cancelled = False

    def restart_asked(self):
        """Whether a cancelled build is to be started again (asked once)."""
        asked, self._restart = self._restart, False
        return asked

    def when_idle(self, command):
        """Runs `command()` now, or once the running build has ended."""
        if self.running:
            self._waiting.append(command)
        else:
            command()

    def run_waiting(self):
        """Runs the commands that waited, in the order they came; one that
        fails is reported like a failing handler and the others still run."""
        while self._waiting and not self.running:
            command = self._waiting.pop(0)
            try:
                command()
            except Exception:
                sys.excepthook(*sys.exc_info())
