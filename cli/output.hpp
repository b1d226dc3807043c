// What the command prints for its entries: tab-separated lines, JSON lines
// or NUL-terminated fields, sorted by path byte by byte (as LC_ALL=C sort),
// or nothing at all with --quiet.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "renamer/planner.hpp"

namespace cli {

enum class Format { lines, json, null, none };

// `after_batch`: the entries of --apply or --undo, whose reasons say
// whether the entry was refused or failed.
class Output {
public:
    Output(Format format, bool after_batch) : format_(format), after_batch_(after_batch) {}

    void add(const renamer::Entry& entry);
    void add(const std::vector<renamer::Entry>& entries);
    void add(std::vector<renamer::Entry>&& entries);
    // A preview's requests, each with its verdict, kept as they come.
    void add(std::vector<renamer::Request>&& requests, std::vector<renamer::Verdict>&& verdicts);
    // A name left as it is; only JSON lists it, with the status "skipped".
    void add_skipped(const std::string& path, const std::string& name, const std::string& reason);
    void write(std::ostream& out);  // every entry added, sorted; then none is left

private:
    // The order to print in: as added when that is sorted already (a
    // folder's proposals are), else sorted, equal paths as added.
    std::vector<std::size_t> sorted_order() const;

    Format format_;
    bool after_batch_;
    // The rows: entry i is path and new name from requests_[i], status
    // and reason from verdicts_[i]; skipped_[i] when it is a name left as it is.
    std::vector<renamer::Request> requests_;
    std::vector<renamer::Verdict> verdicts_;
    std::vector<bool> skipped_;
};

// A JSON string of file-system bytes, undecodable bytes as lone surrogates.
std::string json_string(const std::string& bytes);

}  // namespace cli

namespace renamer {
struct BatchRecord;
}

namespace cli {

// The batches of --history, newest first: tab-separated lines (number,
// local time, state, renames done of planned, folder), JSON lines, or the
// same fields each ended by a NUL.
void write_history(std::ostream& out, const std::vector<renamer::BatchRecord>& batches, Format format);

}  // namespace cli
