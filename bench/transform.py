"""Proposals per second for 100,000 real-looking names: Reshape.run from
Python and the reshape command's preview, against Debian's Perl `rename -n`
doing the same swap with a regular expression. Run: bench/transform."""

import os
import shutil
import subprocess
import tempfile
import types

import common

COUNT = 100_000
RUNS = 3
SWAP = r"s/^(.*?) - (.*?)(\.[^.]*)?$/$2 - $1$3/"  # what "a - b" -> "b - a" does, untidied


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
        listing = "\n".join(os.listdir(folder)) + "\n"

        def perl():
            subprocess.run([rename, "-n", SWAP], input=listing, text=True, cwd=folder,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)

        def command():
            subprocess.run([common.RESHAPE, "-s", "a - b", "-t", "b - a", folder],
                           stdout=subprocess.DEVNULL, check=False)

        baseline = common.median_of(RUNS, perl)
        rows = [("rename -n (Perl regex swap)", baseline, None),
                ("reshape preview (the command)", common.median_of(RUNS, command), baseline),
                ("Reshape.run from Python", common.median_of(RUNS, from_python), baseline)]
        common.report("bench/transform: proposals for a folder",
                      f"{COUNT} generated names, formats 'a - b' -> 'b - a', medians of {RUNS} runs",
                      rows)
        for what, seconds, _ in rows:
            print(f"  {what:<44} {COUNT / seconds:12,.0f} names/s")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
