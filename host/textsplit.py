"""Splitting a name into chunks at its main delimiters.

A chunk is the text between two delimiters. The delimiters are the bracket
characters and a dash with a blank on both sides (" - ", " \u2013 "). A chunk
that follows a delimiter carries that one character as its `prefix`, and
`lentochunk` is where the prefix stands in the name, so the chunk's own text
begins at `lentochunk + 1`; the first chunk has no prefix and begins at 0.
Chunks come in the order of the name."""

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


def _is_delimiter(text, i):
    c = text[i]
    if c in BRACKETS:
        return True
    return (c in SPACED_DASHES and 0 < i < len(text) - 1
            and text[i - 1] == " " and text[i + 1] == " ")


def chunker(chunkclass, text):
    """The chunks of `text`, as instances of `chunkclass`, in name order."""
    chunks = []
    if not text:
        return chunks
    start, prefix, lentochunk = 0, "", 0
    for i in range(len(text)):
        if _is_delimiter(text, i):
            chunks.append(chunkclass(text=text[start:i], lentochunk=lentochunk, prefix=prefix))
            start, prefix, lentochunk = i + 1, text[i], i
    chunks.append(chunkclass(text=text[start:], lentochunk=lentochunk, prefix=prefix))
    return chunks
