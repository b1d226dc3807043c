"""Carrying out 10,000 and 100,000 renames: the reshape command's --apply
(planning, journal and renames that never overwrite) against Debian's Perl
`rename` doing the same swap, and against the floor (a renameat2 loop, with
and without a flushed journal, and with each entry looked at when planned
and again before its rename, as the engine does). Run: bench/execute."""

import os
import shutil
import subprocess
import tempfile

import common

RUNS = 5
SWAP = r"s/^(.*?) - (.*?)(\.[^.]*)?$/$2 - $1$3/"


def measure(count, rename, work):
    folder = os.path.join(work, f"names-{count}")
    pristine = folder + ".pristine"
    common.make_files(pristine, common.corpus(count))
    env = {**os.environ, "XDG_STATE_HOME": os.path.join(work, "state")}

    def fresh():
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(os.path.join(work, "state"), ignore_errors=True)
        subprocess.run(["cp", "-r", pristine, folder], check=True)

    def perl():
        listing = subprocess.run(["ls", "-f", folder], capture_output=True, check=True).stdout
        subprocess.run([rename, SWAP], input=listing, cwd=folder,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    t = common.medians_of(RUNS, {
        "perl": perl,
        "engine": lambda: common.run_quietly(common.RESHAPE, "--apply", folder, env=env),
        "loop": lambda: common.run_quietly(common.FLOOR, "rename", folder),
        "journaled": lambda: common.run_quietly(common.FLOOR, "journal", folder),
        "checked": lambda: common.run_quietly(common.FLOOR, "checked", folder),
    }, fresh)
    baseline, engine, loop, journaled, checked = (t[k] for k in ("perl", "engine", "loop", "journaled", "checked"))
    return [(f"{count}: ls | rename (Perl regex swap)", baseline, None),
            (f"{count}: reshape --apply (journaled, never overwrites)", engine, baseline),
            (f"{count}: floor: renameat2 loop", loop, None),
            (f"{count}: floor: + a flushed journal", journaled, None),
            (f"{count}: floor: + a look at each entry, twice", checked, None),
            (f"{count}: reshape --apply against the journaled floor", engine, journaled),
            (f"{count}: reshape --apply against the checked floor", engine, checked)]


def main():
    rename = common.need_rename()
    work = tempfile.mkdtemp(prefix="bench-execute-")
    try:
        rows = measure(10_000, rename, work) + measure(100_000, rename, work)
        common.report("bench/execute: renaming a batch", f"generated names, medians of {RUNS} runs", rows)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
