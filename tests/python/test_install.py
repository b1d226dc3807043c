"""The installed program: cmake --install into a fresh prefix, then the
command and the window run from there, with nothing of the checkout on
their path."""
import json
import os
import re
import subprocess

import pytest

from disktree import make, moved, snapshot

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build")
MODULES = ["debugline", "dirscan", "fileitem", "lexer", "nametidy", "renamer", "reshaper", "years"]
HOST_MODULES = sorted(name for name in os.listdir(os.path.join(ROOT, "host")) if name.endswith(".py"))
SITE = "lib/python3/dist-packages"


@pytest.fixture(scope="module")
def prefix(tmp_path_factory):
    where = tmp_path_factory.mktemp("prefix")
    subprocess.run(["cmake", "--install", BUILD, "--prefix", str(where)], check=True,
                   capture_output=True)
    return where


def clean_env(tmp_path, **extra):
    """No checkout on any path, and the user's folders in tmp_path."""
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env.update(XDG_CONFIG_HOME=str(tmp_path / "config"), XDG_STATE_HOME=str(tmp_path / "state"),
               XDG_CACHE_HOME=str(tmp_path / "cache"), NO_AT_BRIDGE="1", **extra)
    return env


def installed_files(prefix):
    return sorted(os.path.relpath(os.path.join(d, f), prefix)
                  for d, _, files in os.walk(prefix) for f in files
                  if "/examples/" not in os.path.join(d, f) + "/")


def test_what_is_installed_where(prefix):
    suffix = subprocess.run(["/usr/bin/python3", "-c", "import sysconfig; print(sysconfig.get_config_var('EXT_SUFFIX'))"],
                            capture_output=True, text=True, check=True).stdout.strip()
    assert installed_files(prefix) == sorted(
        ["bin/reshape", "bin/reshaper",
         "share/applications/reshaper.desktop",
         "share/icons/hicolor/scalable/apps/reshaper.svg",
         "share/man/man1/reshape.1.gz", "share/man/man1/reshaper.1.gz",
         "share/bash-completion/completions/reshape"]
        + [f"{SITE}/{name}{suffix}" for name in MODULES]
        + [f"{SITE}/{name}" for name in HOST_MODULES])
    assert os.path.isfile(prefix / "share/reshaper/examples/library" / sorted(
        os.listdir(os.path.join(ROOT, "examples", "library")))[0])
    for program in ("bin/reshape", "bin/reshaper"):
        assert os.access(prefix / program, os.X_OK)


def test_the_installed_command_has_no_fault_hooks(prefix, tmp_path):
    """The shipped binary, not the test one: a kill hook is ignored."""
    folder = tmp_path / "files"
    make(folder, ["Smith - Report.txt", "Plain.txt", "sub/Lee - Notes.txt"])
    before = snapshot(folder)
    run = subprocess.run([prefix / "bin/reshape", "-r", "--apply", folder], capture_output=True, text=True,
                         cwd=tmp_path, env=clean_env(tmp_path, RESHAPE_TEST_KILL_AT_STEP="0"))
    assert (run.returncode, run.stderr) == (0, "")
    assert run.stdout == "Smith - Report.txt\tReport - Smith.txt\nsub/Lee - Notes.txt\tNotes - Lee.txt\n"
    renames = {"Smith - Report.txt": "Report - Smith.txt", "sub/Lee - Notes.txt": "Notes - Lee.txt"}
    assert snapshot(folder) == moved(before, renames)
    assert os.listdir(tmp_path / "state" / "reshape")  # journaled where the manual says
    run = subprocess.run([prefix / "bin/reshape", "--undo", folder], capture_output=True, text=True,
                         cwd=tmp_path, env=clean_env(tmp_path))
    assert run.returncode == 0 and snapshot(folder) == before


# Runs the installed launcher to the point where it would wait for the user,
# then reports what the window shows instead.
WINDOW_PROBE = r"""
import json, runpy, sys, wx
launcher, folder = sys.argv[1:]
def report_instead_of_waiting(app):
    wx.SafeYield()
    import fileitem, hostkit, reshaper
    frame = wx.GetTopLevelWindows()[0]
    print(json.dumps({"title": frame.GetTitle(), "shown": frame.IsShown(),
                      "rows": sorted([r.name, r.proposed.GetValue()] for r in fileitem.nodes.values()),
                      "modules": sorted({m.__file__.rsplit("/", 1)[0] for m in (fileitem, hostkit, reshaper)})}))
    frame.Destroy()
wx.App.MainLoop = report_instead_of_waiting
sys.argv = [launcher, folder]
runpy.run_path(launcher, run_name="__main__")
"""


def test_the_installed_window_opens_on_a_folder(prefix, tmp_path):
    folder = tmp_path / "library"
    make(folder, ["Smith - Report/", "Lee - Notes/", "Plain/"])
    run = subprocess.run(["/usr/bin/python3", "-c", WINDOW_PROBE, prefix / "bin/reshaper", folder],
                         capture_output=True, text=True, cwd=tmp_path, env=clean_env(tmp_path))
    assert run.returncode == 0, run.stderr
    shown = json.loads(run.stdout.splitlines()[-1])
    assert shown == {"title": f"reshaper - {folder}", "shown": True,
                     "rows": [["Lee - Notes", "Notes - Lee"], ["Plain", "Plain"],
                              ["Smith - Report", "Report - Smith"]],
                     "modules": [str(prefix / SITE)]}


def test_the_desktop_entry_is_valid_and_names_what_is_installed(prefix):
    entry = prefix / "share/applications/reshaper.desktop"
    run = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    assert (run.returncode, run.stdout + run.stderr) == (0, "")
    keys = dict(line.split("=", 1) for line in entry.read_text().splitlines() if "=" in line)
    assert keys["Exec"].split()[0] == "reshaper" and (prefix / "bin/reshaper").exists()
    icon = prefix / f"share/icons/hicolor/scalable/apps/{keys['Icon']}.svg"
    assert icon.read_text().lstrip().startswith("<?xml") and "<svg" in icon.read_text()


def manual(prefix, page):
    run = subprocess.run(["man", "--warnings", "-l", str(prefix / f"share/man/man1/{page}.1.gz")],
                         capture_output=True, text=True, env={**os.environ, "MANWIDTH": "80", "LC_ALL": "C.UTF-8"})
    assert (run.returncode, run.stderr) == (0, "")  # troff warns of nothing
    return run.stdout


@pytest.mark.parametrize("page", ["reshape", "reshaper"])
def test_manual_pages_read_without_warnings(prefix, page):
    text = manual(prefix, page)
    assert text.startswith(page.upper() + "(1)")
    assert all(section in text for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS"))


def help_options():
    """Every option the help lists: the words before its explanation on the
    lines that start with a dash."""
    run = subprocess.run([os.path.join(BUILD, "bin", "reshape"), "--help"], capture_output=True, text=True)
    return sorted(word.rstrip(",") for line in run.stdout.splitlines() if line.lstrip().startswith("-")
                  for word in re.split(r"\s{2,}", line.strip())[0].split() if word.startswith("-"))


def test_the_manual_of_reshape_lists_every_option_status_and_the_journal(prefix):
    text = manual(prefix, "reshape")
    options = help_options()
    assert "--apply" in options and "-0" in options  # the help was read
    assert [o for o in options if o not in text] == []
    for section, words in {"EXIT STATUS": ["0", "1", "2", "130, 143"],
                           "FILES": ["$XDG_STATE_HOME/reshape/", "~/.local/state/reshape/", "HOME"],
                           "EXAMPLES": ["reshape --undo ~/Books"]}.items():
        after = text.split("\n" + section + "\n", 1)[1]
        assert all(word in after for word in words), section


def complete(prefix, *words):
    """COMPREPLY of the installed completion for the command line `words`
    (the last one being completed), one a line."""
    script = (f"source {prefix}/share/bash-completion/completions/reshape\n"
              'COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _reshape; printf "%s\\n" "${COMPREPLY[@]}"')
    run = subprocess.run(["bash", "-c", script, "bash", "reshape", *words], capture_output=True,
                         text=True, cwd=os.path.dirname(prefix), check=True)
    return [line for line in run.stdout.splitlines() if line]


def test_bash_completion(prefix, tmp_path):
    assert sorted(complete(prefix, "--")) == [o for o in help_options() if o.startswith("--")]
    assert complete(prefix, "--ap") == ["--apply"]
    assert complete(prefix, "-s", "") == []  # a format is the user's own
    os.makedirs(os.path.join(os.path.dirname(prefix), "two words"), exist_ok=True)
    assert complete(prefix, "-r", "two") == ["two words"]


def test_the_debian_package(tmp_path):
    run = subprocess.run(["cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", tmp_path],
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr
    [package] = [tmp_path / name for name in os.listdir(tmp_path) if name.endswith(".deb")]
    fields = {field: subprocess.run(["dpkg-deb", "-f", package, field], capture_output=True, text=True,
                                    check=True).stdout.strip() for field in ("Package", "Depends")}
    assert fields["Package"] == "reshaper"
    assert "python3-wxgtk4.0" in [d.strip().split()[0] for d in fields["Depends"].split(",")]
    contents = subprocess.run(["dpkg-deb", "-c", package], capture_output=True, text=True, check=True).stdout
    paths = {line.split()[-1] for line in contents.splitlines()}
    assert {"./usr/bin/reshape", "./usr/bin/reshaper", "./usr/share/applications/reshaper.desktop",
            "./usr/share/man/man1/reshape.1.gz", f"./usr/{SITE}/hostkit.py"} <= paths
    assert not [p for p in paths if "fault" in p or "test" in p]
