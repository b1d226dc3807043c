// The file-system operations of the rename engine, all relative to a
// folder opened without following symbolic links, so that no rename can
// reach outside the chosen folder.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "renamer/name_index.hpp"

namespace renamer {

// Who an entry is: its inode, and its birth time where the file system
// keeps one, since a deleted file's inode number is soon given to a new one.
// The device number is kept for the record but not compared: it changes
// when a disk is mounted again, and entries are only ever compared with
// others found in the same folder.
struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    int64_t born_ns = 0;  // 0: not known
    bool operator==(const Identity& other) const;
    bool operator!=(const Identity& other) const { return !(*this == other); }
};

// An entry's identity and what tells whether it changed: a file is the same
// while its size and modification time are; a folder while it is itself.
struct Fingerprint {
    Identity id;
    bool folder = false;
    off_t size = 0;
    int64_t mtime_ns = 0;
    unsigned links = 1;
    bool operator==(const Fingerprint& other) const;
};

// An open folder; closes itself.
class Folder {
public:
    Folder() = default;
    explicit Folder(int fd) : fd_(fd) {}
    Folder(Folder&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();
    int fd() const { return fd_; }
    bool open() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Opens `base`, then each component of `relative` ("" for the base itself)
// without following links, so that paths longer than PATH_MAX work too. On
// failure returns a closed folder and sets `reason`, and `error` when given.
Folder open_folder(const std::string& base, const std::string& relative, std::string& reason,
                   int* error = nullptr);

// Whether a folder that could not be opened for `error` may open later (no
// permission now, too many files open) rather than be gone for good.
bool may_open_later(int error);

// The entry `name` in `folder`, not following a link, or nothing.
std::optional<Fingerprint> fingerprint(const Folder& folder, const char* name);
inline std::optional<Fingerprint> fingerprint(const Folder& folder, const std::string& name) {
    return fingerprint(folder, name.c_str());
}

// The fingerprint of each of `names`, in order. Many are looked at on two
// threads: each look is a system call that waits only on the kernel, and
// the second core halves the wait.
std::vector<std::optional<Fingerprint>> fingerprints(const Folder& folder, const std::vector<const char*>& names);

// Renames `from` to `to` inside `folder` without ever replacing an existing
// entry. Returns 0 or the errno of the failure: EEXIST when `to` exists,
// ENOTSUP when the file system offers no rename that cannot replace.
int rename_noreplace(const Folder& folder, const std::string& from, const std::string& to);

// Writes `data` to a new file `name` in `folder` and makes it durable (file
// and folder flushed). On failure nothing is left behind and errno tells why.
bool write_durably(const Folder& folder, const std::string& name, const std::string& data);

// Appends lines to an open journal, gathered into large writes and never
// flushed to disk before sync(): recovery reads the disk, and a log cut
// short by a crash only means the disk decides. Once a write fails, nothing
// more is written, so that a journal never claims more than it holds.
class AppendFile {
public:
    AppendFile(const Folder& folder, const std::string& name);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    bool append(const std::string& line);  // false once anything failed
    bool sync();
    // Why the first failure happened, as strerror tells it ("" while none has).
    std::string failure() const;

private:
    bool write_out();
    bool fail();

    int fd_ = -1;
    bool failed_ = false;
    int error_ = 0;
    std::string pending_;
};

// The absolute path with links resolved, or "" when it does not exist.
std::string real_path(const std::string& path);

// The names in a folder, read once, their bytes kept in one block.
class Listing {
public:
    Listing() = default;
    // The names of a folder its caller has read already.
    explicit Listing(const std::vector<const std::vector<std::string>*>& parts);
    // The index points into the block: a move keeps it in place, a copy would not.
    Listing(Listing&&) = default;
    Listing& operator=(Listing&&) = default;
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    bool contains(std::string_view name) const { return index_.contains(name); }
    std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    std::string_view name(std::size_t i) const { return NameAt{bytes_.data(), starts_.data()}(i); }

private:
    friend std::optional<Listing> names_in(const Folder& folder);
    void add(std::string_view name);
    void index();

    // Name i of the block.
    struct NameAt {
        const char* bytes = nullptr;
        const std::size_t* starts = nullptr;
        std::string_view operator()(std::size_t i) const {
            return std::string_view(bytes + starts[i], starts[i + 1] - starts[i] - 1);
        }
    };

    std::vector<char> bytes_;         // the names, each ended by a NUL; moves keep them in place
    std::vector<std::size_t> starts_;  // where each name starts, and the end of the block
    NameIndex<NameAt> index_{NameAt{}};
};

// The names in a folder, or nothing when it cannot be read to the end.
std::optional<Listing> names_in(const Folder& folder);

// The longest name, in bytes, that the folder's file system takes.
std::size_t name_max(const Folder& folder);

}  // namespace renamer
