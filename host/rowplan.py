"""The renames of tree rows as Execute carries them out, and as the preview
flags them before: one plan for both, so that a row flagged as refused is
exactly one that Execute would refuse."""

import os

import renamer
from readable import newname_of


class RowPlan:
    """The planned renames of `rows` (the tree's rename list) in the folder `base`."""

    def __init__(self, base, rows):
        self.rows = list(rows)
        pairs = [(os.sep.join(row.branch[1:]), newname_of(row)) for row in self.rows]
        self._plan = renamer.plan(base, pairs)
        self.entries = self._plan.entries

    def refusals(self):
        """{row: reason} for every row whose rename would be refused."""
        return {row: entry["reason"] for row, entry in zip(self.rows, self.entries)
                if entry["status"] == "refused"}

    def apply(self):
        """Carries the plan out; every row's entry comes back, in order."""
        return self._plan.apply()

    @property
    def journal_problem(self):
        """After `apply`: why the journal could not be written to its end, or ""."""
        return self._plan.journal_problem
