// Carrying out planned steps, one unit (a chain or a cycle) at a time: a
// unit either happens whole or is taken back in reverse.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "renamer/disk.hpp"
#include "renamer/engine.hpp"
#include "renamer/journal.hpp"
#include "renamer/lookahead.hpp"

namespace renamer {

class Executor {
public:
    // `log` (may be null) gets "done N" and "rolledback N" lines.
    Executor(const std::string& base, const std::vector<Step>& steps, AppendFile* log, const Hooks& hooks);

    // Runs steps [first, end); returns "" or the reason of the failure, which
    // names the exact place of any entry that could not be named back.
    std::string run_unit(std::size_t first, std::size_t end);

    // Runs every unit in turn and marks the entries of each (`journaled`
    // maps a step's entry to its place in `entries`) done or failed. Once
    // stop is asked, or `after_unit` gives a reason, the rest fail with it.
    void run_all(const std::vector<std::size_t>& journaled, std::vector<Entry>& entries,
                 const std::function<std::string()>& after_unit = {});

    // Whether a line could not be added to the log.
    bool log_failed() const { return log_failed_; }

private:
    std::string run_step(std::size_t i);
    const Folder& folder_of(const std::string& dir, std::string& reason);
    void log(const std::string& line);

    const std::string& base_;
    const std::vector<Step>& steps_;
    AppendFile* log_;
    const Hooks& hooks_;
    Folder folder_;
    Identity folder_id_;  // known only while the look-ahead runs
    std::optional<std::string> open_dir_;
    LookAhead ahead_;
    bool log_failed_ = false;
};

// The reason of a failed rename, from its errno.
std::string failure_text(int error);


}  // namespace renamer
