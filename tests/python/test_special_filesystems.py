"""Renames on file systems that lack RENAME_NOREPLACE: the engine falls back
to a hard link and an unlink for files, and where even that is missing it
refuses rather than look first and rename after, which could replace what
another program made in between. Mounted through FUSE; skipped where FUSE
is not available."""

import json
import os
import shutil
import subprocess

import pytest

from disktree import make, snapshot
from test_reshape_command import RESHAPE


def mount(command, mountpoint):
    if not shutil.which(command[0]) or not os.path.exists("/dev/fuse"):
        pytest.skip(f"{command[0]} or /dev/fuse is missing")
    mountpoint.mkdir()
    if subprocess.run(command, capture_output=True).returncode != 0:
        pytest.skip(f"{command[0]} cannot mount here")
    return mountpoint


@pytest.fixture
def fat(tmp_path):
    image = tmp_path / "fat.img"
    with open(image, "wb") as handle:
        handle.truncate(8 << 20)
    subprocess.run(["mkfs.fat", str(image)], check=True, capture_output=True)
    mountpoint = mount(["fusefat", "-o", "rw+", str(image), str(tmp_path / "fat")], tmp_path / "fat")
    yield mountpoint
    subprocess.run(["fusermount", "-u", str(mountpoint)], check=False)


@pytest.fixture
def bound(tmp_path):
    source = tmp_path / "source"
    source.mkdir()
    mountpoint = mount(["bindfs", str(source), str(tmp_path / "bound")], tmp_path / "bound")
    yield mountpoint
    subprocess.run(["fusermount", "-u", str(mountpoint)], check=False)


def run(*args, state):
    done = subprocess.run([RESHAPE, "--json", *map(str, args)], capture_output=True, text=True,
                          env={**os.environ, "XDG_STATE_HOME": str(state)})
    return done.returncode, [json.loads(line) for line in done.stdout.splitlines()]


NO_SAFE_RENAME = ("the file system offers no rename that cannot replace another entry "
                  "(no RENAME_NOREPLACE, and no hard link for this entry)")


def test_without_noreplace_or_links_nothing_is_risked(fat, tmp_path):
    make(fat, ["x - y.txt", "y - x.txt", "Lee - Notes.txt"])
    before = snapshot(fat)
    code, results = run("--apply", fat, state=tmp_path / "state")
    assert code == 1
    assert {(r["status"], r["reason"]) for r in results} == {("failed", NO_SAFE_RENAME)}
    assert snapshot(fat) == before


def test_files_go_through_a_link_and_folders_are_refused(bound, tmp_path):
    make(bound, ["x - y.txt", "y - x.txt", "Folder/"])
    before = snapshot(bound)
    code, results = run("--apply", bound, state=tmp_path / "state")
    assert code == 0 and {r["status"] for r in results} == {"done"}
    assert snapshot(bound) == {"x - y.txt": "contents of y - x.txt",
                               "y - x.txt": "contents of x - y.txt", "Folder/": None}
    code, results = run("--apply", "-d", "-s", "name", "-t", "(name)", bound, state=tmp_path / "state")
    assert (code, results) == (1, [{"path": "Folder", "new": "(Folder)", "status": "failed",
                                    "reason": NO_SAFE_RENAME}])
    assert run("--undo", bound, state=tmp_path / "state")[0] == 0
    assert snapshot(bound) == before


@pytest.fixture
def caseless(tmp_path):
    import sys
    import time
    try:
        import fusepy  # noqa: F401
    except ImportError:
        pytest.skip("fusepy is missing")
    backing, mountpoint = tmp_path / "backing", tmp_path / "caseless"
    backing.mkdir()
    mountpoint.mkdir()
    server = subprocess.Popen([sys.executable, os.path.join(os.path.dirname(__file__), "caseless_fs.py"),
                               str(backing), str(mountpoint)], stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.ismount(mountpoint) or server.poll() is not None:
            break
        time.sleep(0.05)
    if not os.path.ismount(mountpoint):
        server.kill()
        pytest.skip("FUSE cannot mount here")
    yield backing, mountpoint
    subprocess.run(["fusermount", "-u", str(mountpoint)], check=False)
    server.wait(timeout=10)


def test_a_change_of_letter_case_on_a_caseless_file_system(caseless, tmp_path, monkeypatch):
    import renamer
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    backing, mountpoint = caseless
    make(backing, ["case.txt", "Other.txt"])
    plan = renamer.plan(str(mountpoint), [("case.txt", "CASE.txt"), ("Other.txt", "other.TXT")])
    assert [e["status"] for e in plan.entries] == ["rename", "rename"]
    assert [e["status"] for e in plan.apply()] == ["done", "done"]
    assert snapshot(backing) == {"CASE.txt": "contents of case.txt", "other.TXT": "contents of Other.txt"}
    assert {e["status"] for e in renamer.undo(str(mountpoint))} == {"done"}
    assert snapshot(backing) == {"case.txt": "contents of case.txt", "Other.txt": "contents of Other.txt"}
    # Another entry whose name differs only in case is still a taken name.
    make(backing, ["x.txt"])
    assert renamer.plan(str(mountpoint), [("case.txt", "X.TXT")]).entries[0]["reason"] == (
        "a file or folder of that name exists")
