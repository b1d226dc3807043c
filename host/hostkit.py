"""Small services every module of the renamer uses: debug lines, the
program's name, name tidying, list formatting and dash characters."""

import os
import sys

from debugline import VARIABLE as DEBUG_VARIABLE
from debugline import dprint  # native; modules that see it switched off skip their lines
from nametidy import presentable  # native; modules that see it call the core directly

__all__ = ["dprint", "scriptname", "presentable", "andlist", "DASHES", "LONG_DASH"]

# Dashes a name may hold besides the hyphen-minus, for year delimiters: they
# go unescaped into regular-expression classes, so none of them may be a
# character with a meaning there ("-", "]", "\\", "^").
DASHES = "\u2010\u2011\u2012\u2013\u2014\u2015\u2212"
LONG_DASH = "\u2014"


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
