import faulthandler
import os
import sys

import pytest

# A session that stalls (the toolkit waiting on a display that does not
# answer, say) prints every thread's stack long before scripts/test gives up.
faulthandler.dump_traceback_later(300)

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
for folder in (os.path.join(ROOT, "host"), os.path.join(ROOT, "build", "python")):
    if folder not in sys.path:
        sys.path.insert(0, folder)


@pytest.fixture
def no_special_tokens():
    """Every lexer test starts with an empty SPECIAL_TOKENS and leaves it so."""
    import lexer
    saved = list(lexer.SPECIAL_TOKENS)
    lexer.SPECIAL_TOKENS.clear()
    yield
    lexer.SPECIAL_TOKENS[:] = saved


@pytest.fixture
def debug_lines(monkeypatch):
    """The reshaper module's debug lines, captured."""
    import reshaper
    from fakes import Recorder
    recorder = Recorder()
    monkeypatch.setattr(reshaper, "dprint", recorder)
    return recorder


@pytest.fixture
def panes():
    """Fresh panes for tree rows, torn down after the test."""
    import reshaper  # noqa: F401  (the toolkit's application object)
    import rows
    made = rows.make_panes()
    yield made
    rows.close_panes(made)


ROW_SETTINGS = ("wxparent1", "wxparent2", "sizer1", "sizer2", "defined_transform", "location")


@pytest.fixture(autouse=True)
def row_class_settings():
    """Trees publish their panes and transform on the row class; every test
    starts from and leaves the import-time settings and empty registries."""
    import fileitem
    saved = {name: fileitem.Fileitem.__dict__[name] for name in ROW_SETTINGS}
    yield
    for name, value in saved.items():
        setattr(fileitem.Fileitem, name, value)
    fileitem.nodes, fileitem.propnodes = {}, {}
