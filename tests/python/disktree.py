"""Folders of files that each hold unique contents, and the exact map from
their names to their contents, to compare before and after renames."""

import os
import types


def make(root, layout):
    """layout: relative paths; a trailing slash makes a folder, and every
    file's contents are its own path, so each one is unique."""
    for path in layout:
        full = os.path.join(root, path)
        if path.endswith("/"):
            os.makedirs(full, exist_ok=True)
        else:
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as handle:
                handle.write("contents of " + path)


def snapshot(root):
    """{relative path: contents} for files, {relative path + "/": None} for folders."""
    found = {}
    for directory, dirs, files in os.walk(root):
        relative = os.path.relpath(directory, root)
        prefix = "" if relative == "." else relative + "/"
        for name in dirs:
            found[prefix + name + "/"] = None
        for name in files:
            with open(os.path.join(directory, name), encoding="utf-8") as handle:
                found[prefix + name] = handle.read()
    return found


def moved(before, renames):
    """The snapshot `before` after renaming at once every path of `renames`
    (old relative path -> new name); a folder carries its contents along."""
    after = {}
    for path, contents in before.items():
        parts = path.rstrip("/").split("/")
        new = [renames.get("/".join(parts[:k + 1]), part) for k, part in enumerate(parts)]
        after["/".join(new) + ("/" if path.endswith("/") else "")] = contents
    return after


def touch(folder, *names):
    """Empty files at the given relative paths."""
    for name in names:
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "w").close()


def tree_config(location, pattern="", folders=False, recursive=True):
    """The settings a file tree reads."""
    return types.SimpleNamespace(location=str(location), pattern=pattern, folders=folders,
                                 recursive=recursive)
