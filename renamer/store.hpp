// The folder of journals. Its contents decide what undo renames, so it is
// trusted only when it is the user's own: a folder the user owns with mode
// 0700, holding regular files the user owns. One process at a time works
// in it (a lock), which also keeps batches' sequence numbers unique.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "renamer/disk.hpp"
#include "renamer/journal.hpp"

namespace renamer {

// $XDG_STATE_HOME/reshape, else ~/.local/state/reshape with the home folder
// taken from $HOME or, when that is unset, from the password database;
// "" when there is no home folder at all.
std::string default_journal_folder();

class JournalStore {
public:
    // Opens the folder at `path`, making it (and its parents) when missing.
    // Nothing, with `reason` set, when it cannot be made or is not trusted.
    static std::optional<JournalStore> open(const std::string& path, std::string& reason);

    const std::string& path() const { return path_; }
    // The journal `name` as messages name it: "the journal <folder>/<name>".
    std::string journal_called(const std::string& name) const { return "the journal " + path_ + "/" + name; }
    const Folder& folder() const { return folder_; }

    // Takes the lock for the life of the store, waiting up to `patience`
    // for another process to finish, or until `stop` says to give up. False,
    // with `reason` set, when it cannot.
    bool lock(std::string& reason, std::chrono::milliseconds patience = std::chrono::seconds(10),
              const std::function<bool()>& stop = nullptr);

    // Writes a new journal for `journal.base` (giving it the next sequence
    // number) and makes it durable; returns its file name, or "" with
    // `reason` set. Call with the lock taken.
    std::string create(Journal& journal, std::string& reason);

    // The trusted, well-formed journals of the folder `base`, newest first;
    // those named for it that cannot be read or trusted go to `unreadable`
    // (when given), newest first, never passed over in silence.
    struct Stored {
        std::string name;
        Journal journal;
    };
    struct Unreadable {
        std::uint64_t sequence = 0;
        std::string problem;  // "the journal <path> <why>"
    };
    std::vector<Stored> journals_of(const std::string& base, std::vector<Unreadable>* unreadable = nullptr) const;

    // Every trusted, well-formed journal, newest first.
    std::vector<Stored> all_journals(std::vector<Unreadable>* unreadable = nullptr) const;

    // Every trusted journal (of the folder `base`) with its header and marks
    // only (parse's `marks_only`), newest first: many times faster than
    // all_journals (journals_of) on long batches, and enough to choose which
    // to prune, or to see that a batch changed something.
    std::vector<Stored> all_journal_marks() const;
    std::vector<Stored> journal_marks_of(const std::string& base) const;

    // Removes the journal `name`. Call with the lock taken. The newest
    // journal leaves its number behind (in an empty "<number>.last"), so
    // that a batch number once given is never given again.
    bool remove(const std::string& name);

private:
    JournalStore(std::string path, Folder folder) : path_(std::move(path)), folder_(std::move(folder)) {}
    std::vector<std::string> names() const;
    // The highest sequence number given so far: of the journals, or left by one removed.
    std::uint64_t last_sequence() const;
    bool keep_number(std::uint64_t sequence);
    std::vector<Stored> journals_where(const std::function<bool(const std::string& key)>& wanted,
                                       const std::string* base, std::vector<Unreadable>* unreadable,
                                       bool marks_only = false) const;
    // The text of journal `name`, or nothing with `why` set; with
    // `ends_only`, of a long one only its first and last lines.
    std::optional<std::string> read_trusted(const std::string& name, std::string& why,
                                            bool ends_only = false) const;

    std::string path_;
    Folder folder_;
};

}  // namespace renamer
