"""The renames of tree rows as Execute carries them out, and as the preview
flags them before: one plan for both, so that a row flagged as refused is
exactly one that Execute would refuse.

The rename engine refuses what is unsafe on disk; the host adds one rule of
its own: a new name that would hide an entry behind a leading dot (a name
that did not start with one) is refused, since the user would lose sight of
the file. Such a rename never reaches the engine."""

import os

import renamer

HIDING = "the new name would hide it behind a leading dot"


def hides(path, new_name):
    """Whether the rename hides the entry; "." and ".." the engine refuses itself."""
    return (new_name.startswith(".") and new_name not in (".", "..")
            and not os.path.basename(path).startswith("."))


class RowPlan:
    """The planned renames of `rows` (the tree's rename list) in the folder `base`."""

    def __init__(self, base, rows):
        self.rows = list(rows)
        self._pairs = [(os.sep.join(row.branch[1:]), row.newname) for row in self.rows]
        self._hidden = [hides(path, new) for path, new in self._pairs]
        self._plan = renamer.plan(base, [pair for pair, hidden in zip(self._pairs, self._hidden)
                                         if not hidden])
        self.entries = self._merged(self._plan.entries)

    def refusals(self):
        """{row: reason} for every row whose rename would be refused."""
        return {row: entry["reason"] for row, entry in zip(self.rows, self.entries)
                if entry["status"] == "refused"}

    def apply(self):
        """Carries the plan out; every row's entry comes back, in order."""
        return self._merged(self._plan.apply())

    def _merged(self, planned):
        """The engine's entries with the host's refusals in their places."""
        planned = iter(planned)
        return [{"path": path, "new": new, "status": "refused", "reason": HIDING} if hidden
                else next(planned)
                for (path, new), hidden in zip(self._pairs, self._hidden)]
