"""The command's manners: version, order, NUL-separated and quiet output,
progress only for a person at a terminal, and a help that fits 80 columns."""
import json
import os
import re
import subprocess

import pytest

from disktree import make, moved, snapshot
from test_reshape_command import RESHAPE, RESHAPE_WITH_FAULTS, reshape

# Byte order puts " " < "-" < "/" < "A" < "a" < non-ASCII: a folder's
# contents are not kept together, exactly as LC_ALL=C sort does it.
LAYOUT = ["b - a.txt", "sub/", "sub/y - x.txt", "sub/deeper/", "sub/deeper/q - p.txt",
          "sub-z - w.txt", "sub z - w.txt", "A - B.txt", "\u00e9 - e.txt", "a\tb - c.txt"]
SORTED = [["A - B.txt", "B - A.txt"], ["a\tb - c.txt", "c - a\tb.txt"], ["b - a.txt", "a - b.txt"],
          ["sub z - w.txt", "w - sub z.txt"], ["sub-z - w.txt", "z - w - sub.txt"],
          ["sub/deeper/q - p.txt", "p - q.txt"], ["sub/y - x.txt", "x - y.txt"],
          ["\u00e9 - e.txt", "e - \u00e9.txt"]]


@pytest.fixture
def folder(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path / "state"))
    make(tmp_path / "files", LAYOUT)
    return tmp_path / "files"


def test_version_is_the_tools():
    import reshaper
    assert reshape("--version") == (0, f"reshape {reshaper.__version__}\n", "")


def records(out):
    """NUL-terminated fields, three to an entry."""
    fields = out.split("\0")
    assert fields[-1] == "" and len(fields) % 3 == 1
    return [fields[i:i + 3] for i in range(0, len(fields) - 1, 3)]


def json_records(out):
    return [[r["path"], r["new"], r["reason"]] for r in map(json.loads, out.splitlines())]


def tab_records(out):
    """Lines of two or three fields, with the tab of "a\tb" put back."""
    fixed = out.replace("a\tb", "a<TAB>b")
    return [[f.replace("<TAB>", "\t") for f in line.split("\t")] + [""] * (3 - line.count("\t") - 1)
            for line in fixed.splitlines()]


@pytest.mark.parametrize("args, read", [([], tab_records), (["-0"], records), (["--null"], records),
                                        (["--json"], json_records)])
@pytest.mark.parametrize("apply", [False, True])
def test_every_format_sorts_by_path_byte_by_byte(folder, args, read, apply):
    before = snapshot(folder)
    code, out, err = reshape("-r", *(["--apply"] if apply else []), *args, folder)
    assert (code, err) == (0, "")
    assert read(out) == [entry + [""] for entry in SORTED]
    renames = {path: new for path, new in SORTED}
    assert snapshot(folder) == (moved(before, renames) if apply else before)


def test_null_fields_hold_the_reason_refused_after_apply(folder):
    make(folder, ["a - b.txt"])  # the new name of "b - a.txt" is taken
    before = snapshot(folder)
    code, out, _ = reshape("-0", "-p", "b - *", folder)
    assert (code, records(out)) == (1, [["b - a.txt", "a - b.txt", "a file or folder of that name exists"]])
    code, out, _ = reshape("--apply", "-0", "-p", "[Ab] - *", folder)
    assert (code, records(out)) == (1, [["A - B.txt", "B - A.txt", ""],
                                        ["b - a.txt", "a - b.txt", "refused: a file or folder of that name exists"]])
    assert snapshot(folder) == moved(before, {"A - B.txt": "B - A.txt"})


def test_quiet_prints_nothing_and_the_status_tells(folder):
    before = snapshot(folder)
    assert reshape("-q", "-r", folder) == (0, "", "")
    make(folder, ["a - b.txt"])
    # What was refused is counted on stderr: the entries that would say why are not printed.
    assert reshape("--quiet", "-p", "[Ab] - *", folder) == (
        1, "", "reshape: 1 of 2 renames would not be carried out: 1 refused\n")
    assert reshape("-q", "--apply", "-p", "[Ab] - *", folder) == (
        1, "", "reshape: 1 of 2 renames not carried out: 1 refused\n")
    assert snapshot(folder) == moved({**before, "a - b.txt": "contents of a - b.txt"}, {"A - B.txt": "B - A.txt"})
    code, out, err = reshape("-q", "--undo", folder)
    assert (code, out, err) == (0, "", "")
    code, out, err = reshape("-q", "--undo", folder)
    assert (code, out, err) == (1, "", f"reshape: nothing to undo in {folder}\n")  # messages stay


def into_full_disk(*args):
    """Status and stderr of the command with its standard output on a full disk."""
    if not os.path.exists("/dev/full"):
        pytest.skip("no /dev/full here")
    with open("/dev/full", "w") as full:
        run = subprocess.run([RESHAPE, *map(str, args)], stdout=full, stderr=subprocess.PIPE, text=True)
    return run.returncode, run.stderr


NO_ROOM = "reshape: cannot write the output: No space left on device"


@pytest.mark.parametrize("args, expected", [
    (["-r"], (1, NO_ROOM + "\n")),
    (["-r", "--json"], (1, NO_ROOM + "\n")),
    (["-r", "-0"], (1, NO_ROOM + "\n")),
    (["--version"], (1, NO_ROOM + "\n")),
    (["--help"], (1, NO_ROOM + "\n")),
    (["-q", "-r"], (0, "")),  # nothing to write, nothing lost
    (["-p", "nothing like it", "-r"], (0, "")),
])
def test_output_lost_to_a_full_disk_is_a_failure(folder, args, expected):
    before = snapshot(folder)
    assert into_full_disk(*args, *([] if "--version" in args or "--help" in args else [folder])) == expected
    assert snapshot(folder) == before


def test_a_batch_whose_list_is_lost_is_still_done_and_undone(folder):
    before = snapshot(folder)
    assert into_full_disk("-r", "--apply", folder) == (
        1, NO_ROOM + "; the batch was carried out (reshape --history lists it)\n")
    assert snapshot(folder) == moved(before, dict(SORTED))
    assert into_full_disk("--history") == (1, NO_ROOM + "\n")
    assert into_full_disk("--undo", folder) == (1, NO_ROOM + "; the undo was carried out\n")
    assert snapshot(folder) == before


def test_json_and_null_do_not_go_together(folder):
    assert reshape("--json", "-0", folder) == (
        2, "", "reshape: --json and --null do not go together (see reshape --help)\n")


def test_help_fits_80_columns_and_tells_the_statuses_and_journals():
    code, out, _ = reshape("--help")
    assert code == 0
    assert max(len(line) for line in out.splitlines()) <= 80
    assert re.search(r"0 when .* 1 when .* the output could not be written, 2 for bad usage, 129, 130 or"
                     r" 143 when SIGHUP, SIGINT or SIGTERM", " ".join(out.split()))
    assert "$XDG_STATE_HOME/reshape (~/.local/state/reshape)" in out


def run_with_stderr_on_a_terminal(args, env):
    """stdout in a pipe, stderr on a pseudo-terminal: (status, stdout, what the terminal got)."""
    master, slave = os.openpty()
    try:
        run = subprocess.Popen([RESHAPE_WITH_FAULTS, *map(str, args)], stdout=subprocess.PIPE,
                               stderr=slave, env={**os.environ, **env})
        os.close(slave)
        out = run.stdout.read()
        code = run.wait()
        terminal = b""
        while True:
            try:
                chunk = os.read(master, 4096)
            except OSError:  # the terminal's other side is closed: all read
                break
            if not chunk:
                break
            terminal += chunk
    finally:
        os.close(master)
    return code, out.decode(), terminal.decode()


PROGRESS = re.compile(r"\rreshape: (\d+) entries walked, (\d+) renames done, \d+ (entries|renames)/s *")


@pytest.mark.parametrize("args", [[], ["--apply"]])
def test_progress_on_a_terminal_is_erased_at_the_end(folder, args):
    code, out, terminal = run_with_stderr_on_a_terminal(
        ["-r", *args, folder], {"RESHAPE_TEST_PROGRESS_AT_ONCE": "1"})
    assert code == 0 and len(out.splitlines()) == len(SORTED)
    drawn = PROGRESS.findall(terminal)
    assert drawn and drawn[0] == ("7", "0", "entries")  # the top folder's entries, drawn at once
    erased = terminal.rsplit("\r", 2)
    assert PROGRESS.fullmatch("\r" + erased[1]) is None and erased[1].strip() == "" and erased[2] == ""
    assert PROGRESS.sub("", terminal).strip() == ""  # nothing but the progress line


def test_no_progress_in_a_pipe_or_when_quiet(folder):
    env = {"RESHAPE_TEST_PROGRESS_AT_ONCE": "1"}
    assert reshape("-r", folder, env=env, program=RESHAPE_WITH_FAULTS)[2] == ""
    code, out, terminal = run_with_stderr_on_a_terminal(["-q", "-r", folder], env)
    assert (code, out, terminal) == (0, "", "")


def test_the_shipped_command_waits_a_second_before_any_progress(folder):
    """A short run on a terminal shows nothing, whatever the test switch says."""
    master, slave = os.openpty()
    run = subprocess.run([RESHAPE, "-r", folder], stdout=subprocess.PIPE, stderr=slave,
                         env={**os.environ, "RESHAPE_TEST_PROGRESS_AT_ONCE": "1"})
    os.close(slave)
    os.set_blocking(master, False)
    try:
        terminal = os.read(master, 4096)
    except (BlockingIOError, OSError):
        terminal = b""
    os.close(master)
    assert (run.returncode, terminal) == (0, b"")
