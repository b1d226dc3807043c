import pytest

import textsplit


class Marked(textsplit.Chunk):
    pass


def start_in_name(chunk):
    return chunk.lentochunk + (1 if chunk.prefix else 0)


@pytest.mark.parametrize("name", [
    "Title (1999)", "Title - 1999", "Report [Issue 2] - Finance", "a-b - c \u2013 d",
    "plain", "(1999)", "x -", "- x", "((", "<a>{b}", "a - - b", "(- x)", " - ",
])
def test_chunk_positions_map_back_into_the_name(name):
    chunks = textsplit.chunker(Marked, name)
    assert all(type(c) is Marked for c in chunks)
    for chunk in chunks:
        start = start_in_name(chunk)
        assert name[start:start + len(chunk.text)] == chunk.text
        assert not chunk.prefix or name[chunk.lentochunk] == chunk.prefix
    rebuilt = "".join(c.prefix + c.text for c in chunks)
    assert rebuilt == name


@pytest.mark.parametrize("name, texts", [
    ("Title (1999)", ["Title ", "1999", ""]),
    ("Title - 1999", ["Title", "- 1999"]),
    ("Smith-Jones - Notes", ["Smith-Jones", "- Notes"]),
    ("Report [Issue 2] - Finance", ["Report ", "Issue 2", "", "- Finance"]),
    ("a - - b", ["a", "-", "- b"]),
    ("plain", ["plain"]),
    ("", []),
])
def test_chunks_in_name_order(name, texts):
    assert [c.text for c in textsplit.chunker(textsplit.Chunk, name)] == texts
