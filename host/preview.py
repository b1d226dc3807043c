"""Text preview of the renamer's proposals on a list of names.

The main window is not there yet; until it is, the launcher shows what the
reshape engine proposes for the bundled example names (or for the names
given on the command line) under a source and a target format."""

import argparse
import os
import types

EXAMPLES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                        "examples", "names.txt")


def example_names():
    with open(EXAMPLES, encoding="utf-8") as handle:
        return [line.rstrip("\n") for line in handle if line.strip()]


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="reshaper", description="Preview the names the renamer proposes.")
    parser.add_argument("--source", default="a - b", help="layout of the names (default: a - b)")
    parser.add_argument("--target", default="b - a", help="layout wanted (default: b - a)")
    parser.add_argument("names", nargs="*", help="names to reshape (default: the examples)")
    return parser.parse_args(argv)


def main(argv):
    arguments = parse_arguments(argv)
    import reshaper  # makes the toolkit's application object, so only now

    cfg = types.SimpleNamespace(source_format=arguments.source, target_format=arguments.target,
                                reversed_names=False)
    reshape = reshaper.Reshape(cfg)
    problem = reshape.validate()
    if problem:
        print(problem)
        return 2
    print(f"Preview of '{arguments.source}' -> '{arguments.target}' "
          "(the renamer's window comes with a later version):\n")
    names = arguments.names or example_names()
    width = max(len(name) for name in names)
    for name in names:
        base, extension = os.path.splitext(name)  # the extension stays as it is
        print(f"  {name:<{width}}  ->  {reshape.run(base)}{extension}")
    return 0
