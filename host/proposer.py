"""What the window proposes for a row: the new name by the tool's formats
when the row's name fits the source format, with every part spelled as in
the old name, or the name itself and the reason it is left alone.

The transformer's own module offers the functions (`fits`, `propose` and
`misfit_reason`, beside its transformer class); `run` keeps the results its
module documents and is not used here."""

import os
import sys


class Proposer:
    def __init__(self, transform):
        self._tool = sys.modules[type(transform).__module__]
        self._source = transform.source_symbols
        self._target = transform.target_symbols
        self.misfit_reason = self._tool.misfit_reason(transform.cfg.source_format)

    def propose(self, name):
        """The proposal for a name as a row hands it over (a file's name
        without its extension): the tree's transform."""
        return self._tool.propose(self._source, self._target, name)

    def misfit(self, row):
        """Why the row's name is left alone, or "" when it fits."""
        return self._misfit(_split(row)[0])

    def review(self, row):
        """The row's proposal and why its name is left alone ("" when it fits)."""
        base, extension = _split(row)
        return self.propose(base) + extension, self._misfit(base)

    def _misfit(self, base):
        return "" if self._tool.fits(self._source, base) else self.misfit_reason


def _split(row):
    """Base and extension as the row splits its name for the transform: the
    standard library's rule is the rows' own (the last dot that has
    something other than dots before it)."""
    return (row.name, "") if row.folder else os.path.splitext(row.name)
