"""Splitting a name into chunks at its main delimiters.

A chunk is the text between two delimiters. The delimiters are the bracket
characters and a dash with a blank on both sides (" - ", " \u2013 "). Each
chunk but the first carries one character of the name before it as its
`prefix`, and `lentochunk` is where that character stands, so the chunk's
own text begins at `lentochunk + 1`; the first chunk has no prefix and
begins at 0. After a bracket the prefix is the bracket; a chunk that starts
with a spaced dash keeps the dash (so that a year cut out of it takes the
dash along) and its prefix is the blank before it. Chunks come in the order
of the name, and their prefixes and texts put together give the name back."""

import hostkit

BRACKETS = "()[]{}<>"
SPACED_DASHES = "-" + hostkit.DASHES


class Chunk:
    def __init__(self, text, lentochunk=0, prefix=""):
        self.text = text
        self.lentochunk = lentochunk
        self.prefix = prefix

    def __repr__(self):
        return (f"<{type(self).__name__} {self.text!r} lentochunk={self.lentochunk} "
                f"prefix={self.prefix!r}>")


def _boundary(text, i):
    """Where the chunk before position i ends and the next one's prefix
    stands, or None when no chunk starts here."""
    c = text[i]
    if c in BRACKETS:
        return i
    if c in SPACED_DASHES and 0 < i < len(text) - 1 and text[i - 1] == " " == text[i + 1]:
        return i - 1
    return None


def chunker(chunkclass, text):
    """The chunks of `text`, as instances of `chunkclass`, in name order."""
    chunks = []
    if not text:
        return chunks
    start, prefix, lentochunk = 0, "", 0
    for i in range(len(text)):
        cut = _boundary(text, i)
        if cut is None or cut < start:
            continue
        chunks.append(chunkclass(text=text[start:cut], lentochunk=lentochunk, prefix=prefix))
        start, prefix, lentochunk = cut + 1, text[cut], cut
    chunks.append(chunkclass(text=text[start:], lentochunk=lentochunk, prefix=prefix))
    return chunks
