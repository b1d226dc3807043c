#include "disk.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace renamer {

bool Identity::operator==(const Identity& other) const {
    return ino == other.ino && (born_ns == 0 || other.born_ns == 0 || born_ns == other.born_ns);
}

bool Fingerprint::operator==(const Fingerprint& other) const {
    if (id != other.id || folder != other.folder) return false;
    return folder || (size == other.size && mtime_ns == other.mtime_ns);
}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Folder::~Folder() {
    if (fd_ >= 0) close(fd_);
}

Folder open_folder(const std::string& base, const std::string& relative, std::string& reason, int* error) {
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    Folder folder(::open(base.c_str(), flags));
    if (!folder.open()) {
        const int failure = errno;
        if (error) *error = failure;
        reason = "the folder " + base + " cannot be opened: " + std::strerror(failure);
        return Folder();
    }
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const std::string component = relative.substr(start, end - start);
        Folder next(::openat(folder.fd(), component.c_str(), flags | O_NOFOLLOW));
        if (!next.open()) {
            const int failure = errno;
            if (error) *error = failure;
            if (failure == ELOOP || failure == ENOTDIR)
                reason = "the path goes through " + component + ", which is not a folder";
            else if (failure == ENOENT)
                reason = "the folder " + relative.substr(0, end) + " no longer exists";
            else
                reason = "the folder " + relative.substr(0, end) + " cannot be opened: " + std::strerror(failure);
            return Folder();
        }
        folder = std::move(next);
        start = end + 1;
    }
    return folder;
}

bool may_open_later(int error) { return error != ENOENT && error != ENOTDIR && error != ELOOP; }

std::optional<Fingerprint> fingerprint(const Folder& folder, const char* name) {
    struct statx st;
    if (statx(folder.fd(), name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return std::nullopt;
    const auto nanoseconds = [](const statx_timestamp& t) {
        return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    Fingerprint f;
    f.id.dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    f.id.ino = st.stx_ino;
    if (st.stx_mask & STATX_BTIME) f.id.born_ns = nanoseconds(st.stx_btime);
    f.folder = S_ISDIR(st.stx_mode);
    f.size = static_cast<off_t>(st.stx_size);
    f.mtime_ns = nanoseconds(st.stx_mtime);
    f.links = st.stx_nlink;
    return f;
}

int rename_noreplace(const Folder& folder, const std::string& from, const std::string& to) {
    const int fd = folder.fd();
    if (renameat2(fd, from.c_str(), fd, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    // The file system does not take the flag. A hard link cannot replace
    // anything, so for files link-then-unlink keeps the promise. Looking
    // first and renaming after could replace what another program made in
    // between, so without links there is no safe way, and no rename.
    struct stat st;
    if (fstatat(fd, from.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return ENOTSUP;
    if (linkat(fd, from.c_str(), fd, to.c_str(), 0) != 0) {
        if (errno == EEXIST || errno == ENOENT || errno == ENAMETOOLONG || errno == EACCES) return errno;
        return ENOTSUP;
    }
    if (unlinkat(fd, from.c_str(), 0) == 0) return 0;
    const int error = errno;
    unlinkat(fd, to.c_str(), 0);  // both names are the same file: drop the new one again
    return error;
}

namespace {

bool write_all(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool write_durably(const Folder& folder, const std::string& name, const std::string& data) {
    const int fd = ::openat(folder.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = write_all(fd, data) && fsync(fd) == 0;
    int error = errno;
    close(fd);
    if (written && fsync(folder.fd()) == 0) return true;
    if (written) error = errno;
    unlinkat(folder.fd(), name.c_str(), 0);  // a journal cut short must not be read as one
    errno = error;
    return false;
}

AppendFile::AppendFile(const Folder& folder, const std::string& name)
    : fd_(::openat(folder.fd(), name.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC)) {
    if (fd_ < 0) {
        fail();
        return;
    }
    // A last line cut short (a full disk) is ended first, so that what comes
    // next is a line of its own rather than glued to a fragment.
    struct stat st;
    char last = '\n';
    if (fstat(fd_, &st) == 0 && st.st_size > 0 && pread(fd_, &last, 1, st.st_size - 1) == 1 && last != '\n')
        pending_ = "\n";
}

bool AppendFile::fail() {
    if (!failed_) error_ = errno;
    failed_ = true;
    return false;
}

std::string AppendFile::failure() const { return failed_ ? std::strerror(error_) : ""; }

AppendFile::~AppendFile() {
    write_out();
    if (fd_ >= 0) close(fd_);
}

bool AppendFile::write_out() {
    if (!failed_ && !pending_.empty() && !write_all(fd_, pending_)) fail();
    pending_.clear();
    return !failed_;
}

bool AppendFile::append(const std::string& line) {
    constexpr std::size_t WRITE_FROM = 16 * 1024;
    if (failed_) return false;
    pending_ += line;
    pending_ += '\n';
    return pending_.size() < WRITE_FROM || write_out();
}

bool AppendFile::sync() { return write_out() && (fsync(fd_) == 0 || fail()); }

std::string real_path(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return "";
    std::string out(resolved);
    std::free(resolved);
    return out;
}

std::optional<Listing> names_in(const Folder& folder) {
    const int fd = fcntl(folder.fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return std::nullopt;
    }
    rewinddir(dir);  // the duplicate shares its position with the folder's own descriptor
    Listing listing;
    errno = 0;
    while (const dirent* entry = readdir(dir)) listing.add(entry->d_name);
    const bool complete = errno == 0;
    closedir(dir);
    if (!complete) return std::nullopt;
    listing.index();
    return listing;
}

Listing::Listing(const std::vector<const std::vector<std::string>*>& parts) {
    std::size_t count = 0, size = 0;
    for (const auto* part : parts)
        for (const std::string& name : *part) ++count, size += name.size() + 1;
    bytes_.reserve(size);
    starts_.reserve(count + 1);
    for (const auto* part : parts)
        for (const std::string& name : *part) add(name);
    index();
}

void Listing::add(std::string_view name) {
    starts_.push_back(bytes_.size());
    bytes_.insert(bytes_.end(), name.begin(), name.end());
    bytes_.push_back('\0');
}

// The block is whole now: its names stay where they are.
void Listing::index() {
    starts_.push_back(bytes_.size());
    index_ = NameIndex<NameAt>(NameAt{bytes_.data(), starts_.data()}, size());
    for (std::size_t i = 0; i < size(); ++i) index_.insert(i);
}

std::size_t name_max(const Folder& folder) {
    const long n = fpathconf(folder.fd(), _PC_NAME_MAX);
    return n > 0 ? static_cast<std::size_t>(n) : NAME_MAX;
}

}  // namespace renamer
