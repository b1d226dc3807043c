// The file-system operations of the rename engine, all relative to a
// folder opened without following symbolic links, so that no rename can
// reach outside the chosen folder.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

namespace renamer {

// Who an entry is: its inode, and its birth time where the file system
// keeps one, since a deleted file's inode number is soon given to a new one.
struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    int64_t born_ns = 0;  // 0: not known
    bool operator==(const Identity& other) const;
};

// An entry's identity and what tells whether it changed: a file is the same
// while its size and modification time are; a folder while it is itself.
struct Fingerprint {
    Identity id;
    bool folder = false;
    off_t size = 0;
    int64_t mtime_ns = 0;
    bool same_entry(const Fingerprint& other) const { return id == other.id; }
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
// without following links. On failure returns a closed folder and sets
// `reason`.
Folder open_folder(const std::string& base, const std::string& relative, std::string& reason);

// The entry `name` in `folder`, not following a link, or nothing.
std::optional<Fingerprint> fingerprint(const Folder& folder, const std::string& name);

// Renames `from` to `to` inside `folder` without ever replacing an existing
// entry. Returns 0 or the errno of the failure (EEXIST when `to` exists).
int rename_noreplace(const Folder& folder, const std::string& from, const std::string& to);

// Writes `data` to `path` and makes it durable (file and folder flushed).
// Returns false on failure.
bool write_durably(const std::string& path, const std::string& data);

// Appends to an open journal without flushing; recovery reads the disk.
class AppendFile {
public:
    explicit AppendFile(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    bool append(const std::string& line);
    bool sync();

private:
    int fd_ = -1;
};

// Makes `path` and its parents as folders readable by the user only.
bool make_folders(const std::string& path);

// The absolute path with links resolved, or "" when it does not exist.
std::string real_path(const std::string& path);

// The names in a folder, or nothing when it cannot be read to the end.
std::optional<std::unordered_set<std::string>> names_in(const Folder& folder);

// The longest name, in bytes, that the folder's file system takes.
std::size_t name_max(const Folder& folder);

}  // namespace renamer
