#include "cli/output.hpp"

#include <algorithm>
#include <cstdio>

#include "names/codec.hpp"

namespace cli {

std::string json_string(const std::string& bytes) {
    std::string out = "\"";
    char escaped[8];
    for (char32_t c : names::decode(bytes)) {
        if (c == U'"' || c == U'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == U'\n') {
            out += "\\n";
        } else if (c == U'\t') {
            out += "\\t";
        } else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += names::encode(std::u32string(1, c));
        }
    }
    return out + "\"";
}

void Output::add(const renamer::Entry& e) {
    if (format_ == Format::none) return;
    const bool refusal = e.status == renamer::Status::refused || e.status == renamer::Status::failed;
    rows_.push_back({e.path, e.new_name, renamer::status_name(e.status), e.reason, refusal});
}

void Output::add(const std::vector<renamer::Entry>& entries) {
    rows_.reserve(rows_.size() + entries.size());
    for (const renamer::Entry& e : entries) add(e);
}

void Output::add(std::vector<renamer::Entry>&& entries) {
    if (format_ == Format::none) return;
    rows_.reserve(rows_.size() + entries.size());
    for (renamer::Entry& e : entries) {
        const bool refusal = e.status == renamer::Status::refused || e.status == renamer::Status::failed;
        rows_.push_back({std::move(e.path), std::move(e.new_name), renamer::status_name(e.status),
                         std::move(e.reason), refusal});
    }
}

void Output::add_skipped(const std::string& path, const std::string& name, const std::string& reason) {
    if (format_ == Format::json) rows_.push_back({path, name, "skipped", reason, false});
}

namespace {

// A preview's reason is the refusal; after a batch it says whether the
// entry was refused or failed.
std::string reason(const Output::Row& e, bool after_batch) {
    if (!e.refusal) return "";
    return after_batch ? std::string(e.status) + ": " + e.reason : e.reason;
}

void write_entry(std::ostream& out, const Output::Row& e, Format format, bool after_batch) {
    switch (format) {
        case Format::json:
            out << "{\"path\": " << json_string(e.path) << ", \"new\": " << json_string(e.new_name)
                << ", \"status\": \"" << e.status << "\", \"reason\": " << json_string(e.reason) << "}\n";
            break;
        case Format::null:  // always three fields, whatever the names hold
            out << e.path << '\0' << e.new_name << '\0' << reason(e, after_batch) << '\0';
            break;
        case Format::lines: {
            const std::string why = reason(e, after_batch);
            out << e.path << '\t' << e.new_name << (why.empty() ? "" : "\t") << why << '\n';
            break;
        }
        case Format::none:
            break;
    }
}

}  // namespace

void Output::write(std::ostream& out) {
    std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.path < b.path; });
    for (const Row& row : rows_) write_entry(out, row, format_, after_batch_);
    rows_.clear();
    out.flush();
}

}  // namespace cli
