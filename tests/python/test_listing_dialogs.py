"""The dialogs that list what OK will do: every entry, each on one line of
its own, whatever its name holds; the reports after the fact name the
first ones and count the rest."""

import pytest

import listing


def entry(path, new, status="rename", reason=""):
    return {"path": path, "new": new, "status": status, "reason": reason}


def dialog_text(make):
    import reshaper  # noqa: F401  (the toolkit's application object)
    dialog = make()
    try:
        return dialog.GetChildren()[0].GetValue().split("\n")
    finally:
        dialog.Destroy()


def test_the_rename_dialog_lists_every_entry_however_many():
    entries = [entry(f"Author {n:02d} - Title.txt", f"Title - Author {n:02d}.txt") for n in range(30)]
    entries += [entry(f"Taken {n}.txt", "Same.txt", "refused", "another entry gets the same new name")
                for n in range(27)]
    lines = dialog_text(lambda: listing.RenameDialog(None, entries))
    assert lines[0] == "Rename 30 of 57:"
    assert lines[1:31] == [f"Author {n:02d} - Title.txt  \u2192  Title - Author {n:02d}.txt" for n in range(30)]
    assert lines[31:33] == ["", "Refused (27):"]
    assert len(lines) == 33 + 27 and not any("more" in line for line in lines)


@pytest.mark.parametrize("name, shown", [
    ("Lee - Notes.txt\nKeep.txt", "Lee - Notes.txt\\x0aKeep.txt"),
    ("tab\there", "tab\\x09here"),
    ("bell\x07 and del\x7f", "bell\\x07 and del\\x7f"),
    ("bad\udcff\r", "bad\\xff\\x0d"),
])
def test_a_name_holding_control_characters_stays_on_its_line(name, shown):
    assert dialog_text(lambda: listing.RenameDialog(None, [entry(name, "New.txt")])) == [
        "Rename 1 of 1:", f"{shown}  \u2192  New.txt"]
    assert listing.describe([entry("Old.txt", name, "failed", "why\nnot")], "failed") == [
        f"Old.txt  \u2192  {shown}: why\\x0anot"]


def test_a_report_names_the_first_entries_and_counts_the_rest():
    failed = [entry(f"{n}.txt", f"x{n}.txt", "failed", "gone") for n in range(40)]
    lines = listing.describe(failed, "failed")
    assert lines[:2] == ["0.txt  \u2192  x0.txt: gone", "1.txt  \u2192  x1.txt: gone"]
    assert len(lines) == listing.LISTED_AT_MOST + 1 and lines[-1] == "... and 15 more"
