"""Carrying out 10,000 renames: the reshape command's --apply (planning,
journal and renames) against Debian's Perl `rename` doing the same renames.
Run: bench/execute."""

import os
import shutil
import subprocess
import tempfile

import common

COUNT = 10_000
RUNS = 3
SWAP = r"s/^(.*?) - (.*?)(\.[^.]*)?$/$2 - $1$3/"


def main():
    rename = common.need_rename()
    names = common.corpus(COUNT)
    work = tempfile.mkdtemp(prefix="bench-execute-")
    folder = os.path.join(work, "names")
    env = {**os.environ, "XDG_STATE_HOME": os.path.join(work, "state")}

    def fresh():
        shutil.rmtree(folder, ignore_errors=True)
        common.make_files(folder, names)

    def engine():
        subprocess.run([common.RESHAPE, "--apply", "-s", "a - b", "-t", "b - a", folder],
                       stdout=subprocess.DEVNULL, env=env, check=False)

    def perl():
        listing = "\n".join(os.listdir(folder)) + "\n"
        subprocess.run([rename, SWAP], input=listing, text=True, cwd=folder,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    try:
        baseline = common.median_of(RUNS, perl, fresh)
        rows = [("rename (Perl regex swap)", baseline, None),
                ("reshape --apply (journaled, never overwrites)",
                 common.median_of(RUNS, engine, fresh), baseline)]
        common.report("bench/execute: renaming a batch",
                      f"{COUNT} generated names, medians of {RUNS} runs", rows)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
