import os
import sys

import pytest

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
