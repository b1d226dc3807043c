"""Reshape.run from Python against the same algorithm written in plain
Python (bench/pure_reshape.py: the split as the algorithm reads, and as one
regular expression), all checked to agree on every name first, and the
native chain behind run timed without Python (build/bench/chain).
Run: bench/run."""

import os
import statistics
import subprocess
import tempfile
import time
import types

import common
import pure_reshape

COUNT = 100_000
RUNS = 5
SOURCE, TARGET = "a - b", "b - a"
CHAIN = os.path.join(common.ROOT, "build", "bench", "chain")


def chain_nanoseconds(names):
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", suffix=".names") as listing:
        listing.write("".join(name + "\n" for name in names))
        listing.flush()
        out = subprocess.run([CHAIN, listing.name, SOURCE, TARGET], capture_output=True, text=True,
                             check=True).stdout
    return float(out.split()[0])


def main():
    import debugline
    import reshaper
    names = [os.path.splitext(name)[0] for name in common.corpus(COUNT)]
    native = reshaper.Reshape(types.SimpleNamespace(source_format=SOURCE, target_format=TARGET,
                                                    reversed_names=False)).run
    pure = pure_reshape.Reshape(SOURCE, TARGET).run
    by_regex = pure_reshape.Reshape(SOURCE, TARGET, pure_reshape.symbolizer_by_regex).run
    for rendering in (pure, by_regex):
        differ = [name for name in names if native(name) != rendering(name)]
        if differ:
            raise SystemExit(f"a plain Python rendering differs on {len(differ)} names, first {differ[0]!r}")

    def timed(run):
        start = time.thread_time()
        for name in names:
            run(name)
        return time.thread_time() - start

    # In turns, so that a change in the machine's load meets each alike, and
    # in the processor time of the thread, which other work on the machine
    # changes little.
    enabled = debugline.enabled
    turns = [(timed(native), timed(pure), timed(by_regex), timed(lambda name: enabled()))
             for _ in range(RUNS)]
    native_seconds, pure_seconds, regex_seconds, bare_seconds = (
        statistics.median(column) for column in zip(*turns))
    chain = chain_nanoseconds(names)
    common.report("bench/run: Reshape.run from Python",
                  f"{COUNT} generated names, formats {SOURCE!r} -> {TARGET!r}, medians of {RUNS} runs"
                  " (processor time)",
                  [("plain Python, the split as the algorithm reads", pure_seconds, None),
                   ("plain Python, the split as a regular expression", regex_seconds, None),
                   ("Reshape.run", native_seconds, pure_seconds),
                   ("a bare native call (debugline.enabled), same loop", bare_seconds, None)])
    for what, seconds in (("as the algorithm reads", pure_seconds), ("by a regular expression", regex_seconds)):
        print(f"  Reshape.run {COUNT / native_seconds:,.0f} names/s, plain Python {what}"
              f" {COUNT / seconds:,.0f} names/s: {seconds / native_seconds:.1f} times as many")
    print(f"  Reshape.run {native_seconds / COUNT * 1e6:.3f} µs a name; the native chain alone"
          f" {chain / 1000:.3f} µs (build/bench/chain); a bare call {bare_seconds / COUNT * 1e6:.3f} µs")


if __name__ == "__main__":
    main()
