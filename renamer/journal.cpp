#include "journal.hpp"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace renamer {

namespace {

const char* const MAGIC = "reshape-journal 1";

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

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string field;
    while (in >> field) out.push_back(field);
    return out;
}

}  // namespace

std::string escape(const std::string& bytes) {
    if (bytes.empty()) return "%";
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c > 0x20 && c < 0x7F && c != '%') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> unescape(const std::string& field) {
    if (field == "%") return std::string();
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size()) return std::nullopt;
        const std::string code = field.substr(i + 1, 2);
        if (!std::isxdigit(static_cast<unsigned char>(code[0])) ||
            !std::isxdigit(static_cast<unsigned char>(code[1])))
            return std::nullopt;
        out += static_cast<char>(std::stoi(code, nullptr, 16));
        i += 2;
    }
    return out;
}

std::string format_plan(const Journal& journal) {
    std::ostringstream out;
    out << MAGIC << "\n" << "base " << escape(journal.base) << "\n";
    for (std::size_t i = 0; i < journal.entries.size(); ++i)
        out << "entry " << i << " " << escape(journal.entries[i].path) << " "
            << escape(journal.entries[i].new_name) << "\n";
    for (std::size_t i = 0; i < journal.steps.size(); ++i) {
        const Step& s = journal.steps[i];
        out << "step " << i << " " << s.entry << " " << s.unit << " " << s.moved.dev << " " << s.moved.ino << " "
            << s.moved.born_ns << " "
            << escape(s.dir) << " " << escape(s.from) << " " << escape(s.to) << "\n";
    }
    out << "planned\n";
    return out.str();
}

std::optional<Journal> parse(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != MAGIC) return std::nullopt;
    Journal journal;
    bool planned = false;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = fields_of(line);
        if (f.empty()) continue;
        try {
            if (f[0] == "base" && f.size() == 2) {
                auto base = unescape(f[1]);
                if (!base) return std::nullopt;
                journal.base = *base;
            } else if (f[0] == "entry" && f.size() == 4) {
                auto path = unescape(f[2]);
                auto name = unescape(f[3]);
                if (!path || !name) return std::nullopt;
                journal.entries.push_back({*path, *name});
            } else if (f[0] == "step" && f.size() == 10) {
                Step s;
                s.entry = std::stoul(f[2]);
                s.unit = std::stoul(f[3]);
                s.moved.dev = static_cast<dev_t>(std::stoull(f[4]));
                s.moved.ino = static_cast<ino_t>(std::stoull(f[5]));
                s.moved.born_ns = std::stoll(f[6]);
                auto dir = unescape(f[7]);
                auto from = unescape(f[8]);
                auto to = unescape(f[9]);
                if (!dir || !from || !to) return std::nullopt;
                s.dir = *dir, s.from = *from, s.to = *to;
                journal.steps.push_back(std::move(s));
            } else if (f[0] == "done" && f.size() == 2) {
                journal.logged_done.insert(std::stoul(f[1]));
            } else if (f[0] == "rolledback" && f.size() == 2) {
                journal.logged_done.erase(std::stoul(f[1]));
            } else if (f[0] == "planned") {
                planned = true;
            } else if (f[0] == "undone") {
                journal.undone = true;
            }
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    // A plan cut short was never acted on: its first rename waits for the flush.
    if (!planned) return std::nullopt;
    return journal;
}

std::string default_journal_folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/reshape";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/reshape";
}

std::string new_journal_path(const std::string& folder, const std::string& base) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%020lld",
                  static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    return folder + "/" + folder_key(base) + "-" + stamp + "-" + std::to_string(getpid()) + ".journal";
}

std::vector<std::string> journals_of(const std::string& folder, const std::string& base) {
    std::vector<std::string> names;
    const std::string prefix = folder_key(base) + "-";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return names;
    while (const dirent* e = readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0 && name.size() > 8 &&
            name.compare(name.size() - 8, 8, ".journal") == 0)
            names.push_back(name);
    }
    std::sort(names.rbegin(), names.rend());
    for (std::string& name : names) name = folder + "/" + name;
    return names;
}

}  // namespace renamer
