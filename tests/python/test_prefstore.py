import json
import os
import stat

import pytest

import prefstore

DEFAULTS = {"location": "~", "pattern": "", "folders": True, "recursive": True,
            "source_format": "a - b", "target_format": "b - a"}


@pytest.fixture
def folder(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_CONFIG_HOME", str(tmp_path))
    return tmp_path


@pytest.fixture
def stored(folder):
    """Where the settings named "tool.json" are kept: a folder of its own."""
    (folder / "tool").mkdir()
    return folder / "tool" / "settings.json"


def test_missing_file_gives_the_defaults_with_one_warning(folder, capsys):
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert (cfg.location, cfg.folders, cfg.source_format) == ("~", True, "a - b")
    assert cfg.filename == str(folder / "tool" / "settings.json")
    assert len(capsys.readouterr().err.splitlines()) == 1
    assert os.listdir(folder) == []


def test_settings_are_attributes_and_survive_a_save(folder):
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    cfg.pattern = "*.mp3"
    cfg.reshape_names["target_format"] = "b a"
    cfg.save()
    again = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert again.pattern == "*.mp3"
    assert again.reshape_names == {"target_format": "b a"}
    assert again.target_format == "b - a"
    assert sorted(os.listdir(folder)) == ["tool"]
    assert sorted(os.listdir(folder / "tool")) == ["settings.json"]  # no temporary file left


@pytest.mark.parametrize("location", [os.fsdecode(b"/data/lib\xff"), "/data/L'\u00e9t\u00e9", "/a\\udcff b"])
def test_any_folder_name_survives_a_save(folder, location):
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    cfg.location = location
    cfg.save()
    assert prefstore.Config(DEFAULTS, cfgfile="tool.json").location == location


def test_file_values_are_merged_with_defaults(folder):
    (folder / "tool.json").write_text(json.dumps({"location": "/data", "extra": 1}))
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert cfg.location == "/data"
    assert cfg.recursive is True
    assert cfg.extra == 1


def test_unknown_setting_is_an_attribute_error(folder):
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    with pytest.raises(AttributeError):
        cfg.nonexistent


@pytest.mark.parametrize("content", ["{not json", "[1, 2]", "\xff\xfe", "[" * 100000])
def test_damaged_file_is_kept_and_defaults_are_used(stored, capsys, content):
    path = stored
    path.write_bytes(content.encode("latin-1"))
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert cfg.location == "~"
    assert len(capsys.readouterr().err.splitlines()) == 1
    kept = [p for p in stored.parent.iterdir() if p.name.startswith("settings.json.damaged")]
    assert len(kept) == 1 and kept[0].read_bytes() == content.encode("latin-1")
    cfg.save()
    assert json.loads(path.read_text())["location"] == "~"
    assert kept[0].exists()


def test_value_of_the_wrong_type_falls_back_to_its_default(folder, capsys):
    (folder / "tool.json").write_text(json.dumps({"folders": "yes", "location": "/x"}))
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert cfg.folders is True and cfg.location == "/x"
    assert "folders" in capsys.readouterr().err


def test_failed_save_leaves_the_old_file(stored, monkeypatch):
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    cfg.save()
    before = stored.read_text()
    cfg.location = object()  # cannot be written as JSON
    with pytest.raises(TypeError):
        cfg.save()
    assert stored.read_text() == before
    assert sorted(os.listdir(stored.parent)) == ["settings.json"]


def test_folder_is_made_when_missing(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_CONFIG_HOME", str(tmp_path / "new" / "config"))
    prefstore.Config(DEFAULTS, cfgfile="tool.json").save()
    assert (tmp_path / "new" / "config" / "tool" / "settings.json").exists()


def test_relative_xdg_folder_is_ignored(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_CONFIG_HOME", "relative")
    monkeypatch.setenv("HOME", str(tmp_path))
    assert prefstore.config_folder() == str(tmp_path / ".config")


@pytest.mark.parametrize("content, told", [
    (None, []),  # no file yet: nothing for the user to hear of
    ('{"location": "/x"}', []),
    ("{not json", ["is damaged"]),
    ('{"folders": "yes"}', ["'folders'", "is not a bool"]),
])
def test_problems_the_window_shows(folder, content, told):
    if content is not None:
        (folder / "tool.json").write_text(content)
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert len(cfg.problems) == (1 if told else 0)
    assert all(part in cfg.problems[0] for part in told) if told else True


def a_folder(path):
    path.mkdir()
    (path / "inside").write_text("kept")
    return lambda: (path / "inside").read_text() == "kept"


def a_pipe(path):  # nobody writes to it: reading would wait for ever
    os.mkfifo(path)
    return lambda: stat.S_ISFIFO(os.lstat(path).st_mode)


@pytest.mark.parametrize("put_there", [a_folder, a_pipe])
def test_a_settings_file_that_cannot_be_read_is_never_overwritten(folder, put_there):
    still_there = put_there(folder / "tool.json")  # there, but no file to read
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert cfg.location == "~"
    assert len(cfg.problems) == 1 and "cannot be read" in cfg.problems[0]
    with pytest.raises(PermissionError):
        cfg.save()
    assert sorted(os.listdir(folder)) == ["tool.json"]
    assert still_there()


def test_a_settings_folder_under_a_file_gives_the_defaults(tmp_path, monkeypatch):
    (tmp_path / "file").write_text("")
    monkeypatch.setenv("XDG_CONFIG_HOME", str(tmp_path / "file" / "config"))
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert cfg.problems == [] and cfg.location == "~"
    with pytest.raises(OSError):
        cfg.save()
