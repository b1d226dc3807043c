"""What the modules show of themselves: their names in the order the
modules define them, and the texts of their documentation."""
import pytest

import dirscan
import fileitem
import reshaper
import years
from lexer import Token

NAMES_IN_ORDER = {
    "years": (years, ["__version__", "debug", "dprint", "NOT_LETTERS", "PUNCT_IN_SET", "YEAR_ENTIRE",
                      "YEAR_PAREN", "YEAR_PUNCT", "YEAR_START", "YEAR_END", "YEAR_PATTERN",
                      "SECOND_YEAR_DELIMITER_LIST", "Chunk", "find_years", "extract_year"]),
    "dirscan": (dirscan, ["__version__", "os", "fnmatch", "time", "Callable", "Final", "Self", "wx",
                          "hostkit", "fileitem", "Fileitem", "prefstore", "debug", "dprint", "TIMING",
                          "PROFILING", "MAX_FILES", "Filetree"]),
    "fileitem": (fileitem, ["__version__", "hostkit", "debug", "dprint", "MARK_EXPANDED", "MARK_COLLAPSED",
                            "MARK_LEAF", "nodes", "propnodes", "textwidth", "ContextMenu",
                            "dummy_defined_transform", "Fileitem"]),
}


@pytest.mark.parametrize("module_name", NAMES_IN_ORDER)
def test_module_names_in_order(module_name):
    module, names = NAMES_IN_ORDER[module_name]
    assert [n for n in vars(module) if n in names] == names


def test_reshape_documentation_and_methods_in_order():
    assert reshaper.Reshape.__doc__.splitlines() == [
        "The function to be called when a Reformat operaitons is requested",
        "Note that this rquires additional paramrters: tee source and target name syntaxes"]
    assert [n for n in vars(reshaper.Reshape) if not n.startswith("__") or n == "__init__"] == [
        "__init__", "validate", "run"]


def test_window_documentation():
    assert reshaper.Reshaper.__doc__ == "The main frame"
    assert reshaper.ReshapePanel.__doc__ == (
        "This options panel displays the options applicable to the file name reformatting")


def test_token_documentation_lists_the_kinds():
    for kind in ("WHITESPACE", "SPECIAL", "BRACKETING", "PUNCTUATION", "NEWLINE", "TEXT"):
        assert kind in Token.__doc__
