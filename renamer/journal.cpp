#include "journal.hpp"

#include "renamer/paths.hpp"

#include <cctype>
#include <charconv>
#include <stdexcept>
#include <string_view>

namespace renamer {

namespace {

const char* const MAGIC = "reshape-journal 2";
const char OLD_NAME[] = "<";
const char NEW_NAME[] = ">";

// Lines are fields joined by tabs; escaped fields never hold a tab.
std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> out;
    while (true) {
        const std::size_t tab = line.find('\t');
        out.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return out;
        line.remove_prefix(tab + 1);
    }
}

template <class Number>
Number number(std::string_view field) {
    Number value{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) throw std::invalid_argument("not a number");
    return value;
}

void escape_into(std::string_view bytes, std::string& out) {
    if (bytes.empty()) {
        out += '%';
        return;
    }
    static const char* hex = "0123456789ABCDEF";
    const auto plain = [](unsigned char c) { return c >= 0x20 && c < 0x7F && c != '%'; };
    std::size_t run = 0;  // where the bytes not yet written start
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (plain(c)) continue;
        out.append(bytes.data() + run, i - run);
        const char code[3] = {'%', hex[c >> 4], hex[c & 15]};
        out.append(code, 3);
        run = i + 1;
    }
    out.append(bytes.data() + run, bytes.size() - run);
}

template <class Number>
void append_number(std::string& out, Number value) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, written.ptr);
}

// A step's name as the entry's old or new name when it is one of them.
void append_name_token(std::string& out, std::string_view name, const JournalEntry& entry) {
    std::string_view dir, old_name;
    split_path(std::string_view(entry.path), dir, old_name);
    if (name == old_name)
        out += OLD_NAME;
    else if (name == entry.new_name)
        out += NEW_NAME;
    else
        escape_into(name, out);
}

}  // namespace

std::string escape(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    escape_into(bytes, out);
    return out;
}

std::optional<std::string> unescape(std::string_view field) {
    if (field == "%") return std::string();
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size()) return std::nullopt;
        const char code[2] = {field[i + 1], field[i + 2]};
        if (!std::isxdigit(static_cast<unsigned char>(code[0])) || !std::isxdigit(static_cast<unsigned char>(code[1])))
            return std::nullopt;
        const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10; };
        out += static_cast<char>(digit(code[0]) * 16 + digit(code[1]));
        i += 2;
    }
    return out;
}

std::string format_plan(const Journal& journal) {
    std::string out;
    out.reserve(64 + journal.entries.size() * 160);
    out += MAGIC;
    out += "\nsequence\t" + std::to_string(journal.sequence) + "\ntime\t" + std::to_string(journal.time) +
           "\nbase\t" + escape(journal.base) + "\n";
    for (const JournalEntry& e : journal.entries) {
        out += "entry\t";
        escape_into(e.path, out);
        out += '\t';
        escape_into(e.new_name, out);
        out += '\n';
    }
    for (const Step& s : journal.steps) {
        out += "step";
        for (const std::uint64_t number : {std::uint64_t(s.entry), std::uint64_t(s.unit), std::uint64_t(s.moved.dev),
                                           std::uint64_t(s.moved.ino)}) {
            out += '\t';
            append_number(out, number);
        }
        out += '\t';
        append_number(out, s.moved.born_ns);
        const JournalEntry& e = journal.entries[s.entry];
        out += '\t';
        append_name_token(out, s.from, e);
        out += '\t';
        append_name_token(out, s.to, e);
        out += '\n';
    }
    out += "planned\n";
    return out;
}

std::string undone_line(std::size_t kept) { return "undone\t" + std::to_string(kept); }

const char* const PARTLY_UNDONE = "partly-undone";
const char* const STOPPED = "stopped";

namespace {

// Every step renames its entry inside the entry's own folder, between the
// entry's old name, its new name and the engine's temporary names.
std::optional<std::string> step_name(std::string_view token, const std::string& old_name, const JournalEntry& entry) {
    if (token == OLD_NAME) return old_name;
    if (token == NEW_NAME) return entry.new_name;
    std::optional<std::string> name = unescape(token);
    if (!name || !is_temporary_name(*name)) return std::nullopt;
    return name;
}

bool entries_stay_inside(const Journal& journal) {
    for (const JournalEntry& e : journal.entries) {
        std::string dir, name;
        if (!split_path(e.path, dir, name) || !is_plain_name(e.new_name)) return false;
    }
    return true;
}

// The lines of the plan, which a reading of the marks passes over.
bool is_plan_line(std::string_view line) {
    for (const std::string_view kind : {"entry\t", "step\t"})
        if (line.substr(0, kind.size()) == kind) return true;
    return false;
}

}  // namespace

std::optional<Journal> parse(const std::string& text, bool marks_only) {
    std::string_view rest(text);
    rest = rest.substr(0, rest.rfind('\n') + 1);  // a last line cut short by a full disk says nothing
    const auto next_line = [&](std::string_view& line) {
        if (rest.empty()) return false;
        const std::size_t end = rest.find('\n');
        line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        return true;
    };
    std::string_view line;
    if (!next_line(line) || line != MAGIC) return std::nullopt;
    Journal journal;
    bool planned = false, entries_checked = false;
    while (next_line(line)) {
        if (marks_only && is_plan_line(line)) continue;
        const std::vector<std::string_view> f = fields_of(line);
        try {
            if (f[0] == "sequence" && f.size() == 2) {
                journal.sequence = number<std::uint64_t>(f[1]);
            } else if (f[0] == "time" && f.size() == 2) {
                journal.time = number<std::int64_t>(f[1]);
            } else if (f[0] == "base" && f.size() == 2) {
                auto base = unescape(f[1]);
                if (!base) return std::nullopt;
                journal.base = *base;
            } else if (f[0] == "entry" && f.size() == 3 && journal.steps.empty()) {
                auto path = unescape(f[1]);
                auto name = unescape(f[2]);
                if (!path || !name) return std::nullopt;
                journal.entries.push_back({std::move(*path), std::move(*name)});
            } else if (f[0] == "step" && f.size() == 8) {
                if (!entries_checked && !entries_stay_inside(journal)) return std::nullopt;
                entries_checked = true;
                Step s;
                s.entry = number<std::size_t>(f[1]);
                if (s.entry >= journal.entries.size()) return std::nullopt;
                s.unit = number<std::size_t>(f[2]);
                s.moved.dev = number<dev_t>(f[3]);
                s.moved.ino = number<ino_t>(f[4]);
                s.moved.born_ns = number<std::int64_t>(f[5]);
                const JournalEntry& e = journal.entries[s.entry];
                std::string old_name;
                split_path(e.path, s.dir, old_name);
                auto from = step_name(f[6], old_name, e);
                auto to = step_name(f[7], old_name, e);
                if (!from || !to || *from == *to) return std::nullopt;
                s.from = std::move(*from), s.to = std::move(*to);
                journal.steps.push_back(std::move(s));
            } else if (f[0] == "done" && f.size() == 2) {
                const std::size_t step = number<std::size_t>(f[1]);
                if (step >= journal.steps.size() && !marks_only) return std::nullopt;
                journal.logged_done.insert(step);
            } else if (f[0] == "rolledback" && f.size() == 2) {
                journal.logged_done.erase(number<std::size_t>(f[1]));
            } else if (f[0] == "planned") {
                planned = true;
            } else if (f[0] == "complete") {
                journal.complete = true;
            } else if (f[0] == STOPPED) {
                journal.stopped = true;
            } else if (f[0] == PARTLY_UNDONE) {
                journal.partly_undone = true;
            } else if (f[0] == "undone") {
                journal.undone = true;
                journal.kept = f.size() == 2 ? number<std::size_t>(f[1]) : 0;
            }
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    // A plan cut short was never acted on: its first rename waits for the flush.
    const bool settled = journal.complete || journal.undone;  // marked only after the plan was flushed
    if (!(planned || (marks_only && settled)) || journal.base.empty() || journal.base.front() != '/' ||
        !entries_stay_inside(journal))
        return std::nullopt;
    return journal;
}

}  // namespace renamer
