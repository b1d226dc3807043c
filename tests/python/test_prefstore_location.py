"""Where the settings are kept: a folder of the program's own in the
configuration folder; the file of earlier versions is read once, carried
over and left as it was; nothing is written into the current folder."""

import json
import os
import pwd

import pytest

import prefstore

DEFAULTS = {"location": "~", "pattern": "", "folders": True}


@pytest.fixture
def config(tmp_path, monkeypatch):
    folder = tmp_path / "config"
    folder.mkdir()
    monkeypatch.setenv("XDG_CONFIG_HOME", str(folder))
    monkeypatch.chdir(tmp_path / "config")  # would show anything written into the current folder
    return folder


def listing(folder):
    return sorted(str(p.relative_to(folder)) for p in folder.rglob("*"))


@pytest.mark.parametrize("environment, expected", [
    ({"XDG_CONFIG_HOME": "/xdg", "HOME": "/home/u"}, "/xdg/tool/settings.json"),
    ({"XDG_CONFIG_HOME": "", "HOME": "/home/u"}, "/home/u/.config/tool/settings.json"),
    ({"XDG_CONFIG_HOME": "rel", "HOME": "/home/u"}, "/home/u/.config/tool/settings.json"),
    ({"XDG_CONFIG_HOME": None, "HOME": "relative"}, "ACCOUNT/.config/tool/settings.json"),
    ({"XDG_CONFIG_HOME": None, "HOME": None}, "ACCOUNT/.config/tool/settings.json"),
])
def test_the_settings_path(monkeypatch, environment, expected):
    for name, value in environment.items():
        if value is None:
            monkeypatch.delenv(name, raising=False)
        else:
            monkeypatch.setenv(name, value)
    account = pwd.getpwuid(os.getuid()).pw_dir
    assert prefstore.settings_path("tool.json") == expected.replace("ACCOUNT", account)


def test_the_former_file_is_read_once_carried_over_and_kept(config, capsys):
    former = config / "tool.json"
    former.write_text(json.dumps({"location": "/data", "reshape_names": {"target_format": "b"}}))
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert (cfg.location, cfg.reshape_names) == ("/data", {"target_format": "b"})
    assert cfg.problems == []
    assert listing(config) == ["tool", "tool.json", "tool/settings.json"]
    assert json.loads((config / "tool" / "settings.json").read_text()) == {
        "location": "/data", "pattern": "", "folders": True,
        "reshape_names": {"target_format": "b"}}
    assert json.loads(former.read_text())["location"] == "/data"  # left as it was
    assert "kept in" in capsys.readouterr().err
    former.write_text(json.dumps({"location": "/elsewhere"}))
    again = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert again.location == "/data"  # the new file, not the former one


def test_the_new_file_wins_over_the_former(config):
    (config / "tool.json").write_text(json.dumps({"location": "/former"}))
    (config / "tool").mkdir()
    (config / "tool" / "settings.json").write_text(json.dumps({"location": "/new"}))
    assert prefstore.Config(DEFAULTS, cfgfile="tool.json").location == "/new"
    assert json.loads((config / "tool.json").read_text()) == {"location": "/former"}


def test_a_damaged_former_file_is_kept_aside(config):
    (config / "tool.json").write_text("{not json")
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert cfg.location == "~" and "is damaged" in cfg.problems[0]
    kept = [p for p in config.iterdir() if p.name.startswith("tool.json.damaged-")]
    assert len(kept) == 1 and kept[0].read_text() == "{not json"
    cfg.save()
    assert listing(config) == sorted([kept[0].name, "tool", "tool/settings.json"])


def test_a_former_file_that_cannot_be_read_is_never_left_behind(config):
    (config / "tool.json").mkdir()  # there, but no file to read
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert "cannot be read" in cfg.problems[0]
    with pytest.raises(PermissionError, match="tool.json"):
        cfg.save()  # a new file would hide the former one for good
    assert listing(config) == ["tool.json"]


def test_settings_that_cannot_be_carried_over_are_still_read(config, capsys):
    (config / "tool.json").write_text(json.dumps({"location": "/data"}))
    (config / "tool").write_text("a file where the folder would be")
    cfg = prefstore.Config(DEFAULTS, cfgfile="tool.json")
    assert cfg.location == "/data" and cfg.problems == []
    assert "read from there again next time" in capsys.readouterr().err
    assert json.loads((config / "tool.json").read_text()) == {"location": "/data"}
    assert (config / "tool").read_text() == "a file where the folder would be"
