import json
import os
import subprocess

import pytest

from disktree import make, moved, snapshot

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RESHAPE = os.path.join(ROOT, "build", "bin", "reshape")

LAYOUT = ["Smith - Report.txt", "Report - Smith.txt", "Lee - Notes.txt", "Notes - Lee.pdf",
          "Plain.txt", "sub/", "sub/Doe - Plan.md", "Taken - It.txt", "It - Taken.txt"]


@pytest.fixture
def folder(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    base = tmp_path / "files"
    make(base, LAYOUT)
    return base


def reshape(*args, env=None):
    run = subprocess.run([RESHAPE, *map(str, args)], capture_output=True, text=True,
                         env={**os.environ, **(env or {})})
    return run.returncode, run.stdout, run.stderr


def lines(out):
    return [line.split("\t") for line in out.splitlines()]


def test_preview_changes_nothing(folder):
    before = snapshot(folder)
    code, out, err = reshape(folder)
    assert code == 0 and err == ""
    assert lines(out) == [
        ["It - Taken.txt", "Taken - It.txt"], ["Lee - Notes.txt", "Notes - Lee.txt"],
        ["Notes - Lee.pdf", "Lee - Notes.pdf"], ["Report - Smith.txt", "Smith - Report.txt"], ["Smith - Report.txt", "Report - Smith.txt"],
        ["Taken - It.txt", "It - Taken.txt"]]
    assert snapshot(folder) == before


def test_options(folder):
    code, out, _ = reshape("-r", "-p", "*.md", folder)
    assert (code, lines(out)) == (0, [["sub/Doe - Plan.md", "Plan - Doe.md"]])
    code, out, _ = reshape("--source", "a - b", "--target", "b (a)", "--pattern", "L*", folder)
    assert lines(out) == [["Lee - Notes.txt", "Notes (Lee).txt"]]
    code, out, _ = reshape("-d", "-s", "name", "-t", "(name)", folder)
    assert lines(out) == [["sub", "(sub)"]]


def test_refused_in_preview_gives_exit_status_1(folder):
    make(folder, ["Notes - Lee.txt"])
    code, out, _ = reshape("-p", "Lee*", folder)
    assert code == 1
    assert lines(out) == [["Lee - Notes.txt", "Notes - Lee.txt",
                           "a file or folder of that name exists"]]


def test_json_lines(folder):
    code, out, _ = reshape("--json", "-p", "Lee*", folder)
    assert [json.loads(line) for line in out.splitlines()] == [
        {"path": "Lee - Notes.txt", "new": "Notes - Lee.txt", "status": "rename", "reason": ""}]


def expected_renames():
    return {"Smith - Report.txt": "Report - Smith.txt", "Report - Smith.txt": "Smith - Report.txt",
            "Lee - Notes.txt": "Notes - Lee.txt", "Notes - Lee.pdf": "Lee - Notes.pdf",
            "Taken - It.txt": "It - Taken.txt",
            "It - Taken.txt": "Taken - It.txt", "sub/Doe - Plan.md": "Plan - Doe.md"}


def test_apply_and_undo(folder):
    before = snapshot(folder)
    code, out, _ = reshape("-r", "--apply", folder)
    assert code == 0
    assert len(lines(out)) == 7
    assert snapshot(folder) == moved(before, expected_renames())
    code, out, _ = reshape("--undo", "--json", folder)
    assert code == 0
    assert {json.loads(line)["status"] for line in out.splitlines()} == {"done"}
    assert snapshot(folder) == before
    code, _, err = reshape("--undo", folder)
    assert code == 1 and err == f"reshape: nothing to undo in {folder}\n"


@pytest.mark.parametrize("step", [0, 3, 5, 8])
def test_undo_after_a_kill(folder, step):
    before = snapshot(folder)
    code, _, _ = reshape("-r", "--apply", folder, env={"RESHAPE_TEST_KILL_AT_STEP": str(step)})
    assert code == -9
    assert set(snapshot(folder).values()) == set(before.values())  # nothing lost
    code, _, _ = reshape("--undo", folder)
    assert code == 0
    assert snapshot(folder) == before


@pytest.mark.parametrize("step", [0, 4, 5, 6])
def test_failure_rolls_back_its_chain_only(folder, step):
    before = snapshot(folder)
    code, out, _ = reshape("-r", "--apply", "--json", folder,
                           env={"RESHAPE_TEST_FAIL_AT_STEP": str(step)})
    assert code == 1
    results = [json.loads(line) for line in out.splitlines()]
    failed = {r["path"] for r in results if r["status"] == "failed"}
    assert failed and all("injected failure" in r["reason"]
                          for r in results if r["status"] == "failed")
    done = {r["path"]: r["new"] for r in results if r["status"] == "done"}
    assert snapshot(folder) == moved(before, done)
    reshape("--undo", folder)
    assert snapshot(folder) == before


def test_swap_cycle_is_one_unit(folder):
    before = snapshot(folder)
    code, out, _ = reshape("--apply", "--json", "-p", "*Smith*", folder,
                           env={"RESHAPE_TEST_FAIL_AT_STEP": "1"})
    assert code == 1
    assert {json.loads(line)["status"] for line in out.splitlines()} == {"failed"}
    assert snapshot(folder) == before


@pytest.mark.parametrize("args, message", [
    (["--bogus", "."], "unknown option --bogus"),
    ([], "no FOLDER given"),
    (["a", "b"], "only one FOLDER is taken"),
    (["/nonexistent/folder"], "/nonexistent/folder is not a folder"),
    (["-s"], "option -s needs a value"),
    (["--apply", "--undo", "."], "--apply and --undo do not go together"),
    (["-t", "", "."], "You must specify bith the source and the target formats"),
])
def test_bad_usage(args, message):
    code, out, err = reshape(*args)
    assert code == 2 and out == ""
    assert err.startswith(f"reshape: {message}") and err.count("\n") == 1


def test_help():
    code, out, _ = reshape("--help")
    assert code == 0 and out.startswith("usage: reshape [options] FOLDER")


def test_same_proposals_as_the_window(folder):
    """The command and the reshaper module propose the same names."""
    import types

    import reshaper
    reshape_run = reshaper.Reshape(types.SimpleNamespace(
        source_format="a - b", target_format="b - a", reversed_names=False)).run
    _, out, _ = reshape(folder)
    for path, new in lines(out):
        base, extension = os.path.splitext(path)
        assert reshape_run(base) + extension == new


def json_lines(out):
    return [json.loads(line) for line in out.splitlines()]


def skipped(path, fmt="a - b"):
    return {"path": path, "new": path.rsplit("/", 1)[-1], "status": "skipped",
            "reason": f"does not fit '{fmt}'"}


def test_names_that_do_not_fit_are_listed_as_skipped_in_their_places(folder):
    make(folder, ["Notes -.txt", "- Notes.txt", "sub/Hitchhiker.md"])
    code, out, _ = reshape("--json", "-r", folder)
    assert code == 0

    def rename(path, new):
        return {"path": path, "new": new, "status": "rename", "reason": ""}
    assert json_lines(out) == [
        skipped("- Notes.txt"), rename("It - Taken.txt", "Taken - It.txt"),
        rename("Lee - Notes.txt", "Notes - Lee.txt"), rename("Notes - Lee.pdf", "Lee - Notes.pdf"),
        skipped("Notes -.txt"), skipped("Plain.txt"),
        rename("Report - Smith.txt", "Smith - Report.txt"),
        rename("Smith - Report.txt", "Report - Smith.txt"),
        rename("Taken - It.txt", "It - Taken.txt"),
        rename("sub/Doe - Plan.md", "Plan - Doe.md"), skipped("sub/Hitchhiker.md")]
    code, out, _ = reshape("-r", folder)
    assert [path for path, *_ in lines(out)] == [
        "It - Taken.txt", "Lee - Notes.txt", "Notes - Lee.pdf", "Report - Smith.txt",
        "Smith - Report.txt", "Taken - It.txt", "sub/Doe - Plan.md"]


@pytest.mark.parametrize("args, fmt, left_alone", [
    (["-d"], "a - b", {"sub"}),
    (["-t", "b"], "a - b", {"Plain.txt"}),  # it would have become ".txt", a hidden file
    (["-s", "title (series) - author", "-t", "author ~ [series] title"], "title (series) - author",
     set(LAYOUT) - {"sub/", "sub/Doe - Plan.md"} | {"Finance - Quarterly Report (2024).pdf"}),
])
def test_apply_leaves_names_that_do_not_fit_alone(folder, args, fmt, left_alone):
    make(folder, ["Finance - Quarterly Report (2024).pdf"])
    before = snapshot(folder)
    code, out, _ = reshape("--apply", "--json", *args, folder)
    results = json_lines(out)
    assert code == 0
    assert {r["path"] for r in results if r["status"] == "skipped"} == left_alone
    assert all(r["reason"] == f"does not fit '{fmt}'" for r in results if r["status"] == "skipped")
    done = {r["path"]: r["new"] for r in results if r["status"] == "done"}
    assert all(r["status"] in ("done", "skipped") for r in results)
    assert snapshot(folder) == moved(before, done)
    assert not any(name.startswith(".") for name in os.listdir(folder))


SPELLING = [  # name, its new name under 'a - b' -> 'b - a'
    ("Lippman - C++ Primer.txt", "C++ Primer - Lippman.txt"),
    ("Notes - v1.2.md", "v1.2 - Notes.md"),
    ("Log - 2024-01-15.txt", "2024-01-15 - Log.txt"),
    ("x - file_name_with_underscores.txt", "file_name_with_underscores - x.txt"),
    ("O'Brien - Notes.txt", "Notes - O'Brien.txt"),
    ("Series - Vol 02-01.pdf", "Vol 02-01 - Series.pdf"),
    ("Lee - Two  Spaces.txt", "Two  Spaces - Lee.txt"),
]


def test_parts_keep_their_spelling(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    base = tmp_path / "spelling"
    make(base, [name for name, _ in SPELLING])
    before = snapshot(base)
    code, out, _ = reshape(base)
    assert code == 0
    assert sorted(map(tuple, lines(out))) == sorted(SPELLING)
    code, _, _ = reshape("--apply", base)
    assert code == 0
    assert snapshot(base) == moved(before, dict(SPELLING))
