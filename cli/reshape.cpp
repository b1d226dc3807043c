// reshape: the renamer on the command line. Previews (by default), carries
// out or undoes the renames that the window would propose for a folder,
// with the same algorithms and the same rename engine, and no limit on the
// number of entries.
#include <getopt.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/huge_pages.hpp"
#include "cli/output.hpp"
#include "cli/progress.hpp"
#include "folderwalk/folderwalk.hpp"
#include "halves/halves.hpp"
#include "names/codec.hpp"
#include "names/rules.hpp"
#include "renamer/engine.hpp"
#include "renamer/history.hpp"
#include "reshaper/transformer.hpp"
#include "wildcard/wildcard.hpp"

namespace {

// Fits 80 columns.
const char* const USAGE =
    "usage: reshape [options] FOLDER\n"
    "       reshape --undo [BATCH] [FOLDER]\n"
    "       reshape --history [FOLDER]\n"
    "\n"
    "Shows the new names that the source and target formats give the files in\n"
    "FOLDER, sorted by path, and with --apply carries the renames out (--undo takes\n"
    "the last batch back).\n"
    "\n"
    "  -s, --source FORMAT   layout of the current names (default \"a - b\")\n"
    "  -t, --target FORMAT   layout wanted (default \"b - a\")\n"
    "  -p, --pattern GLOB    only names that match (default \"*\")\n"
    "  -r, --recursive       also the folders below FOLDER\n"
    "  -d, --folders         rename folders instead of files\n"
    "      --apply           carry the renames out\n"
    "      --undo            undo the most recent batch carried out in FOLDER, or\n"
    "                        the batch numbered BATCH (see --history)\n"
    "      --history         list the batches kept (of FOLDER, or of all folders)\n"
    "      --json            one JSON object a line: path, new, status, reason\n"
    "  -0, --null            end each field (path, new name, reason) with a NUL\n"
    "  -q, --quiet           print no entries and no progress\n"
    "  -h, --help            show this help\n"
    "      --version         show the version\n"
    "\n"
    "Exit status: 0 when every rename was (or could be) done, 1 when any was\n"
    "refused or failed, a folder or journal could not be read, there was nothing\n"
    "to undo or the output could not be written, 2 for bad usage, 129, 130 or 143\n"
    "when SIGHUP, SIGINT or SIGTERM stopped a batch.\n"
    "Journals: $XDG_STATE_HOME/reshape (~/.local/state/reshape). See man reshape.\n";

// What went on all the same when the output could not be written.
const char* done_all_the_same = "";

// Whatever was printed must reach standard output: a full disk or a closed
// file is a failure like any other, told on stderr, with status 1 (a
// signal's status stays). Checked once, after the last thing is printed.
int with_output_checked(int status) {
    std::cout.flush();
    if (std::cout.good()) return status;
    const int error = errno;  // of the write that failed: nothing is written after it
    std::cerr << "reshape: cannot write the output";
    if (error) std::cerr << ": " << std::strerror(error);
    std::cerr << done_all_the_same << "\n";
    return status == 0 ? 1 : status;
}

struct Options {
    std::string source = "a - b";
    std::string target = "b - a";
    std::string pattern = "*";
    bool recursive = false;
    bool folders = false;
    bool apply = false;
    bool undo = false;
    bool history = false;
    std::optional<std::uint64_t> batch;  // --undo BATCH
    bool json = false;
    bool null = false;
    bool quiet = false;
    std::string folder;
};

[[noreturn]] void usage_error(const std::string& message) {
    std::cerr << "reshape: " << message << " (see reshape --help)\n";
    std::exit(2);
}

bool is_folder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_batch_number(const std::string& text) {
    return !text.empty() && text.size() < 19 && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; }) && !is_folder(text);
}

// "--name=value" names the option "--name".
std::string option_text(const std::string& arg) { return arg.substr(0, arg.find('=')); }

Options parse_options(int argc, char** argv) {
    enum { APPLY = 256, UNDO, HISTORY, JSON, VERSION };
    const option longs[] = {
        {"source", required_argument, nullptr, 's'}, {"target", required_argument, nullptr, 't'},
        {"pattern", required_argument, nullptr, 'p'}, {"recursive", no_argument, nullptr, 'r'},
        {"folders", no_argument, nullptr, 'd'},       {"apply", no_argument, nullptr, APPLY},
        {"undo", no_argument, nullptr, UNDO},         {"json", no_argument, nullptr, JSON},
        {"history", no_argument, nullptr, HISTORY},
        {"null", no_argument, nullptr, '0'},          {"quiet", no_argument, nullptr, 'q'},
        {"help", no_argument, nullptr, 'h'},          {"version", no_argument, nullptr, VERSION},
        {nullptr, 0, nullptr, 0},
    };
    Options o;
    std::vector<std::string> choosing;  // options that choose the renames, as given
    opterr = 0;
    int c, long_index = -1;
    while ((c = getopt_long(argc, argv, ":s:t:p:rd0qh", longs, &long_index)) != -1) {
        if (c == 's' || c == 't' || c == 'p' || c == 'r' || c == 'd')
            choosing.push_back(long_index >= 0 ? std::string("--") + longs[long_index].name : std::string("-") + char(c));
        long_index = -1;
        switch (c) {
            case 's': o.source = optarg; break;
            case 't': o.target = optarg; break;
            case 'p': o.pattern = optarg; break;
            case 'r': o.recursive = true; break;
            case 'd': o.folders = true; break;
            case APPLY: o.apply = true; break;
            case UNDO: o.undo = true; break;
            case HISTORY: o.history = true; break;
            case JSON: o.json = true; break;
            case '0': o.null = true; break;
            case 'q': o.quiet = true; break;
            case 'h': std::cout << USAGE; std::exit(with_output_checked(0));
            case VERSION: std::cout << "reshape " RESHAPE_VERSION "\n"; std::exit(with_output_checked(0));
            case ':': usage_error("option " + option_text(argv[optind - 1]) + " needs a value");
            default: {
                // getopt gives a short option's letter; for a long one it
                // knows, given a value, the option's own code, which is no letter.
                const std::string given = argv[optind - 1];
                const bool is_long = given.rfind("--", 0) == 0;
                if (is_long && optopt) usage_error("option " + option_text(given) + " takes no value");
                usage_error("unknown option " + (is_long || !optopt ? given : std::string("-") + char(optopt)));
            }
        }
    }
    std::vector<std::string> actions;
    for (const auto& [given, name] : {std::pair{o.apply, "--apply"}, {o.undo, "--undo"}, {o.history, "--history"}})
        if (given) actions.push_back(name);
    if (actions.size() > 1) usage_error(actions[0] + " and " + actions[1] + " do not go together");
    if (o.json && o.null) usage_error("--json and --null do not go together");
    // An undo takes back the batch as it was, and the history lists them all.
    if ((o.undo || o.history) && !choosing.empty())
        usage_error(actions[0] + " does not go with " + choosing[0]);
    std::vector<std::string> positional(argv + optind, argv + argc);
    // A number that names no folder is a batch (write ./12 for a folder "12").
    if (o.undo && !positional.empty() && is_batch_number(positional[0])) {
        o.batch = std::stoull(positional[0]);
        positional.erase(positional.begin());
    }
    const bool folder_optional = o.history || o.batch;
    if (positional.size() > 1) usage_error("only one FOLDER is taken");
    if (positional.empty() && !folder_optional) usage_error("no FOLDER given");
    if (positional.empty()) return o;
    o.folder = positional[0];
    if (!is_folder(o.folder)) usage_error(o.folder + " is not a folder");
    return o;
}

// ---- output ----

std::string utf8(std::u32string_view text) { return names::encode(text); }

// Entries or verdicts: nothing refused or failed.
template <typename Judged>
bool all_fine(const std::vector<Judged>& judged) {
    return std::all_of(judged.begin(), judged.end(), [](const Judged& j) {
        return j.status == renamer::Status::rename || renamer::in_place(j.status);
    });
}

cli::Output output_for(const Options& o, bool after_batch) {
    const cli::Format format = o.quiet  ? cli::Format::none
                               : o.json ? cli::Format::json
                               : o.null ? cli::Format::null
                                        : cli::Format::lines;
    return cli::Output(format, after_batch);
}

// ---- progress ----

cli::Progress progress;

// Only for a person watching: never in a pipe or a file, nor with --quiet.
cli::Progress progress_for(const Options& o) {
    if (o.quiet || !isatty(STDERR_FILENO)) return cli::Progress();
#ifdef RESHAPE_FAULT_HOOKS
    // Test builds: a test cannot wait for a second to pass.
    if (std::getenv("RESHAPE_TEST_PROGRESS_AT_ONCE")) return cli::Progress(&std::cerr, cli::steady_seconds, 0);
#endif
    return cli::Progress(&std::cerr);
}

// A journal that could not be written to its end is told after the
// entries, with what was done all the same; false when there was one.
bool told_of_journal(const std::string& problem, const char* all_the_same) {
    if (problem.empty()) return true;
    std::cout.flush();
    std::cerr << "reshape: " << problem << "; " << all_the_same << "\n";
    return false;
}

// The progress line is erased before anything else is printed.
void print(cli::Output& output) {
    progress.finish();
    output.write(std::cout);
}

// ---- the proposals ----

bool walk_failed = false;

// A folder that cannot be read is named, never passed over in silence.
void report_unreadable(const std::string& path, int error) {
    progress.finish();
    std::cerr << "reshape: cannot read " << path << ": " << std::strerror(error) << "\n";
    walk_failed = true;
}

// A name left alone because it does not fit the source format; --json
// lists it with the status "skipped".
struct Skipped {
    std::string path;
    std::string name;  // its "new" name: the name stays
    std::string reason;
};

// What is listed: the renames proposed, and the names skipped.
struct Proposals {
    std::vector<renamer::Request> requests;
    std::vector<Skipped> skipped;

    void append(Proposals&& more) {
        for (Skipped& s : more.skipped) skipped.push_back(std::move(s));
        for (renamer::Request& r : more.requests) requests.push_back(std::move(r));
    }
};

// The names skipped, listed in their places among the entries.
void add_skipped(cli::Output& output, const std::vector<Skipped>& skipped) {
    for (const Skipped& s : skipped) output.add_skipped(s.path, s.name, s.reason);
}

// What the command proposes for the names of one folder, in their order.
// One proposer per thread: the transformer keeps its working memory.
class Proposer {
public:
    Proposer(const Options& o, const reshaper::Transformer& transformer, const wildcard::Pattern& pattern,
             const std::string& misfit)
        : o_(o), transformer_(transformer), pattern_(pattern), misfit_(misfit) {}

    // Only names that fit the source format, their parts spelled as before.
    void propose(const std::string& relative, std::vector<std::string>& names, std::size_t first,
                 std::size_t end, Proposals& out) {
        out.requests.reserve(end - first);
        for (std::size_t i = first; i < end; ++i) {
            std::string& name = names[i];
            names::decode_into(name, decoded_);
            if (!o_.pattern.empty() && !pattern_.matches(decoded_)) continue;
            const reshaper::Transformer::Review proposal = transformer_.review(decoded_, o_.folders);
            if (!proposal.fits) {
                if (o_.json) out.skipped.push_back({relative.empty() ? name : relative + "/" + name, name, misfit_});
                continue;
            }
            if (!names::proposes_change(proposal.name, decoded_)) continue;
            out.requests.push_back(
                {relative.empty() ? std::move(name) : relative + "/" + name, utf8(proposal.name), {}});
        }
    }

private:
    const Options& o_;
    reshaper::Transformer transformer_;
    const wildcard::Pattern& pattern_;
    const std::string& misfit_;
    std::u32string decoded_;  // each name in turn, in one buffer
};

// Below this many names a folder's work stays on one thread.
constexpr std::size_t SHARE_FROM = 4096;

// A folder's names in byte order; a long list is sorted in two halves at
// once and merged.
void sort_names(std::vector<std::string>& names) {
    const auto at = [&](std::size_t i) { return names.begin() + static_cast<std::ptrdiff_t>(i); };
    const std::size_t half = halves::in_halves(names.size(), SHARE_FROM,
                                               [&](std::size_t first, std::size_t end) { std::sort(at(first), at(end)); });
    std::inplace_merge(names.begin(), at(half), names.end());
}

// The renames the window would propose, one folder at a time: the names of
// a long folder are reshaped in two halves at once.
void for_each_folder(const Options& o, const std::function<void(Proposals, const renamer::Listing&)>& take) {
    const reshaper::Transformer transformer(names::decode(o.source), names::decode(o.target));
    const std::string misfit = utf8(transformer.misfit_reason());
    const wildcard::Pattern pattern(names::decode(o.pattern));
    Proposer proposers[2] = {{o, transformer, pattern, misfit}, {o, transformer, pattern, misfit}};
    folderwalk::walk_names(o.folder, o.folders, [&](folderwalk::Found& here) {
        progress.walked(here.dir.files.size() + here.dir.dirs.size());
        std::vector<std::string>& names = here.names;
        sort_names(names);
        // Made from the names in their order, the listing is read in order
        // when the planner looks up the requests, which follow that order.
        const renamer::Listing listing({&here.dir.files, &here.dir.dirs});
        Proposals found[2];  // the first half's and the second's
        found[0].requests.reserve(names.size());  // room for the second half's too: no copy when they join
        const std::size_t half = halves::in_halves(names.size(), SHARE_FROM, [&](std::size_t first, std::size_t end) {
            const int which = first == 0 ? 0 : 1;
            proposers[which].propose(here.relative, names, first, end, found[which]);
        });
        if (half < names.size()) found[0].append(std::move(found[1]));
        if (!found[0].requests.empty() || !found[0].skipped.empty()) take(std::move(found[0]), listing);
        return o.recursive;
    }, report_unreadable);
}

#ifdef RESHAPE_FAULT_HOOKS
// Test builds only: before step N, make it fail, kill the process, or send
// it SIGTERM as a user would.
void add_fault_hooks(renamer::Hooks& hooks) {
    const auto step_of = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value ? std::atol(value) : -1;
    };
    const long fail_at = step_of("RESHAPE_TEST_FAIL_AT_STEP");
    const long kill_at = step_of("RESHAPE_TEST_KILL_AT_STEP");
    const long signal_at = step_of("RESHAPE_TEST_SIGNAL_AT_STEP");
    const long which = step_of("RESHAPE_TEST_SIGNAL");  // SIGTERM unless named by number
    const int sent = which > 0 ? static_cast<int>(which) : SIGTERM;
    if (fail_at >= 0 || kill_at >= 0 || signal_at >= 0)
        hooks.before_step = [=](std::size_t step) {
            const long at = static_cast<long>(step);
            if (at == kill_at) {
                std::cout.flush();
                raise(SIGKILL);
            }
            if (at == signal_at) raise(sent);
            if (at == fail_at) throw renamer::StepFailure("injected failure");
        };
}
#else
void add_fault_hooks(renamer::Hooks&) {}
#endif

// Each step is one rename on disk; the steps before it are done.
void count_renames(renamer::Hooks& hooks) {
    hooks.before_step = [then = std::move(hooks.before_step)](std::size_t step) {
        progress.renamed(step);
        if (then) then(step);
    };
}

// SIGINT, SIGTERM and SIGHUP (the terminal closed) let the unit under way
// finish, then stop the batch. One that comes after the last unit began
// stops nothing: the batch is whole, and says so.
volatile sig_atomic_t stop_signal = 0;
int stopped_by = 0;  // the signal that kept a unit of the batch from starting
bool batch_begun = false;  // a batch or an undo may have renamed something

renamer::Hooks batch_hooks() {
    batch_begun = true;
    struct sigaction action {};
    action.sa_handler = [](int signal) { stop_signal = signal; };
    sigemptyset(&action.sa_mask);
    for (const int stopping : {SIGINT, SIGTERM, SIGHUP}) sigaction(stopping, &action, nullptr);
    // A reader gone from the pipe is an output that cannot be written, told
    // with what became of the batch, not a silent death in the middle.
    signal(SIGPIPE, SIG_IGN);
    renamer::Hooks hooks;
    hooks.stop_requested = [] {
        if (stop_signal) stopped_by = stop_signal;
        return stop_signal != 0;
    };
    add_fault_hooks(hooks);
    count_renames(hooks);
    return hooks;
}

// How many entries were refused or failed, told on stderr after the
// entries: their reasons are in the output, which may be in a file, or off.
struct NotDone {
    std::size_t of = 0, refused = 0, failed = 0;

    template <typename Judged>
    void add(const std::vector<Judged>& judged) {
        of += judged.size();
        for (const Judged& j : judged) {
            refused += j.status == renamer::Status::refused;
            failed += j.status == renamer::Status::failed;
        }
    }

    // "reshape: 3 of 10 renames not carried out: 2 refused, 1 failed", and
    // what may be done about the refused; nothing when a stop is told instead.
    void tell(const char* what, const char* not_done, const std::string& about_refused = "") const {
        if (stopped_by || refused + failed == 0) return;
        std::cout.flush();
        std::cerr << "reshape: " << refused + failed << " of " << of << " " << what << " " << not_done;
        if (refused) std::cerr << ": " << refused << " refused";
        if (failed) std::cerr << (refused ? ", " : ": ") << failed << " failed";
        if (refused) std::cerr << about_refused;
        std::cerr << "\n";
    }
};

// The exit status of a batch: 128 + the signal that stopped it, with a word
// on what happened to the disk.
int finish(bool fine, const char* what) {
    std::cout.flush();
    if (stopped_by) {
        const char* name = stopped_by == SIGINT ? "SIGINT" : stopped_by == SIGHUP ? "SIGHUP" : "SIGTERM";
        std::cerr << "reshape: stopped by " << name << "; " << what << "\n";
        return 128 + stopped_by;
    }
    return fine ? 0 : 1;
}

// The folder of batch `sequence`, from its journal; "" when there is none,
// with `problem` set when the journals or its own cannot be read.
std::string folder_of_batch(std::uint64_t sequence, std::string& problem) {
    const renamer::History found = renamer::history(renamer::default_journal_folder(), "");
    if (!found.problem.empty()) problem = found.problem;
    for (const renamer::BatchRecord& b : found.batches)
        if (b.sequence == sequence) return b.base;
    for (const renamer::JournalStore::Unreadable& u : found.unreadable)
        if (u.sequence == sequence) problem = u.problem + ": batch " + std::to_string(sequence) + " cannot be undone";
    return "";
}

int run_undo(const Options& o) {
    renamer::UndoChoice choice;
    choice.sequence = o.batch;
    std::string problem = "there is no batch " + std::to_string(*o.batch);
    const std::string folder = o.folder.empty() ? folder_of_batch(*o.batch, problem) : o.folder;
    if (folder.empty()) {
        std::cerr << "reshape: " << problem << "\n";
        return 1;
    }
    struct stat st;
    const bool gone = stat(folder.c_str(), &st) == 0 ? !S_ISDIR(st.st_mode) : errno == ENOENT || errno == ENOTDIR;
    if (o.folder.empty() && gone) {  // one out of reach is told as such by the undo
        std::cerr << "reshape: the folder " << folder << " of batch " << *o.batch << " is gone; if it moved, "
                  << "name where it is now: reshape --undo " << *o.batch << " FOLDER\n";
        return 1;
    }
    const renamer::Hooks hooks = batch_hooks();
    const renamer::UndoResult undone = renamer::undo_chosen(folder, renamer::default_journal_folder(), choice, &hooks);
    if (!undone.problem.empty()) {
        std::cerr << "reshape: " << undone.problem << "\n";
        return stopped_by ? 128 + stopped_by : 1;
    }
    if (!undone.found) {
        std::cerr << "reshape: nothing to undo in " << folder << "\n";
        return 1;
    }
    cli::Output output = output_for(o, true);
    output.add(undone.entries);
    done_all_the_same = "; the undo was carried out";
    print(output);
    NotDone not_restored;
    not_restored.add(undone.entries);
    // Closed as partly undone, or left open when chosen: within reach by its number.
    not_restored.tell("names", "not restored",
                      "; reshape --undo " + std::to_string(undone.sequence) + " tries them again");
    const bool journaled = told_of_journal(undone.journal_problem,
                                           "the names listed as done are back, but the batch may be offered "
                                           "for undo again");
    return finish(all_fine(undone.entries) && journaled,
                  "the names listed as done are back, the others are as they were");
}

int run_history(const Options& o) {
    const renamer::History found = renamer::history(renamer::default_journal_folder(), o.folder);
    if (!found.problem.empty()) {
        std::cerr << "reshape: " << found.problem << "\n";
        return 1;
    }
    if (!o.quiet) cli::write_history(std::cout, found.batches, o.json ? cli::Format::json : o.null ? cli::Format::null : cli::Format::lines);
    std::cout.flush();  // the list first, then what is missing from it
    for (const renamer::JournalStore::Unreadable& u : found.unreadable)
        std::cerr << "reshape: " << u.problem << "; its batch is not listed\n";
    return found.unreadable.empty() ? 0 : 1;
}

// Journals of finished batches go after 90 days, beyond the newest 200.
// Returns why old journals stayed, or "".
std::string prune_journals() {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch()).count();
    std::string problem;
    renamer::prune(renamer::default_journal_folder(), renamer::PruneRule{}, now, &problem);
    return problem;
}

// Whether the batch `done` failed for `problem` and says so already.
bool told_with_entries(const std::string& problem, const std::vector<renamer::Entry>& done) {
    return std::any_of(done.begin(), done.end(), [&](const renamer::Entry& e) { return e.reason == problem; });
}

int run(int argc, char** argv) {
    const Options o = parse_options(argc, argv);
    progress = progress_for(o);
    if (o.history) return run_history(o);
    if (o.undo) return run_undo(o);
    const reshaper::Transformer check(names::decode(o.source), names::decode(o.target));
    if (!check.validate().empty()) usage_error(utf8(check.validate()));
    cli::run_with_huge_pages_for(o.folder, argv);
    bool fine = true;
    if (!o.apply) {
        cli::Output output = output_for(o, false);
        NotDone not_possible;
        for_each_folder(o, [&](Proposals proposals, const renamer::Listing& listing) {
            renamer::Batch batch(o.folder, std::move(proposals.requests), renamer::default_journal_folder(),
                                 renamer::Batch::Use::preview_only, &listing);
            renamer::Batch::Verdicts planned = std::move(batch).take_verdicts();
            fine = fine && all_fine(planned.verdicts);
            not_possible.add(planned.verdicts);
            output.add(std::move(planned.requests), std::move(planned.verdicts));
            add_skipped(output, proposals.skipped);
        });
        print(output);
        not_possible.tell("renames", "would not be carried out");
        return fine && !walk_failed ? 0 : 1;
    }
    Proposals all;
    for_each_folder(o, [&](Proposals proposals, const renamer::Listing&) { all.append(std::move(proposals)); });
    const std::string kept_journals = prune_journals();
    renamer::Batch batch(o.folder, std::move(all.requests));
    std::vector<renamer::Entry> done = batch.apply(batch_hooks());
    fine = all_fine(done);
    NotDone not_done;
    not_done.add(done);
    const bool tell_kept_journals = !kept_journals.empty() && !told_with_entries(kept_journals, done);
    cli::Output output = output_for(o, true);
    output.add(std::move(done));
    add_skipped(output, all.skipped);
    done_all_the_same = "; the batch was carried out (reshape --history lists it)";
    print(output);
    not_done.tell("renames", "not carried out");
    const bool journaled = told_of_journal(batch.journal_problem(),
                                           "the renames listed as done were carried out, and undo finds them");
    if (tell_kept_journals) {
        std::cout.flush();  // after the entries, as the other words on the journal
        std::cerr << "reshape: old batches were not removed from the history: " << kept_journals << "\n";
    }
    return finish(fine && !walk_failed && journaled,
                  "the renames listed as done were carried out (reshape --undo takes them back)");
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);  // one line per entry: let the stream buffer them
    try {
        return with_output_checked(run(argc, argv));
    } catch (const std::exception& e) {
        // Out of memory, say: told as any failure, never an abort. A batch
        // under way stops where it is, and its journal has the way back.
        progress.finish();
        std::cout.flush();
        const bool memory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
        std::cerr << "reshape: " << (memory ? "out of memory" : e.what());
        if (batch_begun) std::cerr << "; what was renamed is in the journal (reshape --history, reshape --undo)";
        std::cerr << "\n";
        return 1;
    }
}
