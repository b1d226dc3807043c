#include "journal.hpp"

#include "renamer/paths.hpp"

#include <cctype>
#include <sstream>

namespace renamer {

namespace {

const char* const MAGIC = "reshape-journal 2";

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
    out << MAGIC << "\n"
        << "sequence " << journal.sequence << "\n"
        << "time " << journal.time << "\n"
        << "base " << escape(journal.base) << "\n";
    for (std::size_t i = 0; i < journal.entries.size(); ++i)
        out << "entry " << i << " " << escape(journal.entries[i].path) << " "
            << escape(journal.entries[i].new_name) << "\n";
    for (std::size_t i = 0; i < journal.steps.size(); ++i) {
        const Step& s = journal.steps[i];
        out << "step " << i << " " << s.entry << " " << s.unit << " " << s.moved.dev << " " << s.moved.ino << " "
            << s.moved.born_ns << " " << escape(s.dir) << " " << escape(s.from) << " " << escape(s.to) << "\n";
    }
    out << "planned\n";
    return out.str();
}

namespace {

// Every step renames its entry, inside the entry's own folder, between the
// entry's old name, its new name and the engine's temporary names.
bool steps_stay_inside(const Journal& journal) {
    for (const JournalEntry& e : journal.entries) {
        std::string dir, name;
        if (!split_path(e.path, dir, name) || !is_plain_name(e.new_name)) return false;
    }
    for (const Step& s : journal.steps) {
        if (s.entry >= journal.entries.size()) return false;
        const JournalEntry& e = journal.entries[s.entry];
        std::string dir, name;
        split_path(e.path, dir, name);
        const auto allowed = [&](const std::string& n) {
            return n == name || n == e.new_name || is_temporary_name(n);
        };
        if (s.dir != dir || !allowed(s.from) || !allowed(s.to) || s.from == s.to) return false;
    }
    return true;
}

}  // namespace

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
            if (f[0] == "sequence" && f.size() == 2) {
                journal.sequence = std::stoull(f[1]);
            } else if (f[0] == "time" && f.size() == 2) {
                journal.time = std::stoll(f[1]);
            } else if (f[0] == "base" && f.size() == 2) {
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
                const std::size_t step = std::stoul(f[1]);
                if (step >= journal.steps.size()) return std::nullopt;
                journal.logged_done.insert(step);
            } else if (f[0] == "rolledback" && f.size() == 2) {
                journal.logged_done.erase(std::stoul(f[1]));
            } else if (f[0] == "planned") {
                planned = true;
            } else if (f[0] == "complete") {
                journal.complete = true;
            } else if (f[0] == "undone") {
                journal.undone = true;
            }
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    // A plan cut short was never acted on: its first rename waits for the flush.
    if (!planned || journal.base.empty() || journal.base.front() != '/' || !steps_stay_inside(journal))
        return std::nullopt;
    return journal;
}

}  // namespace renamer
