"""Small services every module of the renamer uses: debug lines, the
program's name, name tidying, list formatting and dash characters."""

import os
import sys

from nametidy import presentable  # native; modules that see it call the core directly

__all__ = ["dprint", "scriptname", "presentable", "andlist", "DASHES", "LONG_DASH"]

DEBUG_VARIABLE = "RESHAPER_DEBUG"

# Dashes a name may hold besides the hyphen-minus, for year delimiters: they
# go unescaped into regular-expression classes, so none of them may be a
# character with a meaning there ("-", "]", "\\", "^").
DASHES = "\u2010\u2011\u2012\u2013\u2014\u2015\u2212"
LONG_DASH = "\u2014"

_MISSING = object()


def dprint(label, value=_MISSING):
    """Write one debug line to standard error while RESHAPER_DEBUG is set."""
    if not os.environ.get(DEBUG_VARIABLE):
        return
    if value is _MISSING:
        line = str(label)
    else:
        shown = value if isinstance(value, str) else repr(value)
        line = f"{label} {shown}"
    print(line, file=sys.stderr)


def scriptname():
    """The file name of the running program ("reshaper" when there is none)."""
    name = os.path.basename(sys.argv[0]) if sys.argv and sys.argv[0] else ""
    if not name or name.startswith("-"):
        return "reshaper"
    return name


def andlist(items, quote=""):
    """The items as English reads a list: 'a', 'b' and 'c'."""
    quoted = [f"{quote}{item}{quote}" for item in items]
    if len(quoted) < 2:
        return "".join(quoted)
    return ", ".join(quoted[:-1]) + " and " + quoted[-1]
