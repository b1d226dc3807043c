#include "store.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace renamer {

namespace {

const char JOURNAL_SUFFIX[] = ".journal";
constexpr int SEQUENCE_DIGITS = 12;

// 64-bit FNV-1a: a short, stable name for a folder's journals.
std::string folder_key(const std::string& base) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : base) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return out;
}

// The sequence number that a name of the journal folder begins with.
bool leading_sequence(const std::string& name, std::uint64_t& sequence) {
    for (int i = 0; i < SEQUENCE_DIGITS; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    sequence = std::stoull(name.substr(0, SEQUENCE_DIGITS));
    return true;
}

// "<sequence>-<folder key>.journal"
bool parse_name(const std::string& name, std::uint64_t& sequence, std::string& key) {
    const std::size_t suffix = sizeof JOURNAL_SUFFIX - 1;
    if (name.size() != SEQUENCE_DIGITS + 1 + 16 + suffix || name[SEQUENCE_DIGITS] != '-' ||
        name.compare(name.size() - suffix, suffix, JOURNAL_SUFFIX) != 0 || !leading_sequence(name, sequence))
        return false;
    key = name.substr(SEQUENCE_DIGITS + 1, 16);
    return true;
}

std::string key_of(const std::string& name) { return name.substr(SEQUENCE_DIGITS + 1, 16); }

// "<sequence>.last": the number of the newest journal, once it is removed.
const char LAST_SUFFIX[] = ".last";

bool parse_last(const std::string& name, std::uint64_t& sequence) {
    const std::size_t suffix = sizeof LAST_SUFFIX - 1;
    return name.size() == SEQUENCE_DIGITS + suffix && name.compare(SEQUENCE_DIGITS, suffix, LAST_SUFFIX) == 0 &&
           leading_sequence(name, sequence);
}

std::string digits_of(std::uint64_t sequence) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*llu", SEQUENCE_DIGITS, static_cast<unsigned long long>(sequence));
    return digits;
}

std::string journal_name(std::uint64_t sequence, const std::string& base) {
    return digits_of(sequence) + "-" + folder_key(base) + JOURNAL_SUFFIX;
}

// Makes the missing folders of `path`, each readable by the user only.
bool make_parents(const std::string& path) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1))
        if (mkdir(path.substr(0, pos).c_str(), 0700) != 0 && errno != EEXIST) return false;
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string default_journal_folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/reshape";
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] == '/') {
        home = env;
    } else if (const passwd* account = getpwuid(geteuid()); account && account->pw_dir &&
                                                            account->pw_dir[0] == '/') {
        home = account->pw_dir;
    }
    return home.empty() ? "" : home + "/.local/state/reshape";
}

std::optional<JournalStore> JournalStore::open(const std::string& path, std::string& reason) {
    const std::string where = "the journal folder " + path;
    if (path.empty()) {
        reason = "there is no folder for the journal: set XDG_STATE_HOME or HOME";
        return std::nullopt;
    }
    if (!make_parents(path)) {
        reason = where + " cannot be made: " + std::strerror(errno);
        return std::nullopt;
    }
    Folder folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.open()) {
        reason = where + (errno == ENOTDIR || errno == ELOOP ? " is not a folder" : " cannot be opened: ") +
                 (errno == ENOTDIR || errno == ELOOP ? "" : std::strerror(errno));
        return std::nullopt;
    }
    struct stat st;
    if (fstat(folder.fd(), &st) != 0 || st.st_uid != geteuid()) {
        reason = where + " belongs to another user";
        return std::nullopt;
    }
    // The user's own folder: nobody else can have put anything in it while
    // it is closed to them, and every journal is checked for its owner too.
    if ((st.st_mode & 0777) != 0700 && fchmod(folder.fd(), 0700) != 0) {
        reason = where + " cannot be closed to other users: " + std::strerror(errno);
        return std::nullopt;
    }
    return JournalStore(path, std::move(folder));
}

bool JournalStore::lock(std::string& reason, std::chrono::milliseconds patience, const std::function<bool()>& stop) {
    using namespace std::chrono_literals;
    const auto give_up = std::chrono::steady_clock::now() + patience;
    while (flock(folder_.fd(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            reason = "the journal folder " + path_ + " cannot be locked: " + std::strerror(errno);
            return false;
        }
        const bool stopped = stop && stop();
        if (stopped || std::chrono::steady_clock::now() > give_up) {
            reason = std::string(stopped ? "stopped while " : "") + "another rename is still under way (the journal folder " +
                     path_ + " is locked)";
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::vector<std::string> JournalStore::names() const {
    std::vector<std::string> out;
    const int fd = fcntl(folder_.fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return out;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return out;
    }
    rewinddir(dir);
    while (const dirent* e = readdir(dir)) out.emplace_back(e->d_name);
    closedir(dir);
    return out;
}

std::uint64_t JournalStore::last_sequence() const {
    std::uint64_t last = 0, sequence;
    std::string key;
    for (const std::string& name : names())
        if (parse_name(name, sequence, key) || parse_last(name, sequence)) last = std::max(last, sequence);
    return last;
}

std::string JournalStore::create(Journal& journal, std::string& reason) {
    journal.sequence = last_sequence() + 1;
    journal.time = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    const std::string name = journal_name(journal.sequence, journal.base);
    if (!write_durably(folder_, name, format_plan(journal))) {
        reason = journal_called(name) + " cannot be written: " + std::strerror(errno);
        return "";
    }
    return name;
}

namespace {

// The first and the last `each` bytes of the file `fd` of `size` bytes, cut
// to whole lines and joined: the header and the marks of a long journal,
// without the plan and the log between them. Empty when it cannot be read.
std::string ends_of(int fd, off_t size, std::size_t each) {
    std::string head(each, '\0'), tail(each, '\0');
    if (pread(fd, head.data(), each, 0) != static_cast<ssize_t>(each) ||
        pread(fd, tail.data(), each, size - static_cast<off_t>(each)) != static_cast<ssize_t>(each))
        return "";
    head.erase(head.rfind('\n') + 1);
    tail.erase(0, tail.find('\n') + 1);
    return head + tail;
}

}  // namespace

std::optional<std::string> JournalStore::read_trusted(const std::string& name, std::string& why,
                                                      bool ends_only) const {
    const int fd = ::openat(folder_.fd(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = std::string("cannot be opened: ") + std::strerror(errno);
        return std::nullopt;
    }
    struct stat st;
    std::string text;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "is not a file";
    } else if (st.st_uid != geteuid()) {
        why = "belongs to another user";
    } else if (st.st_mode & 022) {
        why = "may be written by other users";
    } else if (constexpr std::size_t EACH = 65536; ends_only && st.st_size > static_cast<off_t>(4 * EACH)) {
        text = ends_of(fd, st.st_size, EACH);
        if (text.empty()) why = std::string("cannot be read: ") + std::strerror(errno);
    } else {
        char buffer[65536];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
        if (n < 0) {
            why = std::string("cannot be read: ") + std::strerror(errno);
            text.clear();
        } else if (text.empty()) {
            why = "is empty";
        }
    }
    close(fd);
    if (text.empty()) return std::nullopt;
    return text;
}

std::vector<JournalStore::Stored> JournalStore::journals_where(
    const std::function<bool(const std::string& key)>& wanted, const std::string* base,
    std::vector<Unreadable>* unreadable, bool marks_only) const {
    std::vector<std::pair<std::uint64_t, std::string>> found;
    std::uint64_t sequence;
    std::string key;
    for (const std::string& name : names())
        if (parse_name(name, sequence, key) && wanted(key)) found.emplace_back(sequence, name);
    std::sort(found.rbegin(), found.rend());
    std::vector<Stored> out;
    for (const auto& [number, name] : found) {
        std::string why;
        const std::optional<std::string> text = read_trusted(name, why, marks_only);
        std::optional<Journal> journal = text ? parse(*text, marks_only) : std::nullopt;
        const bool whole = journal && journal->sequence == number && folder_key(journal->base) == key_of(name);
        if (whole && (!base || journal->base == *base)) {
            out.push_back({name, std::move(*journal)});
        } else if (!whole && unreadable) {  // a whole journal of another folder is simply not ours
            unreadable->push_back({number, journal_called(name) + " " + (text ? "is damaged" : why)});
        }
    }
    return out;
}

namespace {

// Which journals' names to read: those of the folder `base`, or any.
std::function<bool(const std::string& key)> named_for(const std::string& base) {
    return [wanted = folder_key(base)](const std::string& key) { return key == wanted; };
}
bool any_name(const std::string&) { return true; }

}  // namespace

std::vector<JournalStore::Stored> JournalStore::journals_of(const std::string& base,
                                                            std::vector<Unreadable>* unreadable) const {
    return journals_where(named_for(base), &base, unreadable);
}

std::vector<JournalStore::Stored> JournalStore::all_journals(std::vector<Unreadable>* unreadable) const {
    return journals_where(any_name, nullptr, unreadable);
}

std::vector<JournalStore::Stored> JournalStore::journal_marks_of(const std::string& base) const {
    return journals_where(named_for(base), &base, nullptr, true);
}

std::vector<JournalStore::Stored> JournalStore::all_journal_marks() const {
    return journals_where(any_name, nullptr, nullptr, true);
}

bool JournalStore::keep_number(std::uint64_t sequence) {
    const std::string marker = digits_of(sequence) + LAST_SUFFIX;
    const int fd = ::openat(folder_.fd(), marker.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 || close(fd) != 0 || fsync(folder_.fd()) != 0) return false;
    std::uint64_t earlier;
    for (const std::string& name : names())
        if (parse_last(name, earlier) && earlier < sequence) unlinkat(folder_.fd(), name.c_str(), 0);  // only clutter
    return true;
}

bool JournalStore::remove(const std::string& name) {
    std::uint64_t sequence;
    std::string key;
    if (parse_name(name, sequence, key) && sequence == last_sequence() && !keep_number(sequence)) return false;
    return unlinkat(folder_.fd(), name.c_str(), 0) == 0;
}

}  // namespace renamer
