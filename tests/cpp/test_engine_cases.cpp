// The engine's promises one by one: journals trusted only when they are the
// user's own, undo that finds entries wherever a cut-short batch left them
// and never sticks, and no rename that could replace an entry.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <fstream>
#include <sstream>

#include "engine_fixture.hpp"
#include "renamer/paths.hpp"

namespace {

using namespace enginetest;
using disktree::snapshot;
using renamer::Status;

std::vector<std::pair<std::string, Status>> statuses(const std::vector<renamer::Entry>& entries) {
    std::vector<std::pair<std::string, Status>> out;
    for (const renamer::Entry& e : entries) out.emplace_back(e.path, e.status);
    return out;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The journals in the journal folder, oldest first.
std::vector<std::string> journal_files(const Folders& f) {
    std::vector<std::string> out;
    for (const auto& [path, text] : snapshot(f.journals()))
        if (path.size() > 8 && path.compare(path.size() - 8, 8, ".journal") == 0) out.push_back(path);
    return out;
}

void replace_file(const std::string& path, const std::string& text) {
    unlink(path.c_str());  // as an editor saves: a new file under the old name
    std::ofstream(path) << text;
}

TEST(Undo, AFileReplacedAfterASwapHidesNothing) {
    Folders f;
    disktree::make(f.base(), {"x - y", "y - x"});
    renamer::Batch(f.base(), requests({{"x - y", "y - x"}, {"y - x", "x - y"}}), f.journals()).apply();
    replace_file(f.base() + "/x - y", "edited");
    const renamer::UndoResult undone = renamer::undo_latest(f.base(), f.journals());
    ASSERT_TRUE(undone.found);
    std::map<std::string, std::string> reasons;
    for (const renamer::Entry& e : undone.entries) {
        EXPECT_EQ(e.status, Status::refused) << e.path;
        reasons[e.path] = e.reason;
    }
    EXPECT_EQ(reasons, (std::map<std::string, std::string>{{"x - y", "x - y has changed since the batch"},
                                                           {"y - x", "the old name x - y is taken"}}));
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"x - y", "edited"}, {"y - x", "contents of x - y"}}));
}

TEST(Undo, AnEntryChangedByTheUserIsRefusedAloneAndOlderBatchesStayReachable) {
    Folders f;
    disktree::make(f.base(), {"a1", "a2", "c1"});
    renamer::Batch(f.base(), requests({{"a1", "b1"}, {"a2", "b2"}}), f.journals()).apply();
    renamer::Batch(f.base(), requests({{"c1", "d1"}, {"b1", "e1"}}), f.journals()).apply();
    replace_file(f.base() + "/e1", "edited");
    const renamer::UndoResult second = renamer::undo_latest(f.base(), f.journals());
    EXPECT_EQ(statuses(second.entries),
              (std::vector<std::pair<std::string, Status>>{{"d1", Status::done}, {"e1", Status::refused}}));
    const renamer::UndoResult first = renamer::undo_latest(f.base(), f.journals());
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.sequence + 1, second.sequence);
    EXPECT_EQ(statuses(first.entries),
              (std::vector<std::pair<std::string, Status>>{{"b2", Status::done}, {"b1", Status::refused}}));
    EXPECT_EQ(first.entries[1].reason, "b1 has changed since the batch");
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"a2", "contents of a2"}, {"c1", "contents of c1"},
                                                      {"e1", "edited"}}));
    EXPECT_FALSE(renamer::can_undo(f.base(), f.journals()));
}

TEST(Undo, ABatchThatChangedNothingIsPassedOver) {
    Folders f;
    disktree::make(f.base(), {"a", "b"});
    renamer::Batch(f.base(), requests({{"a", "x"}}), f.journals()).apply();
    renamer::Hooks failing;
    failing.before_step = [](std::size_t) { throw renamer::StepFailure("injected failure"); };
    renamer::Batch(f.base(), requests({{"b", "y"}}), f.journals()).apply(failing);
    const renamer::UndoResult undone = renamer::undo_latest(f.base(), f.journals());
    EXPECT_EQ(statuses(undone.entries), (std::vector<std::pair<std::string, Status>>{{"x", Status::done}}));
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"a", "contents of a"}, {"b", "contents of b"}}));
}

TEST(Undo, TheLatestBatchIsTheOneWithTheHighestSequenceWhateverTheClockSaid) {
    Folders f;
    disktree::make(f.base(), {"a", "b"});
    renamer::Batch(f.base(), requests({{"a", "x"}}), f.journals()).apply();
    renamer::Batch(f.base(), requests({{"b", "y"}}), f.journals()).apply();
    const std::vector<std::string> files = journal_files(f);
    ASSERT_EQ(files.size(), 2u);
    const std::string newer = f.journals() + "/" + files[1];
    std::string text = read_text(newer);
    const std::size_t time = text.find("\ntime\t");
    text.replace(time, text.find('\n', time + 1) - time, "\ntime\t1");  // a clock stepped far back
    std::ofstream(newer, std::ios::trunc) << text;
    EXPECT_EQ(statuses(renamer::undo_latest(f.base(), f.journals()).entries),
              (std::vector<std::pair<std::string, Status>>{{"y", Status::done}}));
}

TEST(Undo, APreviewChangesNothing) {
    Folders f;
    disktree::make(f.base(), {"a", "b", "c"});
    renamer::Batch(f.base(), requests({{"a", "b"}, {"b", "a"}, {"c", "d"}}), f.journals()).apply();
    disktree::make(f.base(), {"c"});  // the old name of d is taken now
    const disktree::Snapshot before = snapshot(f.base());
    const renamer::UndoResult preview = renamer::undo_preview(f.base(), f.journals());
    EXPECT_EQ(snapshot(f.base()), before);
    std::map<std::string, std::pair<Status, std::string>> seen;
    for (const renamer::Entry& e : preview.entries) seen[e.path] = {e.status, e.new_name};
    EXPECT_EQ(seen, (std::map<std::string, std::pair<Status, std::string>>{
                        {"a", {Status::rename, "b"}}, {"b", {Status::rename, "a"}}, {"d", {Status::refused, "c"}}}));
    EXPECT_TRUE(renamer::can_undo(f.base(), f.journals()));
}

TEST(Identity, TheDeviceNumberDoesNotDecide) {
    // A disk mounted again, or a btrfs subvolume after a remount, gets
    // another device number; the entries are the same.
    EXPECT_EQ((renamer::Identity{8, 42, 1000}), (renamer::Identity{9, 42, 1000}));
    EXPECT_NE((renamer::Identity{8, 42, 1000}), (renamer::Identity{8, 42, 2000}));
    EXPECT_NE((renamer::Identity{8, 42, 1000}), (renamer::Identity{8, 43, 1000}));
    EXPECT_EQ((renamer::Identity{8, 42, 0}), (renamer::Identity{8, 42, 2000}));  // no birth time kept
}

TEST(Plan, AHardLinkOfTheSourceIsATakenTarget) {
    Folders f;
    disktree::make(f.base(), {"a"});
    ASSERT_EQ(link((f.base() + "/a").c_str(), (f.base() + "/b").c_str()), 0);
    const renamer::Batch batch(f.base(), requests({{"a", "b"}}), f.journals());
    EXPECT_EQ(batch.preview()[0].status, Status::refused);
    EXPECT_EQ(batch.preview()[0].reason, renamer::TARGET_TAKEN);
}

// A preview that is only printed may plan from the listing its caller has
// just read: every verdict is the one the disk itself gives.
TEST(Plan, AListingLentToAPreviewGivesTheVerdictsOfTheDisk) {
    Folders f;
    disktree::make(f.base(), {"a", "b", "c", "d", "e", "free", "x1", "x2", "busy", "taken", "sub/", "p", "q", "twice"});
    ASSERT_EQ(link((f.base() + "/e").c_str(), (f.base() + "/e2").c_str()), 0);
    const auto wishes = requests({
        {"a", "b"}, {"b", "a"},             // a cycle
        {"c", "free2"}, {"free", "c"},      // a chain: c leaves, free takes its name
        {"d", "taken"},                     // taken, and not leaving
        {"e", "e2"},                        // a hard link of itself
        {"x1", "same"}, {"x2", "same"},     // one new name for two
        {"busy", "sub"},                    // a folder of that name
        {"p", ".p"},                        // hidden behind a dot
        {"q", "q"},                         // the name it has
        {"gone", "here"},                   // no such entry
        {"twice", "t1"}, {"twice", "t2"},   // listed twice
    });
    std::vector<std::string> files, dirs = {"sub"};
    for (const char* name : {"a", "b", "c", "d", "e", "e2", "free", "x1", "x2", "busy", "taken", "p", "q", "twice"})
        files.push_back(name);
    const renamer::Listing listing({&files, &dirs});
    renamer::Batch lent(f.base(), wishes, f.journals(), renamer::Batch::Use::preview_only, &listing);
    const renamer::Batch::Verdicts taken = std::move(lent).take_verdicts();
    const renamer::Batch looking(f.base(), wishes, f.journals());
    const std::vector<renamer::Entry>& seen = looking.preview();
    ASSERT_EQ(taken.verdicts.size(), wishes.size());
    ASSERT_EQ(taken.requests.size(), wishes.size());
    for (std::size_t i = 0; i < wishes.size(); ++i) {
        EXPECT_EQ(taken.requests[i].path, wishes[i].path);
        EXPECT_EQ(taken.requests[i].new_name, wishes[i].new_name);
        EXPECT_EQ(taken.verdicts[i].status, seen[i].status) << wishes[i].path;
        EXPECT_EQ(taken.verdicts[i].reason, seen[i].reason) << wishes[i].path;
    }
    EXPECT_EQ(statuses(seen), (std::vector<std::pair<std::string, Status>>{
                                  {"a", Status::rename}, {"b", Status::rename}, {"c", Status::rename},
                                  {"free", Status::rename}, {"d", Status::refused}, {"e", Status::refused},
                                  {"x1", Status::refused}, {"x2", Status::refused}, {"busy", Status::refused},
                                  {"p", Status::refused}, {"q", Status::refused}, {"gone", Status::refused},
                                  {"twice", Status::refused}, {"twice", Status::refused}}));
}

// Many entries are looked at on more than one thread: each verdict and
// each rename still belongs to its own entry.
TEST(Plan, ManyEntriesKeepTheirOwnVerdictsAndRenames) {
    Folders f;
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> wishes;
    for (int i = 0; i < 5000; ++i) {
        const std::string name = "n" + std::to_string(i);
        if (i % 7 != 3) names.push_back(name);  // every seventh is not there
        wishes.push_back({name, "m" + std::to_string(i)});
    }
    disktree::make(f.base(), names);
    const disktree::Snapshot before = disktree::snapshot(f.base());
    renamer::Batch batch(f.base(), requests(wishes), f.journals());
    const std::vector<renamer::Entry> result = batch.apply();
    ASSERT_EQ(result.size(), wishes.size());
    std::map<std::string, std::string> expected;
    for (std::size_t i = 0; i < wishes.size(); ++i) {
        const bool there = i % 7 != 3;
        EXPECT_EQ(result[i].status, there ? Status::done : Status::refused) << wishes[i].first;
        if (!there) {
            EXPECT_EQ(result[i].reason, "the entry no longer exists");
        }
        if (there) expected[wishes[i].first] = wishes[i].second;
    }
    EXPECT_EQ(disktree::snapshot(f.base()), disktree::moved(before, expected));
    EXPECT_EQ(renamer::undo_latest(f.base(), f.journals()).entries.size(), names.size());
    EXPECT_EQ(disktree::snapshot(f.base()), before);
}

// Just before its rename each entry is looked at again: an entry another
// program replaced after the plan is left alone, in a short batch or a long
// one, swapped or cycled. In a long batch a second thread makes the look up
// to 128 renames ahead, so there the entry replaced lies further on than
// that from the first rename (a replacement inside that window is a race
// the look may or may not see, as it always was).
TEST(Apply, AnEntryReplacedAfterThePlanIsNotRenamed) {
    struct Case {
        const char* what;
        int count;       // entries, renamed n<i> -> m<i>, or swapped in pairs
        bool swapped;    // pairs n<2k> <-> n<2k+1>: cycles through a temporary name
        int replaced;    // the entry replaced before the first step
    };
    const Case cases[] = {
        {"short batch, first entry", 3, false, 0},
        {"short batch, last entry", 3, false, 2},
        {"long batch, just past the look-ahead", 3000, false, 200},
        {"long batch, far ahead", 3000, false, 2500},
        {"long batch of swaps, far ahead", 3000, true, 2600},
    };
    for (const Case& c : cases) {
        Folders f;
        std::vector<std::string> names;
        std::vector<std::pair<std::string, std::string>> wishes;
        for (int i = 0; i < c.count; ++i) {
            names.push_back("n" + std::to_string(i));
            const int other = c.swapped ? (i % 2 ? i - 1 : i + 1) : i;
            wishes.push_back({names.back(), (c.swapped ? "n" : "m") + std::to_string(other)});
        }
        disktree::make(f.base(), names);
        const std::string victim = names[c.replaced];
        renamer::Hooks hooks;
        bool replaced = false;
        hooks.before_step = [&](std::size_t) {
            if (replaced) return;
            replaced = true;
            // Written anew: another file under the same name.
            ASSERT_EQ(std::rename((f.base() + "/" + victim).c_str(), (f.base() + "/../outside").c_str()), 0);
            std::ofstream(f.base() + "/" + victim) << "new";
        };
        const std::vector<renamer::Entry> result =
            renamer::Batch(f.base(), requests(wishes), f.journals()).apply(hooks);
        std::map<std::string, std::string> expected;
        const int partner = c.swapped ? (c.replaced % 2 ? c.replaced - 1 : c.replaced + 1) : c.replaced;
        for (int i = 0; i < c.count; ++i) {
            const bool left = i == c.replaced || i == partner;  // a cycle is rolled back whole
            EXPECT_EQ(result[i].status, left ? Status::failed : Status::done) << c.what << ": " << names[i];
            if (i == c.replaced) {
                EXPECT_EQ(result[i].reason, "the entry changed since the plan") << c.what;
            }
            if (!left) expected[wishes[i].first] = wishes[i].second;
        }
        disktree::Snapshot before;
        for (const std::string& name : names) before[name] = name == victim ? "new" : "contents of " + name;
        EXPECT_EQ(snapshot(f.base()), disktree::moved(before, expected)) << c.what;
        std::remove((f.base() + "/../outside").c_str());
    }
}

TEST(Apply, WhatThePreviewRefusedStaysRefusedWhateverChangedSince) {
    struct Case {
        const char* what;
        std::vector<std::string> before;  // the disk when the preview is made
        std::string refused;              // the reason the preview gives "b - 2"
        std::function<void(const std::string& base)> meanwhile;
    };
    const Case cases[] = {
        {"the entry came back", {"a - 1"}, "the entry no longer exists",
         [](const std::string& base) { disktree::make(base, {"b - 2"}); }},
        {"its new name came free", {"a - 1", "b - 2", "2 - b"}, renamer::TARGET_TAKEN,
         [](const std::string& base) { std::remove((base + "/2 - b").c_str()); }},
    };
    for (const Case& c : cases) {
        Folders f;
        disktree::make(f.base(), c.before);
        renamer::Batch batch(f.base(), requests({{"a - 1", "1 - a"}, {"b - 2", "2 - b"}}), f.journals());
        ASSERT_EQ(statuses(batch.preview()),
                  (std::vector<std::pair<std::string, Status>>{{"a - 1", Status::rename}, {"b - 2", Status::refused}}))
            << c.what;
        EXPECT_EQ(batch.preview()[1].reason, c.refused) << c.what;
        c.meanwhile(f.base());
        const disktree::Snapshot shown = snapshot(f.base());
        const std::vector<renamer::Entry> result = batch.apply();
        EXPECT_EQ(statuses(result),
                  (std::vector<std::pair<std::string, Status>>{{"a - 1", Status::done}, {"b - 2", Status::refused}}))
            << c.what;
        EXPECT_EQ(result[1].reason, c.refused) << c.what;
        EXPECT_EQ(snapshot(f.base()), disktree::moved(shown, {{"a - 1", "1 - a"}})) << c.what;
    }
}

TEST(Plan, TheJournalFolderIsNeverPartOfABatch) {
    Folders f;
    disktree::make(f.base(), {".local/state/", "other/"});
    const std::string journals = f.base() + "/.local/state/reshape";  // not made yet
    const renamer::Batch outer(f.base(), requests({{".local", "-. local"}, {"other", "else"}}), journals);
    EXPECT_EQ(statuses(outer.preview()),
              (std::vector<std::pair<std::string, Status>>{{".local", Status::refused}, {"other", Status::rename}}));
    EXPECT_EQ(outer.preview()[0].reason, "it holds the journals that undo needs");
    disktree::make(f.base(), {".local/state/reshape/x"});
    const renamer::Batch inner(f.base() + "/.local/state/reshape", requests({{"x", "y"}}), journals);
    EXPECT_EQ(inner.preview()[0].reason, "the folder holds the journals that undo needs");
}

TEST(Store, WithoutHomeTheAccountsHomeIsUsedNeverTmp) {
    const std::string saved_home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string saved_state = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    unsetenv("HOME");
    unsetenv("XDG_STATE_HOME");
    const std::string folder = renamer::default_journal_folder();
    if (!saved_home.empty()) setenv("HOME", saved_home.c_str(), 1);
    if (!saved_state.empty()) setenv("XDG_STATE_HOME", saved_state.c_str(), 1);
    EXPECT_EQ(folder, std::string(getpwuid(geteuid())->pw_dir) + "/.local/state/reshape");
}

TEST(Store, AFolderOfAnotherUserIsNotUsed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder away";
    Folders f;
    ASSERT_EQ(mkdir(f.journals().c_str(), 0700), 0);
    ASSERT_EQ(chown(f.journals().c_str(), 65534, 65534), 0);
    std::string reason;
    EXPECT_FALSE(renamer::JournalStore::open(f.journals(), reason));
    EXPECT_EQ(reason, "the journal folder " + f.journals() + " belongs to another user");
    disktree::make(f.base(), {"a"});
    const std::vector<renamer::Entry> result =
        renamer::Batch(f.base(), requests({{"a", "b"}}), f.journals()).apply();
    EXPECT_EQ(result[0].status, Status::failed);
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"a", "contents of a"}}));
    EXPECT_EQ(renamer::undo_latest(f.base(), f.journals()).problem, reason);
}

TEST(Store, AnOpenFolderIsClosedToOthersAndPlantedJournalsAreIgnored) {
    Folders f;
    ASSERT_EQ(mkdir(f.journals().c_str(), 0777), 0);
    chmod(f.journals().c_str(), 0777);
    disktree::make(f.base(), {"a", "b"});
    renamer::Batch(f.base(), requests({{"a", "x"}}), f.journals()).apply();
    struct stat st;
    ASSERT_EQ(stat(f.journals().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Someone else's journal, and a link to one, claim the newer batch.
    const std::string mine = f.journals() + "/" + journal_files(f)[0];
    std::string planted = read_text(mine);
    planted.replace(planted.find("sequence\t1"), 10, "sequence\t7");
    const std::string name = f.journals() + "/000000000007" + journal_files(f)[0].substr(12);
    std::ofstream(name) << planted;
    if (geteuid() == 0) {
        ASSERT_EQ(chown(name.c_str(), 65534, 65534), 0);
    } else {
        chmod(name.c_str(), 0666);  // writable by others: not trusted either
    }
    symlink(mine.c_str(), (f.journals() + "/000000000009" + journal_files(f)[0].substr(12)).c_str());
    std::string reason;
    const auto store = renamer::JournalStore::open(f.journals(), reason);
    ASSERT_TRUE(store) << reason;
    const auto journals = store->journals_of(renamer::real_path(f.base()));
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(journals[0].journal.sequence, 1u);
}

TEST(Store, OneProcessAtATime) {
    Folders f;
    std::string reason;
    auto first = renamer::JournalStore::open(f.journals(), reason);
    auto second = renamer::JournalStore::open(f.journals(), reason);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->lock(reason));
    EXPECT_FALSE(second->lock(reason, std::chrono::milliseconds(0)));
    EXPECT_EQ(reason, "another rename is still under way (the journal folder " + f.journals() + " is locked)");
    first.reset();
    EXPECT_TRUE(second->lock(reason, std::chrono::milliseconds(0)));
}

TEST(Store, AJournalFolderThatIsAFileIsSaidSo) {
    Folders f;
    std::ofstream(f.journals()) << "not a folder";
    std::string reason;
    EXPECT_FALSE(renamer::JournalStore::open(f.journals(), reason));
    EXPECT_EQ(reason, "the journal folder " + f.journals() + " is not a folder");
}

// The journal's size limit, made small in a child process: the plan, or
// the log after it, cannot be written.
int apply_with_file_limit(const Folders& f, const std::vector<std::pair<std::string, std::string>>& pairs,
                          rlim_t limit) {
    return in_child([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        setrlimit(RLIMIT_FSIZE, &small);
        renamer::Batch(f.base(), requests(pairs), f.journals()).apply();
    });
}

TEST(Journal, AFullDiskLeavesNoJournalCutShortAndRenamesNothing) {
    Folders f;
    disktree::make(f.base(), {"a", "b"});
    apply_with_file_limit(f, {{"a", "x"}, {"b", "y"}}, 64);
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"a", "contents of a"}, {"b", "contents of b"}}));
    EXPECT_TRUE(journal_files(f).empty());
}

TEST(Journal, ALogThatCannotGrowStopsTheBatch) {
    // Enough renames for the log to be written out while the batch runs.
    std::vector<std::string> layout;
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int i = 0; i < 3000; ++i) {
        layout.push_back("f" + std::to_string(i));
        pairs.push_back({layout.back(), "g" + std::to_string(i)});
    }
    Folders scratch;
    disktree::make(scratch.base(), layout);
    renamer::Batch(scratch.base(), requests(pairs), scratch.journals()).apply();
    const std::string text = read_text(scratch.journals() + "/" + journal_files(scratch)[0]);
    const rlim_t plan_size = text.find("planned\n") + 8;

    Folders f;
    disktree::make(f.base(), layout);
    const disktree::Snapshot before = snapshot(f.base());
    apply_with_file_limit(f, pairs, plan_size + 100);
    std::size_t renamed = 0;
    for (const auto& [path, contents] : snapshot(f.base())) renamed += path[0] == 'g';
    EXPECT_GT(renamed, 0u);
    EXPECT_LT(renamed, pairs.size());
    EXPECT_EQ(disktree::contents(snapshot(f.base())), disktree::contents(before));
    renamer::undo_latest(f.base(), f.journals());
    EXPECT_EQ(snapshot(f.base()), before);
}

}  // namespace

namespace {

TEST(Rollback, AnEntryThatCannotBeNamedBackIsReportedWhereItIs) {
    Folders f;
    disktree::make(f.base(), {"a", "b"});
    renamer::Hooks hooks;
    hooks.before_step = [&](std::size_t step) {
        if (step != 2) return;
        disktree::make(f.base(), {"b"});  // another program takes the name mid-cycle
        throw renamer::StepFailure("injected failure");
    };
    const std::vector<renamer::Entry> result =
        renamer::Batch(f.base(), requests({{"a", "b"}, {"b", "a"}}), f.journals()).apply(hooks);
    const disktree::Snapshot after = snapshot(f.base());
    std::string parked;
    for (const auto& [path, text] : after)
        if (renamer::is_temporary_name(path)) parked = path;
    ASSERT_FALSE(parked.empty());
    EXPECT_EQ(after, (disktree::Snapshot{{"a", "contents of b"}, {"b", "contents of b"}, {parked, "contents of a"}}));
    const std::string reason = "injected failure; it is left at a, since it could not be named back to b (a file or "
                               "folder of that name appeared); it is left at " + parked +
                               ", since it could not be named back to a (a file or folder of that name appeared)";
    EXPECT_EQ(result[0].reason, reason);
    EXPECT_EQ(result[1].reason, reason);
    // Undo cannot free the names either, and says where the entry waits.
    const renamer::UndoResult undone = renamer::undo_latest(f.base(), f.journals());
    std::map<std::string, std::string> reasons;
    for (const renamer::Entry& e : undone.entries) reasons[e.path + " -> " + e.new_name] = e.reason;
    EXPECT_EQ(reasons, (std::map<std::string, std::string>{{parked + " -> a", "the old name a is taken"},
                                                           {"a -> b", "the old name b is taken"}}));
    // Once the intruder is gone, the next undo brings the parked entry back.
    unlink((f.base() + "/b").c_str());
    const renamer::UndoResult again = renamer::undo_latest(f.base(), f.journals());
    EXPECT_EQ(statuses(again.entries),
              (std::vector<std::pair<std::string, Status>>{{parked, Status::done}, {"a", Status::done}}));
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"a", "contents of a"}, {"b", "contents of b"}}));
}

}  // namespace

namespace {

TEST(Undo, TwoAtOnceTakeTurns) {
    for (int trial = 0; trial < 20; ++trial) {
        Folders f;
        disktree::make(f.base(), {"a", "b", "c"});
        const disktree::Snapshot before = snapshot(f.base());
        renamer::Batch(f.base(), requests({{"a", "b"}, {"b", "c"}, {"c", "a"}}), f.journals()).apply();
        std::fflush(nullptr);
        pid_t children[2];
        for (pid_t& child : children)
            if ((child = fork()) == 0) _exit(renamer::undo_latest(f.base(), f.journals()).found ? 0 : 1);
        int found = 0;
        for (pid_t child : children) {
            int status = 0;
            waitpid(child, &status, 0);
            found += WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        EXPECT_EQ(found, 1) << "trial " << trial;
        EXPECT_EQ(snapshot(f.base()), before) << "trial " << trial;
    }
}

}  // namespace
