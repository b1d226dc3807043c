#include "cli/output.hpp"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "names/codec.hpp"

namespace cli {

namespace {

// Printed rows are gathered into writes of about this size.
constexpr std::size_t WRITE_FROM = 64 * 1024;

void append_json_string(std::string& out, std::string_view bytes) {
    out += '"';
    char escaped[8];
    while (!bytes.empty()) {
        char32_t c;
        const std::size_t length = names::decode_first(bytes, c);
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
            out.append(bytes.data(), length);  // a valid sequence: its own bytes
        }
        bytes.remove_prefix(length);
    }
    out += '"';
}

bool is_refusal(renamer::Status status) {
    return status == renamer::Status::refused || status == renamer::Status::failed;
}

// A preview's reason is the refusal; after a batch it says whether the
// entry was refused or failed.
void append_reason(std::string& out, const renamer::Entry& e, bool after_batch) {
    if (after_batch) {
        out += renamer::status_name(e.status);
        out += ": ";
    }
    out += e.reason;
}

void append_entry(std::string& out, const renamer::Entry& e, bool skipped, Format format, bool after_batch) {
    const bool refusal = !skipped && is_refusal(e.status);
    switch (format) {
        case Format::json:
            out += "{\"path\": ";
            append_json_string(out, e.path);
            out += ", \"new\": ";
            append_json_string(out, e.new_name);
            out += ", \"status\": \"";
            out += skipped ? "skipped" : renamer::status_name(e.status);
            out += "\", \"reason\": ";
            append_json_string(out, e.reason);
            out += "}\n";
            break;
        case Format::null:  // always three fields, whatever the names hold
            out += e.path;
            out += '\0';
            out += e.new_name;
            out += '\0';
            if (refusal) append_reason(out, e, after_batch);
            out += '\0';
            break;
        case Format::lines:
            out += e.path;
            out += '\t';
            out += e.new_name;
            if (refusal && (after_batch || !e.reason.empty())) {  // no empty last field
                out += '\t';
                append_reason(out, e, after_batch);
            }
            out += '\n';
            break;
        case Format::none:
            break;
    }
}

}  // namespace

std::string json_string(const std::string& bytes) {
    std::string out;
    append_json_string(out, bytes);
    return out;
}

void Output::add(const renamer::Entry& e) {
    if (format_ == Format::none) return;
    rows_.push_back(e);
    skipped_.push_back(false);
}

void Output::add(const std::vector<renamer::Entry>& entries) {
    rows_.reserve(rows_.size() + entries.size());
    for (const renamer::Entry& e : entries) add(e);
}

void Output::add(std::vector<renamer::Entry>&& entries) {
    if (format_ == Format::none) return;
    if (rows_.empty()) {
        rows_ = std::move(entries);
    } else {
        rows_.reserve(rows_.size() + entries.size());
        std::move(entries.begin(), entries.end(), std::back_inserter(rows_));
    }
    skipped_.resize(rows_.size(), false);
}

void Output::add_skipped(const std::string& path, const std::string& name, const std::string& reason) {
    if (format_ != Format::json) return;
    rows_.push_back({path, name, renamer::Status::rename, reason});
    skipped_.push_back(true);
}

std::vector<std::size_t> Output::sorted_order() const {
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    const auto by_path = [&](std::size_t a, std::size_t b) { return rows_[a].path < rows_[b].path; };
    if (!std::is_sorted(order.begin(), order.end(), by_path)) std::stable_sort(order.begin(), order.end(), by_path);
    return order;
}

void Output::write(std::ostream& out) {
    std::string block;
    for (const std::size_t i : sorted_order()) {
        append_entry(block, rows_[i], skipped_[i], format_, after_batch_);
        if (block.size() >= WRITE_FROM) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    rows_.clear();
    skipped_.clear();
    out.flush();
}

}  // namespace cli
