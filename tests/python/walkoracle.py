"""What the folder walk must give, written with the host's own os.walk and
fnmatch, for comparison with the native walk."""

import fnmatch
import os


def expected_names(top, pattern, folders, recursive, max_files=500):
    names, examined = [], 0
    for directory, dirs, files in os.walk(top):
        relative = "" if directory == top else os.path.relpath(directory, top)
        for name in dirs if folders else files:
            if not pattern or fnmatch.fnmatch(name, pattern):
                if examined > max_files:
                    break
                names.append(os.path.join(relative, name) if relative else name)
            examined += 1
        if examined > max_files or not recursive:
            break
    return sorted(names)


def visited_directories(top):
    return [directory for directory, _, _ in os.walk(top)]
