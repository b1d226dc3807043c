"""Names that are not valid UTF-8, or hold control characters, shown
readably and renamed exactly.

Python hands such names over with each undecodable byte as a lone
surrogate (U+DC80..U+DCFF); the toolkit cannot show those and blanks the
whole text. On screen each such byte is written \\xNN instead, and `exact`
turns that spelling back into the byte for the rename. A row whose name
holds a control character (a newline would break its line) writes that
as \\xNN too. In a row shown so, every backslash of the name itself is
written twice, so that no name can be taken for another."""

import re

_UNDECODABLE = re.compile("[\udc80-\udcff]")
_OTHER_SURROGATE = re.compile("[\ud800-\udfff]")
_CONTROL = re.compile("[\x00-\x1f\x7f]")
# A backslash written twice, or the spelling of a byte or control character.
_WRITTEN = re.compile(r"\\\\|\\x([89a-fA-F][0-9a-fA-F]|[01][0-9a-fA-F]|7[fF])")


def has_undecodable(text):
    return _OTHER_SURROGATE.search(text) is not None


def _needs_escapes(text):
    return has_undecodable(text) or _CONTROL.search(text) is not None


def controls_written(text):
    """`text` with each control character (a newline, a tab) written \\xNN."""
    return _CONTROL.sub(lambda m: f"\\x{ord(m.group()):02x}", text)


def readable(text, escaping=False):
    """`text` as the toolkit can show it: undecodable bytes as \\xNN, any
    other lone surrogate as U+FFFD; with `escaping` (text that `exact` will
    turn back), each backslash as two and each control character as \\xNN."""
    if escaping:
        text = text.replace("\\", "\\\\")
        text = controls_written(text)
    text = _UNDECODABLE.sub(lambda m: f"\\x{ord(m.group()) - 0xDC00:02x}", text)
    return _OTHER_SURROGATE.sub("\ufffd", text)


def exact(text):
    """The inverse of `readable(text, escaping=True)` (of `readable` alone
    when the text holds no backslash): \\xNN (NN from 80 to ff) becomes the
    byte again, \\xNN (00 to 1f, 7f) the control character, and two
    backslashes one. Only for text shown so: elsewhere a name may well hold
    those characters."""
    return _WRITTEN.sub(lambda m: _character(int(m.group(1), 16)) if m.group(1) else "\\", text)


def _character(code):
    return chr(0xDC00 + code if code >= 0x80 else code)


def show_rows_readably(rows):
    """Rewrites the name and the proposal of every row that holds an
    undecodable byte or a control character, and marks the row
    `shown_readably`: `newname_of` must turn its proposal back before a
    rename. The proposal is changed without an event, so its tick stays as
    the tree worked it out."""
    for row in rows:
        proposal = row.proposed.GetValue()
        if _needs_escapes(row.name) or _needs_escapes(proposal):
            row.checkbox.SetLabel(readable(row.name, escaping=True))
            row.proposed.ChangeValue(readable(proposal, escaping=True))
            row.shown_readably = True


def newname_of(row):
    """The new name a row's rename uses: its exact bytes."""
    shown = row.newname
    return exact(shown) if getattr(row, "shown_readably", False) else shown
