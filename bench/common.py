"""What the benchmarks share: the machine line, medians, a deterministic
corpus of real-looking names, and the project's paths."""

import os
import platform
import random
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RESHAPE = os.path.join(ROOT, "build", "bin", "reshape")
FLOOR = os.path.join(ROOT, "build", "bench", "floor")
sys.path[:0] = [os.path.join(ROOT, "build", "python"), os.path.join(ROOT, "host")]

SURNAMES = ["Smith", "O'Brien", "Müller", "García", "Nakamura", "Ødegaard", "Kowalski", "Nguyễn",
            "Dubois", "Ivanova", "Černý", "Papadopoulos", "Okafor", "Lindqvist", "Zhang"]
FIRST = ["John", "Anna", "José", "Łukasz", "Mei", "Chloé", "Søren", "Amara", "Ravi", "Hana"]
TITLES = ["Report", "Annual Review", "Notes on Gardens", "The Long Road", "Budget",
          "Minutes", "Field Guide", "L'été indien", "Meeting Notes", "Ölmalerei", "Plan B"]
SERIES = ["Series", "Vol", "Part", "Issue", "Book"]
EXTENSIONS = [".txt", ".pdf", ".epub", ".md", ".docx"]


def machine():
    cpu = "unknown cpu"
    try:
        with open("/proc/cpuinfo") as info:
            cpu = next(line.split(":", 1)[1].strip() for line in info if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    return f"{platform.node()}: {cpu}, {os.cpu_count()} cores, Python {platform.python_version()}"


def corpus(count, seed=2026):
    """`count` distinct names like "Surname, First - Title (Series 3) - 1999.txt"."""
    pick = random.Random(seed)
    names, seen = [], set()
    while len(names) < count:
        surname, first, title = pick.choice(SURNAMES), pick.choice(FIRST), pick.choice(TITLES)
        shape = pick.randrange(4)
        if shape == 0:
            name = f"{surname}, {first} - {title} ({pick.choice(SERIES)} {pick.randrange(1, 40)})"
        elif shape == 1:
            name = f"{surname}, {first} - {title} - {pick.randrange(1900, 2030)}"
        elif shape == 2:
            name = f"{surname} - {title} #{pick.randrange(1, 99)}"
        else:
            name = f"{first} {surname} - {title} ({pick.choice(SERIES)} {pick.randrange(1, 9)})"
        name += f" {len(names)}" + pick.choice(EXTENSIONS)
        if name not in seen:
            seen.add(name)
            names.append(name)
    return names


def make_files(folder, names):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "w").close()


def median_of(runs, action, setup=None):
    """The median seconds of `runs` timed calls of `action`, each after `setup`."""
    return medians_of(runs, {"": action}, setup)[""]


def medians_of(runs, actions, setup=None):
    """{name: median seconds} of each action of `actions` ({name: action}),
    timed in turns: one run of each, `runs` times over, each after `setup`.
    Taking turns spreads a slow spell of a shared machine over all of them
    instead of one."""
    times = {name: [] for name in actions}
    for _ in range(runs):
        for name, action in actions.items():
            if setup:
                setup()
            start = time.perf_counter()
            action()
            times[name].append(time.perf_counter() - start)
    return {name: statistics.median(spent) for name, spent in times.items()}


def need_rename():
    """Debian's Perl rename, installed when missing."""
    subprocess.run([os.path.join(ROOT, "scripts", "install-packages"), "rename"], check=True)
    for path in ("/usr/bin/file-rename", "/usr/bin/prename"):
        if os.path.exists(path):
            return path
    raise SystemExit("Debian's rename is not installed")


def report(title, inputs, rows):
    """rows: (what, median seconds, baseline seconds or None)."""
    print(title)
    print(f"  machine: {machine()}")
    print(f"  inputs:  {inputs}")
    for what, seconds, baseline in rows:
        ratio = f"  ratio {seconds / baseline:6.2f}" if baseline else ""
        print(f"  {what:<48} median {seconds:8.3f} s{ratio}")


def run_quietly(*command, **options):
    """Runs a command with its output thrown away; its exit status is its own business."""
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, **options)
