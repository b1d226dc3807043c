import os
import resource
import signal

import pytest

import renamer
from disktree import make, moved, snapshot


@pytest.fixture(autouse=True)
def journals(tmp_path, monkeypatch):
    folder = tmp_path / "state"
    monkeypatch.setenv("XDG_STATE_HOME", str(folder))
    return folder / "reshape"


@pytest.fixture
def base(tmp_path):
    folder = tmp_path / "files"
    folder.mkdir()
    return folder


def statuses(entries):
    return [(e["path"], e["status"]) for e in entries]


# layout, pairs, renames expected on disk (old path -> new name), refused paths
SCENARIOS = {
    "swap": (["a", "b"], [("a", "b"), ("b", "a")], {"a": "b", "b": "a"}, []),
    "three-cycle": (["a", "b", "c"], [("a", "b"), ("b", "c"), ("c", "a")],
                    {"a": "b", "b": "c", "c": "a"}, []),
    "chain": (["a", "b"], [("a", "b"), ("b", "c")], {"a": "b", "b": "c"}, []),
    "chain listed backwards": (["a", "b", "c"], [("c", "d"), ("b", "c"), ("a", "b")],
                               {"a": "b", "b": "c", "c": "d"}, []),
    "duplicate targets": (["a", "b", "c"], [("a", "x"), ("b", "x"), ("c", "y")], {"c": "y"},
                          ["a", "b"]),
    "existing target": (["a", "b"], [("a", "b")], {}, ["a"]),
    "refusal spreads along a chain": (["a", "b", "c"], [("a", "b"), ("b", "c")], {}, ["a", "b"]),
    "slash in the name": (["a"], [("a", "x/y")], {}, ["a"]),
    "empty name": (["a"], [("a", "")], {}, ["a"]),
    "dot names": (["a", "b"], [("a", "."), ("b", "..")], {}, ["a", "b"]),
    "NUL in the name": (["a"], [("a", "x\0y")], {}, ["a"]),
    "too long": (["a"], [("a", "x" * 256)], {}, ["a"]),
    "longest allowed": (["a"], [("a", "x" * 255)], {"a": "x" * 255}, []),
    "unchanged name": (["a"], [("a", "a")], {}, ["a"]),
    "missing source": (["a"], [("gone", "b")], {}, ["gone"]),
    "listed twice": (["a"], [("a", "b"), ("a", "c")], {}, ["a", "a"]),
    "path outside": (["a"], [("../a", "b"), ("/etc/passwd", "x"), ("./a", "b")], {},
                     ["../a", "/etc/passwd", "./a"]),
    "case only": (["a"], [("a", "A")], {"a": "A"}, []),
    "hidden behind a dot": (["d/Notes.txt", ".profile", "Notes"], [("d/Notes.txt", ".txt"),
                            (".profile", ".profile.bak"), ("Notes", "Notes.")],
                            {".profile": ".profile.bak", "Notes": "Notes."}, ["d/Notes.txt"]),
    "folder with contents": (["F/", "F/a", "F/G/", "F/G/b", "c"],
                             [("F", "H"), ("F/a", "x"), ("F/G/b", "y"), ("F/G", "K")],
                             {"F/a": "x", "F/G/b": "y", "F/G": "K", "F": "H"}, []),
    "folders swapped with contents": (["A/", "A/x", "B/", "B/y"],
                                      [("A", "B"), ("B", "A"), ("A/x", "x2"), ("B/y", "y2")],
                                      {"A/x": "x2", "B/y": "y2", "A": "B", "B": "A"}, []),
    "non-ASCII names": (["caf\u00e9", "na\u00efve"], [("caf\u00e9", "na\u00efve"),
                                                    ("na\u00efve", "caf\u00e9")],
                        {"caf\u00e9": "na\u00efve", "na\u00efve": "caf\u00e9"}, []),
}

@pytest.mark.parametrize("name", SCENARIOS)
def test_scenario(base, name):
    layout, pairs, renames, refused = SCENARIOS[name]
    make(base, layout)
    before = snapshot(base)
    plan = renamer.plan(str(base), pairs)
    assert [e["path"] for e in plan.entries if e["status"] == "refused"] == refused
    assert all(e["reason"] for e in plan.entries if e["status"] == "refused")
    assert snapshot(base) == before  # planning touches nothing
    result = plan.apply()
    assert [e["path"] for e in result if e["status"] == "refused"] == refused
    assert all(e["status"] == "done" for e in result if e["path"] not in refused)
    assert snapshot(base) == moved(before, renames)
    assert not [n for n in os.listdir(base) if n.startswith(".reshape-")]


@pytest.mark.parametrize("name", [n for n in SCENARIOS if SCENARIOS[n][2]])
def test_undo_restores_every_scenario(base, name):
    layout, pairs, _, _ = SCENARIOS[name]
    make(base, layout)
    before = snapshot(base)
    renamer.plan(str(base), pairs).apply()
    assert renamer.can_undo(str(base))
    undone = renamer.undo(str(base))
    assert undone and all(e["status"] == "done" for e in undone)
    assert snapshot(base) == before
    assert not renamer.can_undo(str(base))
    assert renamer.undo(str(base)) is None


def test_reasons_say_why(base):
    make(base, ["a", "b", "c", "d"])
    plan = renamer.plan(str(base), [("a", "b"), ("c", "x/y"), ("d", ""), ("gone", "z")])
    reasons = {e["path"]: e["reason"] for e in plan.entries}
    assert reasons == {"a": "a file or folder of that name exists",
                       "c": 'the new name holds a "/"', "d": "the new name is empty",
                       "gone": "the entry no longer exists"}


def test_entry_changed_since_the_preview(base):
    make(base, ["a", "b"])
    plan = renamer.plan(str(base), [("a", "x"), ("b", "y")])
    with open(base / "a", "a") as handle:
        handle.write(" and more")
    result = plan.apply()
    assert statuses(result) == [("a", "refused"), ("b", "done")]
    assert result[0]["reason"] == "the entry changed since the preview"


def test_entry_replaced_since_the_preview(base):
    make(base, ["a"])
    plan = renamer.plan(str(base), [("a", "x")])
    os.unlink(base / "a")
    make(base, ["a"])
    assert plan.apply()[0]["status"] == "refused"
    assert snapshot(base) == {"a": "contents of a"}


def test_target_appearing_after_the_preview_is_refused(base):
    make(base, ["a"])
    plan = renamer.plan(str(base), [("a", "x")])
    make(base, ["x"])
    assert plan.apply()[0]["status"] == "refused"
    assert snapshot(base) == {"a": "contents of a", "x": "contents of x"}


def test_no_path_through_a_link(base, tmp_path):
    outside = tmp_path / "outside"
    make(outside, ["secret"])
    os.symlink(outside, base / "link")
    plan = renamer.plan(str(base), [("link/secret", "gone")])
    assert plan.entries[0]["status"] == "refused"
    plan.apply()
    assert snapshot(outside) == {"secret": "contents of secret"}


def test_a_link_itself_is_renamed_not_its_target(base, tmp_path):
    make(base, ["real"])
    os.symlink("real", base / "link")
    renamer.plan(str(base), [("link", "renamed link")]).apply()
    assert os.readlink(base / "renamed link") == "real"
    assert snapshot(base)["real"] == "contents of real"


def test_journal_lives_outside_the_folder(base, journals):
    make(base, ["a"])
    renamer.plan(str(base), [("a", "b")]).apply()
    assert sorted(os.listdir(base)) == ["b"]
    assert len(os.listdir(journals)) == 1
    assert renamer.journal_folder() == str(journals)


def test_undo_refuses_a_step_whose_file_changed(base):
    make(base, ["a", "b", "c"])
    renamer.plan(str(base), [("c", "z")]).apply()
    renamer.plan(str(base), [("a", "x"), ("b", "y")]).apply()
    os.unlink(base / "x")
    make(base, ["x"])  # another file under the new name
    undone = renamer.undo(str(base))
    assert {e["path"]: (e["status"], e["reason"]) for e in undone} == {
        "x": ("refused", "x has changed since the batch"), "y": ("done", "")}
    assert snapshot(base) == {"x": "contents of x", "b": "contents of b", "z": "contents of c"}
    # The changed entry stays refused; the batch before is next, not stuck.
    assert statuses(renamer.undo(str(base))) == [("z", "done")]
    assert snapshot(base) == {"x": "contents of x", "b": "contents of b", "c": "contents of c"}
    assert not renamer.can_undo(str(base))


def test_undo_never_replaces_a_new_file_of_the_old_name(base):
    make(base, ["a"])
    renamer.plan(str(base), [("a", "b")]).apply()
    make(base, ["a"])
    undone = renamer.undo(str(base))
    assert (undone[0]["status"], undone[0]["reason"]) == ("refused", "the old name a is taken")
    assert snapshot(base) == {"a": "contents of a", "b": "contents of a"}


def test_second_undo_takes_back_the_batch_before(base):
    make(base, ["a"])
    renamer.plan(str(base), [("a", "b")]).apply()
    renamer.plan(str(base), [("b", "c")]).apply()
    renamer.undo(str(base))
    assert sorted(os.listdir(base)) == ["b"]
    renamer.undo(str(base))
    assert sorted(os.listdir(base)) == ["a"]
    assert renamer.undo(str(base)) is None


def test_missing_folder(tmp_path):
    plan = renamer.plan(str(tmp_path / "nowhere"), [("a", "b")])
    assert plan.entries[0]["status"] == "refused"
    assert plan.apply()[0]["status"] == "refused"
    assert renamer.undo(str(tmp_path / "nowhere")) is None


def test_names_outside_the_file_system_encoding(base):
    raw = os.fsencode(str(base)) + b"/bad\xff"
    open(raw, "w").close()
    result = renamer.plan(str(base), [("bad\udcff", "good")]).apply()
    assert result[0]["status"] == "done"
    assert os.listdir(base) == ["good"]


@pytest.mark.parametrize("call", [
    lambda: renamer.plan(5, []),
    lambda: renamer.plan("x", [("a",)]),
    lambda: renamer.plan("x", [("a", 5)]),
    lambda: renamer.undo(None),
])
def test_argument_errors(call):
    with pytest.raises((TypeError, ValueError)):
        call()


def test_undo_preview_lists_what_undo_would_do_and_changes_nothing(base):
    make(base, ["a", "b", "c"])
    renamer.plan(str(base), [("a", "b"), ("b", "a"), ("c", "d")]).apply()
    make(base, ["c"])  # the old name of d is taken again
    before = snapshot(base)
    preview = renamer.undo_preview(str(base))
    assert snapshot(base) == before
    assert sorted((e["path"], e["new"], e["status"], e["reason"]) for e in preview) == [
        ("a", "b", "rename", ""), ("b", "a", "rename", ""),
        ("d", "c", "refused", "the old name c is taken")]
    assert renamer.undo_preview(str(base / "nowhere")) is None


def test_nothing_to_undo_after_a_batch_that_changed_nothing(base):
    make(base, ["a", "b"])
    renamer.plan(str(base), [("a", "b")]).apply()  # refused: b exists
    assert not renamer.can_undo(str(base))
    assert renamer.undo(str(base)) is None and renamer.undo_preview(str(base)) is None


def test_an_unusable_journal_folder_is_an_os_error(base, journals):
    journals.parent.mkdir(parents=True)
    journals.write_text("in the way")
    with pytest.raises(OSError, match="^the journal folder .* is not a folder$"):
        renamer.undo(str(base))
    assert not renamer.can_undo(str(base))


def test_undo_gives_back_a_leading_dot(base):
    make(base, [".hidden"])
    renamer.plan(str(base), [(".hidden", "shown")]).apply()
    assert [e["status"] for e in renamer.undo(str(base))] == ["done"]
    assert snapshot(base) == {".hidden": "contents of .hidden"}


def test_history_lists_batches_and_undo_takes_back_a_chosen_one(base):
    make(base, ["a", "c"])
    renamer.plan(str(base), [("a", "b"), ("c", "d")]).apply()
    renamer.plan(str(base), [("b", "e")]).apply()
    batches = renamer.history(str(base))
    assert [(b["batch"], b["state"], b["renames"], b["done"]) for b in batches] == [
        (2, "done", 1, 1), (1, "done", 2, 2)]
    assert batches[1]["entries"] == [("a", "b"), ("c", "d")]
    assert batches[1]["folder"] == str(base)
    assert renamer.history() == batches
    undone = renamer.undo(str(base), batch=1)
    assert [(e["path"], e["status"], e["reason"]) for e in undone] == [
        ("d", "done", ""), ("b", "refused", "b has changed since the batch")]
    assert snapshot(base) == {"e": "contents of a", "c": "contents of c"}
    assert renamer.history(str(base))[1]["state"] == "partly undone"  # open until the rest can come back
    renamer.undo(str(base))
    assert [e["status"] for e in renamer.undo(str(base), batch=1)] == ["done", "back"]
    assert snapshot(base) == {"a": "contents of a", "c": "contents of c"}
    with pytest.raises(OSError, match="^batch 1 is undone already$"):
        renamer.undo(str(base), batch=1)


def test_undo_of_some_entries_only(base):
    make(base, ["a", "c"])
    renamer.plan(str(base), [("a", "b"), ("c", "d")]).apply()
    assert renamer.undo_preview(str(base), only=["c"]) == [
        {"path": "d", "new": "c", "status": "rename", "reason": ""}]
    assert [e["status"] for e in renamer.undo(str(base), only=["c"])] == ["done"]
    assert snapshot(base) == {"b": "contents of a", "c": "contents of c"}


@pytest.mark.parametrize("call", [
    lambda: renamer.undo(".", batch="1"),
    lambda: renamer.undo(".", batch=-1),
    lambda: renamer.undo(".", only=[5]),
    lambda: renamer.history(5),
])
def test_history_argument_errors(call):
    with pytest.raises(TypeError):
        call()


def test_prune_keeps_what_it_must(base):
    make(base, ["a", "b"])
    renamer.plan(str(base), [("a", "x")]).apply()
    renamer.plan(str(base), [("b", "y")]).apply()
    assert renamer.prune() == 0
    assert renamer.prune(max_age_days=1e300) == 0  # past what seconds can count: no age limit
    assert renamer.prune(keep=1) == 1
    assert [b["batch"] for b in renamer.history()] == [2]


@pytest.mark.parametrize("days", [-1, float("nan"), -float("inf")])
def test_prune_refuses_an_age_that_is_no_age(base, days):
    with pytest.raises(ValueError, match="max_age_days must be 0 or more"):
        renamer.prune(max_age_days=days)


def test_a_journal_that_cannot_be_written_to_its_end_is_the_plans_problem(base, journals):
    make(base, ["Lee - Notes.txt"])
    before = snapshot(base)
    pair = [("Lee - Notes.txt", "Notes - Lee.txt")]
    first = renamer.plan(str(base), pair)
    first.apply()
    assert first.journal_problem == ""
    renamer.undo(str(base))
    with open(next(journals.iterdir()), "rb") as journal:
        text = journal.read()
    planned = text.index(b"planned\n") + len(b"planned\n")
    second = renamer.plan(str(base), pair)
    # Files may grow to the plan and no further, as if the disk were full then.
    saved_signal = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    saved_limit = resource.getrlimit(resource.RLIMIT_FSIZE)
    resource.setrlimit(resource.RLIMIT_FSIZE, (planned, saved_limit[1]))
    try:
        entries = second.apply()
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, saved_limit)
        signal.signal(signal.SIGXFSZ, saved_signal)
    assert statuses(entries) == [("Lee - Notes.txt", "done")]
    assert second.journal_problem.startswith("the journal ") and second.journal_problem.endswith(
        " could not be written to its end (File too large)")
    assert snapshot(base) == moved(before, dict(pair))


def test_an_undo_whose_journal_cannot_be_marked_says_so_and_stays_offered(base, journals):
    make(base, ["Lee - Notes.txt"])
    before = snapshot(base)
    renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt")]).apply()
    journal = next(journals.iterdir())
    told = []
    saved_signal = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    saved_limit = resource.getrlimit(resource.RLIMIT_FSIZE)
    resource.setrlimit(resource.RLIMIT_FSIZE, (journal.stat().st_size, saved_limit[1]))
    try:
        entries = renamer.undo(str(base), on_journal_problem=told.append)
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, saved_limit)
        signal.signal(signal.SIGXFSZ, saved_signal)
    assert statuses(entries) == [("Notes - Lee.txt", "done")]
    assert told == [f"the journal {journal} could not be marked as undone (File too large)"]
    assert snapshot(base) == before
    assert renamer.can_undo(str(base))  # offered again: the names already back are found so
    # Offered again, it renames nothing: the name is back already, and now marked so.
    assert statuses(renamer.undo(str(base))) == [("Notes - Lee.txt", "back")]
    assert snapshot(base) == before and not renamer.can_undo(str(base))


@pytest.mark.parametrize("names, meanwhile, reason", [
    (["Lee - Notes.txt"], lambda base: make(base, ["Doe - Plan.md"]), "the entry no longer exists"),
    (["Lee - Notes.txt", "Doe - Plan.md", "Plan - Doe.md"], lambda base: os.remove(base / "Plan - Doe.md"),
     "a file or folder of that name exists"),
])
def test_what_the_plan_showed_refused_stays_refused_when_applied(base, names, meanwhile, reason):
    make(base, names)
    plan = renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt"), ("Doe - Plan.md", "Plan - Doe.md")])
    assert [(e["status"], e["reason"]) for e in plan.entries] == [("rename", ""), ("refused", reason)]
    meanwhile(base)
    shown = snapshot(base)
    assert [(e["status"], e["reason"]) for e in plan.apply()] == [("done", ""), ("refused", reason)]
    assert snapshot(base) == moved(shown, {"Lee - Notes.txt": "Notes - Lee.txt"})


def test_an_undo_shown_takes_back_that_batch_or_nothing(base):
    make(base, ["Lee - Notes.txt", "Doe - Plan.md"])
    before = snapshot(base)
    renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt")]).apply()
    renamer.plan(str(base), [("Doe - Plan.md", "Plan - Doe.md")]).apply()
    shown = renamer.undo_plan(str(base))
    assert shown.batch == 2
    assert statuses(shown.entries) == [("Plan - Doe.md", "rename")]
    assert statuses(renamer.undo(str(base))) == [("Plan - Doe.md", "done")]  # elsewhere, meanwhile
    after_other_undo = snapshot(base)
    with pytest.raises(OSError, match=f"^the batch to undo in {base} is no longer batch 2, the one shown$"):
        shown.apply()
    assert snapshot(base) == after_other_undo != before  # batch 1 stays done
    assert renamer.undo_plan(str(base)).batch == 1


def test_what_an_undo_shown_refused_stays_refused(base):
    make(base, ["Lee - Notes.txt", "Doe - Plan.md"])
    before = snapshot(base)
    renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt"), ("Doe - Plan.md", "Plan - Doe.md")]).apply()
    make(base, ["Lee - Notes.txt"])  # the old name taken again
    shown = renamer.undo_plan(str(base))
    assert [(e["path"], e["status"], e["reason"]) for e in shown.entries] == [
        ("Notes - Lee.txt", "refused", "the old name Lee - Notes.txt is taken"), ("Plan - Doe.md", "rename", "")]
    os.remove(base / "Lee - Notes.txt")  # free again while the dialog is up
    on_ok = snapshot(base)
    assert [(e["path"], e["status"], e["reason"]) for e in shown.apply()] == [
        ("Notes - Lee.txt", "refused", "the old name Lee - Notes.txt is taken"), ("Plan - Doe.md", "done", "")]
    assert snapshot(base) == moved(on_ok, {"Plan - Doe.md": "Doe - Plan.md"}) != before


def test_a_chosen_batch_whose_folder_is_gone_says_so(base, tmp_path):
    make(base, ["Lee - Notes.txt"])
    renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt")]).apply()
    os.rename(base, tmp_path / "moved")
    with pytest.raises(OSError, match=f"^the folder {base} no longer exists$"):
        renamer.undo_preview(str(base), batch=1)
    assert renamer.undo_preview(str(base)) is None  # the latest batch of no folder: nothing to undo


def test_a_batch_closed_with_entries_kept_can_be_chosen_again_for_them(base, tmp_path):
    """A folder emptied for a while (a disk not mounted on it): everything
    is refused and the batch is closed, so Undo goes on; once the entries
    are back, the batch chosen by its number brings them home."""
    make(base, ["Lee - Notes.txt", "Smith - Report.txt"])
    before = snapshot(base)
    renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt"),
                             ("Smith - Report.txt", "Report - Smith.txt")]).apply()
    away = tmp_path / "away"
    base.rename(away)
    base.mkdir()
    assert statuses(renamer.undo(str(base))) == [("Notes - Lee.txt", "refused"),
                                                 ("Report - Smith.txt", "refused")]
    assert [b["state"] for b in renamer.history(str(base))] == ["partly undone"]
    assert not renamer.can_undo(str(base))
    base.rmdir()
    away.rename(base)
    assert statuses(renamer.undo(str(base), batch=1)) == [("Notes - Lee.txt", "done"),
                                                          ("Report - Smith.txt", "done")]
    assert snapshot(base) == before
    assert [b["state"] for b in renamer.history(str(base))] == ["undone"]
    with pytest.raises(OSError, match="^batch 1 is undone already$"):
        renamer.undo(str(base), batch=1)


def test_an_undo_of_names_put_back_by_hand_renames_nothing_and_closes_the_batch(base):
    make(base, ["Lee - Notes.txt", "Smith - Report.txt", "Doe - Plan.txt"])
    before = snapshot(base)
    renamer.plan(str(base), [("Doe - Plan.txt", "Plan - Doe.txt")]).apply()
    renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt"),
                             ("Smith - Report.txt", "Report - Smith.txt")]).apply()
    os.rename(base / "Notes - Lee.txt", base / "Lee - Notes.txt")
    os.rename(base / "Report - Smith.txt", base / "Smith - Report.txt")
    assert statuses(renamer.undo_preview(str(base))) == [("Notes - Lee.txt", "back"),
                                                         ("Report - Smith.txt", "back")]
    assert statuses(renamer.undo(str(base))) == [("Notes - Lee.txt", "back"),
                                                 ("Report - Smith.txt", "back")]
    assert renamer.history(str(base))[0]["state"] == "undone"
    assert statuses(renamer.undo(str(base))) == [("Plan - Doe.txt", "done")]  # the batch before
    assert snapshot(base) == before


def test_ok_leaves_alone_an_entry_shown_back_that_moved_since(base):
    make(base, ["Lee - Notes.txt", "Smith - Report.txt"])
    renamer.plan(str(base), [("Lee - Notes.txt", "Notes - Lee.txt"),
                             ("Smith - Report.txt", "Report - Smith.txt")]).apply()
    os.rename(base / "Notes - Lee.txt", base / "Lee - Notes.txt")  # put back by hand
    shown = renamer.undo_plan(str(base))
    assert statuses(shown.entries) == [("Report - Smith.txt", "rename"), ("Notes - Lee.txt", "back")]
    os.rename(base / "Lee - Notes.txt", base / "Notes - Lee.txt")  # again, while the dialog is up
    before_ok = snapshot(base)
    done = shown.apply()
    assert {e["path"]: (e["status"], e["reason"]) for e in done} == {
        "Notes - Lee.txt": ("refused", "it was back at its old name when the undo was shown"),
        "Report - Smith.txt": ("done", "")}
    assert snapshot(base) == moved(before_ok, {"Report - Smith.txt": "Smith - Report.txt"})
