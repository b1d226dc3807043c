import os

import pytest

import dirscan
import fileitem
from disktree import touch, tree_config as config
from fakes import Recorder
from walkoracle import expected_names, visited_directories


@pytest.fixture
def make_tree(panes, monkeypatch):
    monkeypatch.setattr(dirscan, "TIMING", False)

    def make(cfg, on_progress=None):
        return dirscan.Filetree(panes.left, panes.right, panes.sizer1, panes.sizer2, cfg,
                                lambda name: name, on_progress)
    return make


@pytest.fixture
def mixed_folder(tmp_path):
    touch(tmp_path, "c.txt", "a.txt", "B.txt", "notes", ".hidden", "x/d.mp3", "x/y/e.txt",
          "x/y/z/f.TXT", "sp ace/g.txt", "weird [1].txt", "a-b.txt", "caf\u00e9.txt",
          "dash\u2013name.txt", "new\nline.txt")
    (tmp_path / "empty").mkdir()
    (tmp_path / "x" / "y" / "deep").mkdir()
    os.symlink(tmp_path / "x", tmp_path / "link to x")
    os.symlink(tmp_path / "missing", tmp_path / "dangling")
    os.symlink(tmp_path / "c.txt", tmp_path / "link to c")
    return tmp_path


PATTERNS = ["", "*", "*.txt", "*.TXT", "?.txt", "[ab]*", "[!ab]*", "[a-c]*", "[c-a]*",
            "[!c-a]*", "*[[]*", "[]]*", "[!]]*", "*]", "[", "weird [1].txt", "*-*", "[-a]*",
            "[a-]*", "*.*", ".*", "*e*t*", "[\u00e0-\u00ff]*", "*\n*", "[\\]*", "x", "d*3"]


@pytest.mark.parametrize("pattern", PATTERNS)
@pytest.mark.parametrize("folders", [False, True])
@pytest.mark.parametrize("recursive", [True, False])
def test_walk_matches_the_hosts_walk_and_fnmatch(make_tree, mixed_folder, pattern, folders,
                                                 recursive):
    tree = make_tree(config(mixed_folder, pattern, folders, recursive))
    expected = expected_names(str(mixed_folder), tree.config.pattern, folders, recursive)
    assert tree.get_names() == expected


def test_code_point_order_and_links(make_tree, mixed_folder):
    names = make_tree(config(mixed_folder)).get_names()
    assert names[:4] == [".hidden", "B.txt", "a-b.txt", "a.txt"]
    assert "link to x/d.mp3" not in names  # a link to a folder is not followed
    assert {"dangling", "link to c"} <= set(names)
    folders = make_tree(config(mixed_folder, folders=True)).get_names()
    assert "link to x" in folders and "empty" in folders and "x/y/deep" in folders


def test_names_not_in_the_file_system_encoding(make_tree, tmp_path):
    raw = os.fsencode(str(tmp_path)) + b"/bad\xff name.txt"
    open(raw, "w").close()
    tree = make_tree(config(tmp_path))
    assert tree.get_names() == ["bad\udcff name.txt"] == expected_names(str(tmp_path), "*",
                                                                       False, True)
    tree.build()
    row = next(iter(fileitem.nodes.values()))
    assert row.name == "bad\udcff name.txt" and not row.folder


def test_missing_location_gives_no_names(make_tree, tmp_path):
    assert make_tree(config(tmp_path / "nowhere")).get_names() == []


@pytest.mark.skipif(os.geteuid() == 0, reason="root reads every folder")
def test_unreadable_folder_is_skipped(make_tree, tmp_path):
    touch(tmp_path, "open/a.txt", "shut/b.txt")
    os.chmod(tmp_path / "shut", 0)
    try:
        assert make_tree(config(tmp_path)).get_names() == ["open/a.txt"]
    finally:
        os.chmod(tmp_path / "shut", 0o755)


def test_folder_root_gives_plain_relative_names(make_tree):
    tree = make_tree(config("/", pattern="os-release", recursive=True))
    tree.config.folders = False
    names = tree.get_names()
    assert names and all(not n.startswith("/") for n in names)
    assert names == expected_names("/", "os-release", False, True)


def test_limit_keeps_the_first_501_in_listing_order(make_tree, tmp_path, monkeypatch):
    touch(tmp_path, *[f"{i:03d}.txt" for i in range(600)])
    messages, debug = Recorder(), Recorder()
    tree = make_tree(config(tmp_path), messages)
    monkeypatch.setattr(dirscan, "dprint", debug)
    names = tree.get_names()
    listing = os.listdir(tmp_path)
    assert names == sorted(listing[:501])
    assert ("Only (500) files can be processed at one time, additional files will be "
            "ignored",) in messages.calls
    assert debug.calls == [("*** breaking inner",), ("*** breaking outer",)]


def test_limit_counts_candidates_that_do_not_match(make_tree, tmp_path):
    # One distinct first character per name, so that a set can pick any ten.
    touch(tmp_path, *[chr(0x4E00 + i) + ".txt" for i in range(600)])
    last = os.listdir(tmp_path)[-10:]
    pattern = "[" + "".join(name[0] for name in last) + "].txt"
    messages = Recorder()
    tree = make_tree(config(tmp_path, pattern), messages)
    assert tree.get_names() == []
    assert messages.calls[-1][0].startswith("Only (500) files")


def test_progress_every_51_directories(make_tree, tmp_path, monkeypatch):
    for i in range(60):
        (tmp_path / f"d{i:02d}").mkdir()
    yields = Recorder()
    monkeypatch.setattr(dirscan.wx, "Yield", yields)
    messages = Recorder()
    make_tree(config(tmp_path), messages).get_names()
    assert messages.calls == [("Processing " + visited_directories(str(tmp_path))[51],)]
    assert len(yields.calls) == 1


def test_no_progress_without_a_callback(make_tree, tmp_path, monkeypatch):
    for i in range(60):
        (tmp_path / f"d{i:02d}").mkdir()
    yields = Recorder()
    monkeypatch.setattr(dirscan.wx, "Yield", yields)
    make_tree(config(tmp_path)).get_names()
    assert yields.calls == []


def test_pattern_and_modes_are_read_at_each_call(make_tree, mixed_folder):
    tree = make_tree(config(mixed_folder, "*.mp3"))
    assert tree.get_names() == ["x/d.mp3"]
    tree.config.pattern, tree.config.recursive = "*.txt", False
    assert "x/y/e.txt" not in tree.get_names() and "a.txt" in tree.get_names()


def test_a_location_in_bytes_is_a_type_error_not_read_as_text(make_tree, mixed_folder):
    cfg = config(mixed_folder)
    cfg.location = os.fsencode(cfg.location)
    tree = make_tree(cfg)
    with pytest.raises(TypeError, match="expected str, not bytes"):
        tree.get_names()
