"""Text preview of the renamer's engine on a list of names.

The main window is not there yet; until it is, the launcher shows how the
bundled example names (or the names given on the command line) split into
symbols and how the tidier writes them."""

import os

import hostkit
import lexer

EXAMPLES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                        "examples", "names.txt")


def example_names():
    with open(EXAMPLES, encoding="utf-8") as handle:
        return [line.rstrip("\n") for line in handle if line.strip()]


def describe(name):
    symbols = " ".join(repr(s) for s in lexer.symbolizer(name, whitespace=False))
    return f"{name}\n    symbols: {symbols}\n    tidied:  {hostkit.presentable(name)}"


def main(argv):
    names = argv or example_names()
    print("Preview (the renamer's window comes with a later version):\n")
    for name in names:
        print(describe(name))
    return 0
