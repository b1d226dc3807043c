"""Proposals for 100,000 real-looking names: the reshape command's preview
and Reshape.run from Python, against Debian's Perl `rename -n` doing the
same swap with a regular expression, and against the floor (listing the
folder; listing and looking at each entry). Run: bench/transform."""

import os
import shutil
import subprocess
import tempfile
import types

import common

COUNT = 100_000
RUNS = 5
SWAP = r"s/^(.*?) - (.*)(\.[^.]*)$/$2 - $1$3/"  # what "a - b" -> "b - a" does, untidied


def main():
    rename = common.need_rename()
    import reshaper
    names = common.corpus(COUNT)
    run = reshaper.Reshape(types.SimpleNamespace(source_format="a - b", target_format="b - a",
                                                 reversed_names=False)).run

    def from_python():
        for name in names:
            base, extension = os.path.splitext(name)
            run(base)

    work = tempfile.mkdtemp(prefix="bench-transform-")
    try:
        folder = os.path.join(work, "names")
        common.make_files(folder, names)

        def perl():
            # As a user would: the names listed, then previewed.
            listing = subprocess.run(["ls", "-f", folder], capture_output=True, check=True).stdout
            subprocess.run([rename, "-n", SWAP], input=listing, cwd=folder,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)

        t = common.medians_of(RUNS, {
            "perl": perl,
            "command": lambda: common.run_quietly(common.RESHAPE, folder),
            "listed": lambda: common.run_quietly(common.FLOOR, "list", folder),
            "looked": lambda: common.run_quietly(common.FLOOR, "stat", folder),
            "python": from_python,
        })
        baseline, command, listed, looked = (t[k] for k in ("perl", "command", "listed", "looked"))
        rows = [("ls | rename -n (Perl regex swap)", baseline, None),
                ("reshape preview (the command)", command, baseline),
                ("Reshape.run from Python", t["python"], baseline),
                ("floor: getdents64 + print", listed, None),
                ("floor: + fstatat each", looked, None),
                ("reshape preview against the floor of listing", command, listed)]
        common.report("bench/transform: proposals for a folder",
                      f"{COUNT} generated names, formats 'a - b' -> 'b - a', medians of {RUNS} runs",
                      rows)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
