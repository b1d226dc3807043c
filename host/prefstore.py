"""Settings of the renamer, kept as JSON in a folder of the program's own in
the user's configuration folder: `$XDG_CONFIG_HOME/STEM/settings.json` for
the file name "STEM.json" (~/.config when XDG_CONFIG_HOME is unset).

Earlier versions kept the file as `$XDG_CONFIG_HOME/STEM.json`. While the
new file does not exist, that one is read and the new one written from it
at once; the old file is left as it is, so nothing of it is lost and an
older version still finds its settings.

Loading never fails: a missing or damaged file gives the defaults with one
warning line, and a damaged file is moved aside rather than overwritten
(when it cannot be moved, saving leaves it alone too). What the user should
hear of (a damaged or unreadable file, a setting of the wrong type) is kept
in `problems` for the window to show.
Saving writes a temporary file beside the real one and renames it over,
so the file on disk is always either the old settings or the new."""

import errno
import json
import os
import pwd
import stat
import sys
import tempfile
import time

SECTION = "reshape_names"
SETTINGS_FILE = "settings.json"


def home_folder():
    """$HOME, or the account's home folder when HOME is unset or relative (a
    relative one would put the settings in whatever folder is current)."""
    home = os.environ.get("HOME", "")
    return home if os.path.isabs(home) else pwd.getpwuid(os.getuid()).pw_dir


def config_folder():
    """$XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute."""
    folder = os.environ.get("XDG_CONFIG_HOME", "")
    if not os.path.isabs(folder):
        folder = os.path.join(home_folder(), ".config")
    return folder


def settings_path(cfgfile):
    """Where the settings named by `cfgfile` ("STEM.json") are kept."""
    stem = os.path.splitext(os.path.basename(cfgfile))[0]
    return os.path.join(config_folder(), stem, SETTINGS_FILE)


def former_path(cfgfile):
    """Where earlier versions kept them."""
    return os.path.join(config_folder(), os.path.basename(cfgfile))


def _warn(text):
    print(f"prefstore: {text}", file=sys.stderr)


class Config:
    """Settings as attributes: defaults merged with what the file holds."""

    def __init__(self, defaults, cfgfile="reshaper.json"):
        object.__setattr__(self, "_defaults", dict(defaults))
        object.__setattr__(self, "_values", dict(defaults))
        object.__setattr__(self, "reshape_names", {})
        object.__setattr__(self, "_path", settings_path(cfgfile))
        object.__setattr__(self, "_former", former_path(cfgfile))
        object.__setattr__(self, "problems", [])
        object.__setattr__(self, "_left_in_place", None)  # a file not to be saved over
        self._load()

    def __getattr__(self, name):
        # Only called for names that are not real attributes.
        if name.startswith("_"):
            raise AttributeError(name)
        try:
            return self._values[name]
        except KeyError:
            raise AttributeError(f"no setting named {name!r}") from None

    def __setattr__(self, name, value):
        if name in (SECTION, "problems"):
            object.__setattr__(self, name, value)
        else:
            self._values[name] = value

    @property
    def filename(self):
        """Where the settings are stored."""
        return self._path

    def __repr__(self):
        return f"<Config {self._path!r} {self._values!r}>"

    def _problem(self, text):
        _warn(text)
        self.problems.append(text)

    def _load(self):
        source = self._path
        if not os.path.lexists(self._path) and os.path.lexists(self._former):
            source = self._former
        try:
            # Not blocking: a pipe in the file's place must not hold up the start.
            with open(os.open(source, os.O_RDONLY | os.O_NONBLOCK), encoding="utf-8") as handle:
                if not stat.S_ISREG(os.fstat(handle.fileno()).st_mode):
                    raise OSError(errno.EINVAL, "not a file")
                stored = json.load(handle)
            if not isinstance(stored, dict):
                raise ValueError("the file does not hold a mapping")
        except (FileNotFoundError, NotADirectoryError):
            _warn(f"no settings file {self._path} yet; using the defaults")
            return
        except OSError as error:  # there, but not to be read: left alone
            object.__setattr__(self, "_left_in_place", source)
            self._problem(f"the settings file {source} cannot be read "
                          f"({error.strerror or error}); using the defaults")
            return
        except (ValueError, RecursionError) as error:  # RecursionError: nested too deep to be settings
            self._set_aside(source, error)
            return
        section = stored.pop(SECTION, {})
        if isinstance(section, dict):
            self.reshape_names.update(section)
        for key, value in stored.items():
            default = self._defaults.get(key)
            if default is None or type(value) is type(default):
                self._values[key] = value
            else:
                self._problem(f"setting {key!r} in {source} is not a {type(default).__name__}; "
                      f"using the default {default!r}")
        if source == self._former:
            self._carry_over()

    def _carry_over(self):
        """Writes the settings read from the former file to the new one."""
        try:
            self.save()
        except OSError as error:
            _warn(f"the settings read from {self._former} could not be written to {self._path} "
                  f"({error.strerror or error}); they are read from there again next time")
            return
        _warn(f"the settings of {self._former} are kept in {self._path} from now on; "
              f"the old file is left as it was")

    def _set_aside(self, source, error):
        kept = f"{source}.damaged-{time.strftime('%Y%m%d-%H%M%S')}"
        try:
            os.replace(source, kept)
        except OSError:
            kept = source  # could not move it: leave it where it is, unsaved over
            object.__setattr__(self, "_left_in_place", source)
        self._problem(f"settings file {source} is damaged ({error}); using the defaults, "
              f"the damaged file is kept as {kept}")

    def save(self):
        """Write the settings atomically; an error leaves the old file intact."""
        if self._left_in_place:
            raise PermissionError(f"the settings are not saved, so as not to overwrite "
                                  f"{self._left_in_place}, which could not be read or "
                                  f"moved aside")
        data = dict(self._values)
        data[SECTION] = dict(self.reshape_names)
        folder = os.path.dirname(self._path)
        os.makedirs(folder, exist_ok=True)
        fd, temporary = tempfile.mkstemp(prefix=".", suffix=".tmp", dir=folder)
        try:
            # A folder whose name is not UTF-8 holds lone surrogates: they
            # are written as JSON escapes (\udcff), which read back exactly.
            with os.fdopen(fd, "w", encoding="utf-8", errors="backslashreplace") as handle:
                json.dump(data, handle, indent=2, ensure_ascii=False)
                handle.write("\n")
                handle.flush()
                os.fsync(handle.fileno())
            os.replace(temporary, self._path)
        except BaseException:
            try:
                os.unlink(temporary)
            except OSError:
                pass
            raise
