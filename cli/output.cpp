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
// entry was refused or failed, or was back at its old name already.
void append_reason(std::string& out, const renamer::Verdict& v, bool after_batch) {
    if (after_batch) {
        out += renamer::status_name(v.status);
        if (v.status == renamer::Status::back) return;  // the word says it all
        out += ": ";
    }
    out += v.reason;
}

void append_entry(std::string& out, const renamer::Request& r, const renamer::Verdict& v, bool skipped, Format format,
                  bool after_batch) {
    // A third field: why the entry was not renamed, or that it was back already.
    const bool noted = !skipped && (is_refusal(v.status) || v.status == renamer::Status::back);
    switch (format) {
        case Format::json:
            out += "{\"path\": ";
            append_json_string(out, r.path);
            out += ", \"new\": ";
            append_json_string(out, r.new_name);
            out += ", \"status\": \"";
            out += skipped ? "skipped" : renamer::status_name(v.status);
            out += "\", \"reason\": ";
            append_json_string(out, v.reason);
            out += "}\n";
            break;
        case Format::null:  // always three fields, whatever the names hold
            out += r.path;
            out += '\0';
            out += r.new_name;
            out += '\0';
            if (noted) append_reason(out, v, after_batch);
            out += '\0';
            break;
        case Format::lines:
            out += r.path;
            out += '\t';
            out += r.new_name;
            if (noted && (after_batch || !v.reason.empty())) {  // no empty last field
                out += '\t';
                append_reason(out, v, after_batch);
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
    requests_.push_back({e.path, e.new_name, {}});
    verdicts_.push_back({e.status, e.reason});
    skipped_.push_back(false);
}

void Output::add(const std::vector<renamer::Entry>& entries) {
    for (const renamer::Entry& e : entries) add(e);
}

void Output::add(std::vector<renamer::Entry>&& entries) {
    if (format_ == Format::none) return;
    for (renamer::Entry& e : entries) {
        requests_.push_back({std::move(e.path), std::move(e.new_name), {}});
        verdicts_.push_back({e.status, std::move(e.reason)});
        skipped_.push_back(false);
    }
}

void Output::add(std::vector<renamer::Request>&& requests, std::vector<renamer::Verdict>&& verdicts) {
    if (format_ == Format::none) return;
    if (requests_.empty()) {
        requests_ = std::move(requests);
        verdicts_ = std::move(verdicts);
    } else {
        std::move(requests.begin(), requests.end(), std::back_inserter(requests_));
        std::move(verdicts.begin(), verdicts.end(), std::back_inserter(verdicts_));
    }
    skipped_.resize(requests_.size(), false);
}

void Output::add_skipped(const std::string& path, const std::string& name, const std::string& reason) {
    if (format_ != Format::json) return;
    requests_.push_back({path, name, {}});
    verdicts_.push_back({renamer::Status::rename, reason});
    skipped_.push_back(true);
}

std::vector<std::size_t> Output::sorted_order() const {
    std::vector<std::size_t> order(requests_.size());
    std::iota(order.begin(), order.end(), 0);
    const auto by_path = [&](std::size_t a, std::size_t b) { return requests_[a].path < requests_[b].path; };
    if (!std::is_sorted(order.begin(), order.end(), by_path)) std::stable_sort(order.begin(), order.end(), by_path);
    return order;
}

void Output::write(std::ostream& out) {
    std::string block;
    for (const std::size_t i : sorted_order()) {
        append_entry(block, requests_[i], verdicts_[i], skipped_[i], format_, after_batch_);
        if (block.size() >= WRITE_FROM) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    requests_.clear();
    verdicts_.clear();
    skipped_.clear();
    out.flush();
}

}  // namespace cli
