import json
import os
import re
import resource
import signal
import subprocess

import pytest

from disktree import make, moved, snapshot

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The build whose command is tested: build/, or the one RESHAPE_BUILD names
# (scripts/test names the sanitized build).
BUILD = os.environ.get("RESHAPE_BUILD", os.path.join(ROOT, "build"))
RESHAPE = os.path.join(BUILD, "bin", "reshape")
RESHAPE_WITH_FAULTS = os.path.join(BUILD, "tests", "reshape_with_faults")

LAYOUT = ["Smith - Report.txt", "Report - Smith.txt", "Lee - Notes.txt", "Notes - Lee.pdf",
          "Plain.txt", "sub/", "sub/Doe - Plan.md", "Taken - It.txt", "It - Taken.txt"]


@pytest.fixture
def folder(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    base = tmp_path / "files"
    make(base, LAYOUT)
    return base


def reshape(*args, env=None, program=RESHAPE):
    run = subprocess.run([program, *map(str, args)], capture_output=True, text=True,
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
        ["Notes - Lee.pdf", "Lee - Notes.pdf"], ["Report - Smith.txt", "Smith - Report.txt"],
        ["Smith - Report.txt", "Report - Smith.txt"],
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
    code, _, _ = reshape("-r", "--apply", folder, env={"RESHAPE_TEST_KILL_AT_STEP": str(step)}, program=RESHAPE_WITH_FAULTS)
    assert code == -9
    assert set(snapshot(folder).values()) == set(before.values())  # nothing lost
    code, _, err = reshape("--undo", folder)
    # Killed before its first rename, the batch changed nothing to take back.
    assert (code, err) == ((1, f"reshape: nothing to undo in {folder}\n") if step == 0 else (0, ""))
    assert snapshot(folder) == before


@pytest.mark.parametrize("step", [0, 4, 5, 6])
def test_failure_rolls_back_its_chain_only(folder, step):
    before = snapshot(folder)
    code, out, _ = reshape("-r", "--apply", "--json", folder,
                           env={"RESHAPE_TEST_FAIL_AT_STEP": str(step)}, program=RESHAPE_WITH_FAULTS)
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
                           env={"RESHAPE_TEST_FAIL_AT_STEP": "1"}, program=RESHAPE_WITH_FAULTS)
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
    # An undo takes back the batch as it was: nothing to choose.
    (["--undo", "-p", "*.pdf", "."], "--undo does not go with -p"),
    (["--undo", "--recursive", "1"], "--undo does not go with --recursive"),
    (["--history", "-d", "."], "--history does not go with -d"),
    (["--history", "--source", "a b"], "--history does not go with --source"),
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


@pytest.mark.parametrize("args, message", [
    (["-Zr", "."], "unknown option -Z"),
    (["-dash", "."], "unknown option -a"),
    (["--source=a", "--bogus=1", "."], "unknown option --bogus=1"),
    (["--apply=1", "."], "option --apply takes no value"),
    (["--recursive=yes", "."], "option --recursive takes no value"),
    (["--quiet=", "."], "option --quiet takes no value"),
])
def test_unknown_options_are_named(args, message):
    code, out, err = reshape(*args)
    assert (code, out, err) == (2, "", f"reshape: {message} (see reshape --help)\n")


@pytest.mark.parametrize("step", [1, 4])
def test_sigterm_finishes_the_unit_under_way_and_says_so(folder, step):
    before = snapshot(folder)
    code, out, err = reshape("-r", "--apply", "--json", folder, program=RESHAPE_WITH_FAULTS,
                             env={"RESHAPE_TEST_SIGNAL_AT_STEP": str(step)})
    assert code == 143
    assert err == ("reshape: stopped by SIGTERM; the renames listed as done were carried out "
                   "(reshape --undo takes them back)\n")
    listed = [json.loads(line) for line in out.splitlines()]
    assert [r["path"] for r in listed if r["status"] == "skipped"] == ["Plain.txt"]  # never planned
    results = [r for r in listed if r["status"] != "skipped"]
    done = {r["path"]: r["new"] for r in results if r["status"] == "done"}
    assert done and len(done) < len(results)
    assert {r["reason"] for r in results if r["status"] != "done"} == {
        "not carried out: the batch was interrupted"}
    assert snapshot(folder) == moved(before, done)
    code, out, _ = reshape("--history", "--json", folder)
    assert [(b["state"], b["done"], b["renames"]) for b in map(json.loads, out.splitlines())] == [
        ("stopped", len(done), len(results))]
    assert reshape("--undo", folder)[0] == 0
    assert snapshot(folder) == before


@pytest.mark.parametrize("signal_number, name", [(signal.SIGHUP, "SIGHUP"), (signal.SIGINT, "SIGINT")])
def test_a_hangup_or_interrupt_stops_the_batch_like_sigterm(folder, signal_number, name):
    before = snapshot(folder)
    code, out, err = reshape("-r", "--apply", "--json", folder, program=RESHAPE_WITH_FAULTS,
                             env={"RESHAPE_TEST_SIGNAL_AT_STEP": "1",
                                  "RESHAPE_TEST_SIGNAL": str(int(signal_number))})
    assert (code, err) == (128 + signal_number, f"reshape: stopped by {name}; the renames listed as "
                           "done were carried out (reshape --undo takes them back)\n")
    done = {r["path"]: r["new"] for r in map(json.loads, out.splitlines()) if r["status"] == "done"}
    assert snapshot(folder) == moved(before, done)


def test_a_signal_once_the_last_unit_is_under_way_stops_nothing(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    base = tmp_path / "files"
    make(base, ["Lee - Notes.txt"])
    before = snapshot(base)
    code, out, err = reshape("--apply", base, program=RESHAPE_WITH_FAULTS,
                             env={"RESHAPE_TEST_SIGNAL_AT_STEP": "0"})
    assert (code, out, err) == (0, "Lee - Notes.txt\tNotes - Lee.txt\n", "")
    assert snapshot(base) == moved(before, {"Lee - Notes.txt": "Notes - Lee.txt"})


def test_a_reader_gone_from_the_pipe_is_told_with_what_became_of_the_batch(folder):
    before = snapshot(folder)
    read_end, write_end = os.pipe()
    os.close(read_end)
    try:
        run = subprocess.run([RESHAPE, "-r", "--apply", str(folder)], stdout=write_end,
                             stderr=subprocess.PIPE, text=True)
    finally:
        os.close(write_end)
    assert (run.returncode, run.stderr) == (1, "reshape: cannot write the output: Broken pipe; the batch "
                                            "was carried out (reshape --history lists it)\n")
    assert snapshot(folder) == moved(before, expected_renames())


def test_the_shipped_command_has_no_fault_hooks(folder):
    before = snapshot(folder)
    code, _, _ = reshape("-r", "--apply", folder, env={"RESHAPE_TEST_KILL_AT_STEP": "0"})
    assert code == 0
    assert snapshot(folder) == moved(before, expected_renames())


def test_paths_longer_than_path_max_are_renamed(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    top = tmp_path / "deep"
    top.mkdir()
    names = [f"{depth:03d} - " + "x" * 54 for depth in range(100)]
    fd = os.open(top, os.O_RDONLY)
    for name in names:
        os.mkdir(name, dir_fd=fd)
        fd, parent = os.open(name, os.O_RDONLY, dir_fd=fd), fd
        os.close(parent)
    os.close(os.open("Smith - Report.txt", os.O_WRONLY | os.O_CREAT, dir_fd=fd))
    os.close(fd)
    relative = "/".join(names) + "/Smith - Report.txt"
    assert len(str(top) + relative) > os.pathconf("/", "PC_PATH_MAX")
    code, out, err = reshape("-r", "--apply", top)
    assert (code, err) == (0, "")
    assert lines(out) == [[relative, "Report - Smith.txt"]]
    fd = os.open(top, os.O_RDONLY)
    for name in names:
        fd, parent = os.open(name, os.O_RDONLY, dir_fd=fd), fd
        os.close(parent)
    assert os.listdir(fd) == ["Report - Smith.txt"]
    os.close(fd)


def as_nobody(*args, env=None):
    """The command run as the user nobody (by root, through setpriv)."""
    run = subprocess.run(["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", RESHAPE,
                          *map(str, args)], capture_output=True, text=True, env={**os.environ, **(env or {})})
    return run.returncode, run.stdout, run.stderr


AS_NOBODY = pytest.mark.skipif(os.geteuid() != 0 or not os.path.exists("/usr/bin/setpriv"),
                               reason="runs the command as another user, which needs root")


@pytest.fixture
def open_to_all():
    """A folder other users may enter (the test's own folder is closed to them)."""
    import shutil
    import tempfile
    top = tempfile.mkdtemp(prefix="open-to-all-")
    os.chmod(top, 0o755)
    yield top
    shutil.rmtree(top)


@AS_NOBODY
def test_an_unreadable_folder_is_named_and_fails_the_run(open_to_all):
    top = open_to_all
    make(top, ["Smith - Report.txt", "closed/Lee - Notes.txt"])
    subprocess.run(["chown", "nobody:nogroup", top], check=True)  # its own folder; "closed" is root's
    os.chmod(os.path.join(top, "closed"), 0o700)
    assert as_nobody("-r", top) == (1, "Smith - Report.txt\tReport - Smith.txt\n",
                                    f"reshape: cannot read {top}/closed: Permission denied\n")


# A folder the user may list but not change, or not even look into: the
# preview says so for each entry, as --apply would find it.
@AS_NOBODY
@pytest.mark.parametrize("mode, cannot", [(0o555, "changed"), (0o400, "searched")])
def test_a_preview_tells_a_folder_the_user_cannot_change(open_to_all, mode, cannot):
    files = os.path.join(open_to_all, "files")
    make(files, ["Lee - Notes.txt", "Smith - Report.txt"])
    subprocess.run(["chown", "-R", "nobody:nogroup", open_to_all], check=True)
    os.chmod(files, mode)
    state = {"XDG_STATE_HOME": os.path.join(open_to_all, "state")}
    why = f"the folder {files} cannot be {cannot}: Permission denied"
    assert as_nobody(files, env=state) == (
        1, f"Lee - Notes.txt\tNotes - Lee.txt\t{why}\nSmith - Report.txt\tReport - Smith.txt\t{why}\n",
        "reshape: 2 of 2 renames would not be carried out: 2 refused\n")
    os.chmod(files, 0o755)


@AS_NOBODY
def test_a_batch_folder_out_of_reach_is_told_so_not_called_gone(open_to_all):
    files = os.path.join(open_to_all, "closed", "files")
    make(files, ["Lee - Notes.txt"])
    os.makedirs(os.path.join(open_to_all, "state"))
    subprocess.run(["chown", "-R", "nobody:nogroup", open_to_all], check=True)
    state = {"XDG_STATE_HOME": os.path.join(open_to_all, "state")}
    assert as_nobody("--apply", files, env=state)[0] == 0
    subprocess.run(["chown", "root:root", os.path.join(open_to_all, "closed")], check=True)
    os.chmod(os.path.join(open_to_all, "closed"), 0o700)
    assert as_nobody("--undo", "1", env=state) == (
        1, "", f"reshape: the folder {files} cannot be reached: Permission denied\n")


@AS_NOBODY
def test_an_undo_kept_from_a_folder_for_now_can_be_made_later(open_to_all):
    files = os.path.join(open_to_all, "files")
    make(files, ["b - a.txt", "sub/y - x.txt"])
    os.makedirs(os.path.join(open_to_all, "state"))
    subprocess.run(["chown", "-R", "nobody:nogroup", open_to_all], check=True)
    state = {"XDG_STATE_HOME": os.path.join(open_to_all, "state")}
    before = snapshot(files)
    assert as_nobody("-r", "--apply", files, env=state)[0] == 0
    os.chmod(os.path.join(files, "sub"), 0o000)
    assert as_nobody("--undo", files, env=state) == (
        1, "a - b.txt\tb - a.txt\nsub/x - y.txt\ty - x.txt\tfailed: the folder sub cannot be opened: "
           "Permission denied\n", "reshape: 1 of 2 names not restored: 1 failed\n")
    os.chmod(os.path.join(files, "sub"), 0o755)
    assert as_nobody("--undo", files, env=state) == (
        0, "a - b.txt\tb - a.txt\tback\nsub/x - y.txt\ty - x.txt\n", "")  # one back before, one now
    assert snapshot(files) == before


def with_files_up_to(size):
    """For a child process: a file may grow to `size` bytes and no further
    (a write past it fails with EFBIG, as on a full disk)."""
    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))
    return limit


def limited(size, *args):
    run = subprocess.run([RESHAPE, *map(str, args)], capture_output=True, text=True,
                         preexec_fn=with_files_up_to(size))
    return run.returncode, run.stdout, run.stderr


def test_a_journal_that_cannot_be_written_to_its_end_is_told(folder, tmp_path):
    before = snapshot(folder)
    journals = tmp_path / "state" / "reshape"
    # A first batch, taken back, gives the length of the plan: the second is
    # the same but for its number, of the same width.
    assert reshape("--apply", "-p", "Lee*", folder)[0] == 0
    assert reshape("--undo", folder)[0] == 0
    first = next(journals.glob("000000000001-*.journal")).read_bytes()
    planned = first.index(b"planned\n") + len(b"planned\n")
    code, out, err = limited(planned, "--apply", "-p", "Lee*", folder)
    second = next(journals.glob("000000000002-*.journal"))
    assert (code, out) == (1, "Lee - Notes.txt\tNotes - Lee.txt\n")
    assert err == (f"reshape: the journal {second} could not be written to its end (File too large); "
                   f"the renames listed as done were carried out, and undo finds them\n")
    assert snapshot(folder) == moved(before, {"Lee - Notes.txt": "Notes - Lee.txt"})
    code, out, err = limited(len(second.read_bytes()), "--undo", folder)
    assert (code, out) == (1, "Notes - Lee.txt\tLee - Notes.txt\n")
    assert err == (f"reshape: the journal {second} could not be marked as undone (File too large); "
                   f"the names listed as done are back, but the batch may be offered for undo again\n")
    assert snapshot(folder) == before


def test_undo_of_a_batch_whose_folder_was_moved_says_so(folder, tmp_path):
    assert reshape("--apply", "-p", "Lee*", folder)[0] == 0
    elsewhere = tmp_path / "moved"
    os.rename(folder, elsewhere)
    before = snapshot(elsewhere)
    assert reshape("--undo", "1") == (1, "", f"reshape: the folder {folder} of batch 1 is gone; if it "
                                             "moved, name where it is now: reshape --undo 1 FOLDER\n")
    assert snapshot(elsewhere) == before


def test_a_mark_after_a_line_cut_short_is_a_line_of_its_own(folder, tmp_path):
    before = snapshot(folder)
    assert reshape("--apply", "-p", "Lee*", folder)[0] == 0
    journal = next((tmp_path / "state" / "reshape").glob("*.journal"))
    journal.write_bytes(journal.read_bytes()[:-len("lete\n")])  # "complete" cut short, as by a full disk
    code, out, _ = reshape("--history", folder)
    assert (code, [line[2] for line in lines(out)]) == (0, ["cut short"])
    assert reshape("--undo", folder)[0] == 0
    assert snapshot(folder) == before
    code, out, _ = reshape("--history", folder)
    assert (code, [line[2] for line in lines(out)]) == (0, ["undone"])
    assert reshape("--undo", folder) == (1, "", f"reshape: nothing to undo in {folder}\n")


def test_a_journal_folder_that_is_a_file(folder, tmp_path):
    (tmp_path / "state").mkdir()
    (tmp_path / "state" / "reshape").write_text("in the way")
    before = snapshot(folder)
    code, out, err = reshape("--apply", "--json", "-p", "Lee*", folder)
    # Told with the entry it failed, and counted: not as a second problem of the history.
    assert (code, err) == (1, "reshape: 1 of 1 renames not carried out: 1 failed\n")
    assert [json.loads(line)["reason"] for line in out.splitlines()] == [
        f"the journal folder {tmp_path}/state/reshape is not a folder"]
    assert snapshot(folder) == before
    for undo in (["--undo", folder], ["--undo", "1"]):
        code, _, err = reshape(*undo)
        assert (code, err) == (1, f"reshape: the journal folder {tmp_path}/state/reshape is not a folder\n")


def test_an_old_journal_that_cannot_be_removed_is_told_after_the_batch(folder, tmp_path):
    make(folder, ["Ames - One.txt", "Baker - Two.txt"])
    reshape("--apply", "-p", "Lee*", folder)
    journal = next((tmp_path / "state" / "reshape").iterdir())
    journal.write_text(re.sub(r"\ntime\t\d+", "\ntime\t1", journal.read_text(), count=1))  # 1970: due to go
    if subprocess.run(["chattr", "+i", journal], capture_output=True).returncode != 0:
        pytest.skip("the file system keeps no file from removal")
    try:
        code, out, err = reshape("--apply", "-p", "Ames*", folder)
    finally:
        subprocess.run(["chattr", "-i", journal], check=True)
    assert (code, err) == (0, f"reshape: old batches were not removed from the history: the journal "
                              f"{journal} could not be removed: Operation not permitted\n")
    assert lines(out) == [["Ames - One.txt", "One - Ames.txt"]]
    assert [line[0] for line in lines(reshape("--history", folder)[1])] == ["2", "1"]
    assert reshape("--apply", "-p", "Baker*", folder)[::2] == (0, "")
    assert [line[0] for line in lines(reshape("--history", folder)[1])] == ["3", "2"]  # gone now


def test_history_and_undo_of_a_chosen_batch(folder):
    before = snapshot(folder)
    reshape("--apply", "-p", "Lee*", folder)
    reshape("--apply", "-p", "Notes*", "-t", "b (a)", folder)
    code, out, _ = reshape("--history", folder)
    assert code == 0
    assert [(line[0], line[2], line[3], line[4]) for line in lines(out)] == [
        ("2", "done", "2 of 2", str(folder)), ("1", "done", "1 of 1", str(folder))]
    code, out, _ = reshape("--history", "--json")
    assert [json.loads(line)["batch"] for line in out.splitlines()] == [2, 1]
    # Batch 1's only file was renamed again by batch 2: refused, and said why.
    code, out, _ = reshape("--undo", "1")
    assert code == 1
    assert lines(out) == [["Notes - Lee.txt", "Lee - Notes.txt",
                           "refused: Notes - Lee.txt has changed since the batch"]]
    assert reshape("--undo", "2")[0] == 0
    assert reshape("--undo", "1", folder)[0] == 0
    assert snapshot(folder) == before
    assert reshape("--undo", "1") == (1, "", "reshape: batch 1 is undone already\n")
    assert reshape("--undo", "9") == (1, "", "reshape: there is no batch 9\n")


def damage_a_step(text):
    return text.replace("step\t0\t0", "step\tX\t0", 1)


@pytest.mark.parametrize("spoil, why", [
    (lambda path: path.write_text(damage_a_step(path.read_text())), "is damaged"),
    (lambda path: path.write_text(""), "is empty"),
    (lambda path: path.chmod(0o664), "may be written by other users"),
    (lambda path: (path.unlink(), path.mkdir()), "is not a file"),
])
def test_a_journal_that_cannot_be_read_is_named_and_nothing_before_it_is_undone(folder, tmp_path, spoil, why):
    before = snapshot(folder)
    assert reshape("--apply", "-p", "Lee*", folder)[0] == 0
    assert reshape("--apply", "-r", "-p", "Doe*", folder)[0] == 0
    after = snapshot(folder)
    second = next((tmp_path / "state" / "reshape").glob("000000000002-*.journal"))
    spoil(second)
    said = f"the journal {second} {why}"
    code, out, err = reshape("--history", folder)
    assert (code, [line[0] for line in lines(out)], err) == (
        1, ["1"], f"reshape: {said}; its batch is not listed\n")
    assert reshape("--undo", folder) == (
        1, "", f"reshape: {said}, so no batch before it is undone (move it away to go on)\n")
    assert reshape("--undo", "2") == (1, "", f"reshape: {said}: batch 2 cannot be undone\n")
    assert snapshot(folder) == after
    assert reshape("--undo", "1")[0] == 0  # chosen by its number, as the user asks
    assert snapshot(folder) == moved(before, {"sub/Doe - Plan.md": "Plan - Doe.md"})


@pytest.mark.parametrize("args, message", [
    (["--undo", "--history", "."], "--undo and --history do not go together"),
    (["--history", "a", "b"], "only one FOLDER is taken"),
    (["--undo"], "no FOLDER given"),
])
def test_history_usage(args, message):
    assert reshape(*args) == (2, "", f"reshape: {message} (see reshape --help)\n")


def sanitized():
    with open(os.path.join(BUILD, "CMakeCache.txt")) as cache:
        return "RESHAPER_SANITIZE:BOOL=ON" in cache.read()


@pytest.mark.skipif(sanitized(), reason="a sanitizer needs more address space than this lends")
def test_running_out_of_memory_is_told_not_aborted(folder, tmp_path):
    """A journal grown huge (sparse here), read with little memory."""
    assert reshape("--apply", "-p", "Lee*", folder)[0] == 0
    journal, = (tmp_path / "state" / "reshape").glob("*.journal")
    os.truncate(journal, 1 << 30)

    def little_memory():
        resource.setrlimit(resource.RLIMIT_AS, (400 << 20, 400 << 20))
    run = subprocess.run([RESHAPE, "--history"], capture_output=True, text=True, preexec_fn=little_memory)
    assert (run.returncode, run.stdout, run.stderr) == (1, "", "reshape: out of memory\n")


def test_a_batch_follows_its_folder_where_the_user_says_it_moved(folder, tmp_path):
    before = snapshot(folder)
    assert reshape("-r", "--apply", folder)[0] == 0
    renamed = snapshot(folder)
    elsewhere, stranger = tmp_path / "moved here", tmp_path / "stranger"
    make(stranger, list(before))  # the same names, other files
    stranger_before = snapshot(stranger)
    folder.rename(elsewhere)
    assert reshape("--undo", "1") == (1, "", f"reshape: the folder {folder} of batch 1 is gone; if it moved, "
                                             "name where it is now: reshape --undo 1 FOLDER\n")
    code, out, err = reshape("--undo", "1", stranger)  # never its folder: its files are others
    assert (code, err) == (1, "reshape: 7 of 7 names not restored: 7 refused; reshape --undo 1 tries them again\n")
    assert snapshot(stranger) == stranger_before
    assert snapshot(elsewhere) == renamed
    code, out, err = reshape("--undo", "1", elsewhere)
    assert (code, err) == (0, "")
    assert snapshot(elsewhere) == before
    assert reshape("--undo", "1", elsewhere) == (1, "", "reshape: batch 1 is undone already\n")


def test_a_batch_whose_folder_was_replaced_at_its_path_follows_it_where_it_went(folder, tmp_path):
    before = snapshot(folder)
    assert reshape("-p", "Lee*", "--apply", folder)[0] == 0
    renamed = snapshot(folder)
    elsewhere = tmp_path / "old files"
    folder.rename(elsewhere)
    make(folder, ["Lee - Notes.txt"])  # a new folder of the old name, with a file of the old name
    newcomer = snapshot(folder)
    code, out, err = reshape("--undo", "1")  # its own path: the entries there are others
    assert (code, err) == (1, "reshape: 1 of 1 names not restored: 1 refused; reshape --undo 1 tries them "
                              "again\n")
    assert snapshot(folder) == newcomer and snapshot(elsewhere) == renamed
    assert reshape("--undo", "1", elsewhere)[0] == 0  # still open: chosen, refused entries wait
    assert snapshot(elsewhere) == before


def waiting_for_the_lock(process):
    """Whether `process` sleeps between its tries of the journal folder's lock."""
    try:
        with open(f"/proc/{process.pid}/syscall") as call:
            return call.read().split()[0] in ("35", "230")  # nanosleep, clock_nanosleep
    except (OSError, IndexError):
        return False


@pytest.mark.parametrize("action, told", [
    (["--apply", "-p", "Smith*"], "reshape: stopped by SIGINT; the renames listed as done were carried out "
                                  "(reshape --undo takes them back)\n"),
    (["--undo"], "reshape: stopped while another rename is still under way (the journal folder {} is "
                 "locked)\n"),
])
def test_an_interrupt_while_another_run_holds_the_journal_stops_at_once(folder, tmp_path, action, told):
    import fcntl
    import time
    assert reshape("--apply", "-p", "Lee*", folder)[0] == 0
    before = snapshot(folder)
    journals = tmp_path / "state" / "reshape"
    holder = os.open(journals, os.O_RDONLY)
    fcntl.flock(holder, fcntl.LOCK_EX)  # another run, for as long as this test
    try:
        process = subprocess.Popen([RESHAPE, *action, str(folder)], stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True)
        for _ in range(500):  # until it waits for the lock (it gives up after 10 s)
            if waiting_for_the_lock(process):
                break
            time.sleep(0.01)
        process.send_signal(signal.SIGINT)
        out, err = process.communicate()
    finally:
        os.close(holder)
    assert (process.returncode, err) == (130, told.format(journals))
    assert snapshot(folder) == before
