"""Reshape.run from Python against the same algorithm written in plain
Python (bench/pure_reshape.py), both checked to agree on every name first,
and the native chain behind run timed without Python (build/bench/chain).
Run: bench/run."""

import os
import subprocess
import tempfile
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
    differ = [name for name in names if native(name) != pure(name)]
    if differ:
        raise SystemExit(f"the plain Python rendering differs on {len(differ)} names, first {differ[0]!r}")

    def timed(run):
        return common.median_of(RUNS, lambda: [run(name) for name in names])

    enabled = debugline.enabled
    native_seconds, pure_seconds = timed(native), timed(pure)
    bare_seconds = common.median_of(RUNS, lambda: [enabled() for _ in names])
    chain = chain_nanoseconds(names)
    common.report("bench/run: Reshape.run from Python",
                  f"{COUNT} generated names, formats {SOURCE!r} -> {TARGET!r}, medians of {RUNS} runs",
                  [("the same in plain Python (bench/pure_reshape.py)", pure_seconds, None),
                   ("Reshape.run", native_seconds, pure_seconds),
                   ("a bare native call (debugline.enabled)", bare_seconds, None)])
    print(f"  Reshape.run: {COUNT / native_seconds:,.0f} names/s, plain Python {COUNT / pure_seconds:,.0f}"
          f" names/s: {pure_seconds / native_seconds:.1f} times as many")
    print(f"  Reshape.run {native_seconds / COUNT * 1e6:.3f} µs a name, of which the native chain"
          f" {chain / 1000:.3f} µs (build/bench/chain) and a bare call {bare_seconds / COUNT * 1e6:.3f} µs")


if __name__ == "__main__":
    main()
