"""How the preview grows: its cost per entry and its peak memory at 10,000,
100,000 and 1,000,000 names in one folder. Linear means the same cost per
entry at every size. Run: bench/scale (1,000,000 files take a few minutes
to make)."""

import os
import shutil
import subprocess
import tempfile

import common

SIZES = (10_000, 100_000, 1_000_000)
RUNS = 3


def peak_kilobytes(*command):
    timed = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE, text=True, check=False)
    return int(timed.stderr.strip().splitlines()[-1])


def main():
    work = tempfile.mkdtemp(prefix="bench-scale-")
    try:
        print("bench/scale: the preview's cost per entry and peak memory")
        print(f"  machine: {common.machine()}")
        first = None
        for size in SIZES:
            folder = os.path.join(work, str(size))
            common.make_files(folder, common.corpus(size))
            seconds = common.median_of(RUNS, lambda: common.run_quietly(common.RESHAPE, folder))
            per_entry = seconds / size * 1e6
            first = first or per_entry
            memory = peak_kilobytes(common.RESHAPE, folder) / 1024
            print(f"  {size:>9,} names  {per_entry:6.2f} µs an entry  ratio to 10,000: "
                  f"{per_entry / first:5.2f}  peak {memory:7.1f} MB")
            shutil.rmtree(folder)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
