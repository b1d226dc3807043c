// The history of batches: what it lists, undoing a chosen batch or some of
// its entries past later changes, and pruning that spares unfinished ones.
#include <signal.h>

#include <tuple>

#include "engine_fixture.hpp"
#include "renamer/history.hpp"

namespace {

using namespace enginetest;
using disktree::snapshot;
using renamer::Status;

std::vector<std::pair<std::uint64_t, std::string>> states(const renamer::History& h) {
    std::vector<std::pair<std::uint64_t, std::string>> out;
    for (const renamer::BatchRecord& b : h.batches) out.emplace_back(b.sequence, b.state);
    return out;
}

TEST(History, EveryBatchNewestFirstWithWhatBecameOfIt) {
    Folders f;
    disktree::TempFolder other;
    disktree::make(f.base(), {"a", "b", "c"});
    disktree::make(other.path(), {"x"});
    renamer::Batch(f.base(), requests({{"a", "a2"}, {"b", "b2"}}), f.journals()).apply();
    renamer::Batch(other.path(), requests({{"x", "y"}}), f.journals()).apply();
    renamer::Batch(f.base(), requests({{"c", "c2"}}), f.journals()).apply();
    renamer::undo_latest(f.base(), f.journals());
    const renamer::History all = renamer::history(f.journals(), "");
    EXPECT_EQ(states(all), (std::vector<std::pair<std::uint64_t, std::string>>{
                               {3, "undone"}, {2, "done"}, {1, "done"}}));
    EXPECT_EQ(all.batches[1].base, renamer::real_path(other.path()));
    EXPECT_EQ(all.batches[2].renames, 2u);
    EXPECT_EQ(all.batches[2].done, 2u);
    EXPECT_EQ(all.batches[2].entries[1].path, "b");
    EXPECT_EQ(all.batches[2].entries[1].new_name, "b2");
    EXPECT_EQ(states(renamer::history(f.journals(), other.path())),
              (std::vector<std::pair<std::uint64_t, std::string>>{{2, "done"}}));
}

TEST(History, AnOlderBatchIsTakenBackPastWhatALaterOneMoved) {
    Folders f;
    disktree::make(f.base(), {"a", "c"});
    renamer::Batch(f.base(), requests({{"a", "b"}, {"c", "d"}}), f.journals()).apply();
    renamer::Batch(f.base(), requests({{"b", "e"}}), f.journals()).apply();
    renamer::UndoChoice first;
    first.sequence = 1;
    const renamer::UndoResult preview = renamer::undo_chosen(f.base(), f.journals(), first, nullptr);
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"e", "contents of a"}, {"d", "contents of c"}}));
    renamer::Hooks none;
    const renamer::UndoResult undone = renamer::undo_chosen(f.base(), f.journals(), first, &none);
    ASSERT_EQ(undone.entries.size(), 2u);
    EXPECT_EQ(preview.entries[0].status, Status::rename);
    EXPECT_EQ(undone.entries[0].path, "d");
    EXPECT_EQ(undone.entries[0].status, Status::done);
    EXPECT_EQ(undone.entries[1].status, Status::refused);
    EXPECT_EQ(undone.entries[1].reason, "b has changed since the batch");
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"e", "contents of a"}, {"c", "contents of c"}}));
    // The batch stays open: once the later one is undone, the rest comes back.
    EXPECT_EQ(states(renamer::history(f.journals(), f.base())),
              (std::vector<std::pair<std::uint64_t, std::string>>{{2, "done"}, {1, "partly undone"}}));
    renamer::undo_latest(f.base(), f.journals());
    const renamer::UndoResult rest = renamer::undo_chosen(f.base(), f.journals(), first, &none);
    ASSERT_EQ(rest.entries.size(), 2u);
    EXPECT_EQ(rest.entries[0].path, "b");
    EXPECT_EQ(rest.entries[0].status, Status::done);
    EXPECT_EQ(rest.entries[1].path, "d");
    EXPECT_EQ(rest.entries[1].status, Status::back);
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"a", "contents of a"}, {"c", "contents of c"}}));
    EXPECT_EQ(states(renamer::history(f.journals(), f.base())),
              (std::vector<std::pair<std::uint64_t, std::string>>{{2, "undone"}, {1, "undone"}}));
    EXPECT_EQ(renamer::undo_chosen(f.base(), f.journals(), first, &none).problem, "batch 1 is undone already");
    first.sequence = 9;
    EXPECT_EQ(renamer::undo_chosen(f.base(), f.journals(), first, &none).problem,
              "there is no batch 9 of " + renamer::real_path(f.base()));
}

TEST(History, SomeEntriesOfABatchComeBackAndTheRestLater) {
    Folders f;
    disktree::make(f.base(), {"F/a", "F/b", "c"});
    const disktree::Snapshot before = snapshot(f.base());
    renamer::Batch(f.base(), requests({{"F", "G"}, {"F/a", "a2"}, {"F/b", "b2"}, {"c", "c2"}}), f.journals())
        .apply();
    renamer::UndoChoice some;
    some.only = std::vector<std::string>{"F/a"};  // inside a folder that moved too
    renamer::Hooks none;
    const renamer::UndoResult undone = renamer::undo_chosen(f.base(), f.journals(), some, &none);
    ASSERT_EQ(undone.entries.size(), 1u);
    EXPECT_EQ(undone.entries[0].path, "G/a2");
    EXPECT_EQ(undone.entries[0].status, Status::done);
    EXPECT_EQ(snapshot(f.base()), (disktree::Snapshot{{"G/", ""}, {"G/a", "contents of F/a"},
                                                      {"G/b2", "contents of F/b"}, {"c2", "contents of c"}}));
    EXPECT_TRUE(renamer::can_undo(f.base(), f.journals()));
    EXPECT_EQ(states(renamer::history(f.journals(), "")),
              (std::vector<std::pair<std::uint64_t, std::string>>{{1, "partly undone"}}));
    // The rest, file by file: the batch is undone once nothing is left.
    some.only = std::vector<std::string>{"F", "F/b"};
    renamer::undo_chosen(f.base(), f.journals(), some, &none);
    EXPECT_EQ(states(renamer::history(f.journals(), "")),
              (std::vector<std::pair<std::uint64_t, std::string>>{{1, "partly undone"}}));
    some.only = std::vector<std::string>{"c"};
    renamer::undo_chosen(f.base(), f.journals(), some, &none);
    EXPECT_EQ(snapshot(f.base()), before);
    EXPECT_EQ(states(renamer::history(f.journals(), "")),
              (std::vector<std::pair<std::uint64_t, std::string>>{{1, "undone"}}));
    EXPECT_FALSE(renamer::can_undo(f.base(), f.journals()));
}

TEST(History, PruningTakesOldFinishedBatchesOnly) {
    Folders f;
    disktree::make(f.base(), {"a", "b", "c", "d"});
    renamer::Batch(f.base(), requests({{"a", "a2"}}), f.journals()).apply();
    const int status = in_child([&] {
        renamer::Hooks hooks;
        hooks.before_step = [](std::size_t) { raise(SIGKILL); };
        renamer::Batch(f.base(), requests({{"b", "b2"}}), f.journals()).apply(hooks);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    renamer::Batch(f.base(), requests({{"c", "c2"}}), f.journals()).apply();
    renamer::Batch(f.base(), requests({{"d", "d2"}}), f.journals()).apply();
    renamer::undo_latest(f.base(), f.journals());
    const std::int64_t now = renamer::history(f.journals(), "").batches[0].time;
    EXPECT_EQ(renamer::prune(f.journals(), {3600, 200}, now), 0u);  // all are young
    // Keeping one: the cut-short batch stays, whatever its age.
    EXPECT_EQ(renamer::prune(f.journals(), {3600, 1}, now), 2u);
    EXPECT_EQ(states(renamer::history(f.journals(), "")),
              (std::vector<std::pair<std::uint64_t, std::string>>{{4, "undone"}, {2, "cut short"}}));
    EXPECT_EQ(renamer::prune(f.journals(), {-1, 200}, now), 1u);  // everything is old now
    EXPECT_EQ(states(renamer::history(f.journals(), "")),
              (std::vector<std::pair<std::uint64_t, std::string>>{{2, "cut short"}}));
}

TEST(History, PruningTellsWhatKeptJournalsButNotAnotherProcessAtWork) {
    Folders f;
    disktree::make(f.base(), {"a", "b"});
    renamer::Batch(f.base(), requests({{"a", "a2"}}), f.journals()).apply();
    renamer::Batch(f.base(), requests({{"b", "b2"}}), f.journals()).apply();
    const std::int64_t now = renamer::history(f.journals(), "").batches[0].time;
    std::string problem;
    {
        std::string reason;
        std::optional<renamer::JournalStore> busy = renamer::JournalStore::open(f.journals(), reason);
        ASSERT_TRUE(busy && busy->lock(reason));
        EXPECT_EQ(renamer::prune(f.journals(), {-1, 200}, now, &problem), 0u);
        EXPECT_EQ(problem, "");  // the next prune takes them
    }
    const std::string path = f.journals() + "/" + snapshot(f.journals()).begin()->first;  // batch 1's
    if (std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "the file system keeps no file from removal";
    EXPECT_EQ(renamer::prune(f.journals(), {-1, 200}, now, &problem), 1u);  // the other one went
    std::system(("chattr -i '" + path + "'").c_str());
    EXPECT_EQ(problem, "the journal " + path + " could not be removed: Operation not permitted");

    const std::string file = f.state.path() + "/a file";
    disktree::make(f.state.path(), {"a file"});
    problem.clear();
    EXPECT_EQ(renamer::prune(file, {-1, 200}, now, &problem), 0u);
    EXPECT_EQ(problem, "the journal folder " + file + " is not a folder");
}

TEST(History, ABatchNumberOnceGivenIsNeverGivenAgainWhateverIsPruned) {
    Folders f;
    disktree::make(f.base(), {"a", "b", "c"});
    renamer::Batch(f.base(), requests({{"a", "a2"}}), f.journals()).apply();
    renamer::Batch(f.base(), requests({{"b", "b2"}}), f.journals()).apply();
    const std::int64_t now = renamer::history(f.journals(), "").batches[0].time;
    EXPECT_EQ(renamer::prune(f.journals(), {-1, 0}, now), 2u);
    EXPECT_EQ(snapshot(f.journals()), (disktree::Snapshot{{"000000000002.last", ""}}));
    renamer::Batch(f.base(), requests({{"c", "c2"}}), f.journals()).apply();
    EXPECT_EQ(states(renamer::history(f.journals(), "")),
              (std::vector<std::pair<std::uint64_t, std::string>>{{3, "done"}}));
    EXPECT_EQ(renamer::prune(f.journals(), {-1, 0}, now), 1u);
    EXPECT_EQ(snapshot(f.journals()), (disktree::Snapshot{{"000000000003.last", ""}}));  // one marker at most
    EXPECT_TRUE(renamer::history(f.journals(), "").unreadable.empty());
}

// Two long batches' worth of names in `base` (journals of some 300 KB
// each, so that only their ends are read for their marks): renames of the
// files "a..." and of the files "b...".
struct LongBatches {
    std::vector<std::pair<std::string, std::string>> first, second;
    explicit LongBatches(const std::string& base) {
        const std::string longer(60, 'x');
        std::vector<std::string> names;
        for (int i = 0; i < 2000; ++i) {
            names.push_back("a" + std::to_string(i) + longer);
            names.push_back("b" + std::to_string(i) + longer);
            first.push_back({names[names.size() - 2], "A" + std::to_string(i) + longer});
            second.push_back({names.back(), "B" + std::to_string(i) + longer});
        }
        disktree::make(base, names);
    }
};

TEST(History, PruningLongJournalsReadsTheirEndsAndKeepsWhatIsNotSettled) {
    Folders f;
    const LongBatches batches(f.base());
    const auto& [first, second] = std::tie(batches.first, batches.second);
    renamer::Batch(f.base(), requests(first), f.journals()).apply();
    const int status = in_child([&] {
        renamer::Hooks hooks;
        hooks.before_step = [](std::size_t step) {
            if (step == 1000) raise(SIGKILL);
        };
        renamer::Batch(f.base(), requests(second), f.journals()).apply(hooks);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    for (const auto& [name, text] : snapshot(f.journals())) ASSERT_GT(text.size(), 4u * 65536) << name;
    const std::int64_t now = renamer::history(f.journals(), "").batches[0].time;
    EXPECT_EQ(renamer::prune(f.journals(), {-1, 0}, now), 1u);  // the finished one; the cut-short one stays
    EXPECT_EQ(states(renamer::history(f.journals(), "")),
              (std::vector<std::pair<std::uint64_t, std::string>>{{2, "cut short"}}));
    renamer::undo_latest(f.base(), f.journals());
    EXPECT_EQ(renamer::prune(f.journals(), {-1, 0}, now), 1u);  // undone now: it may go
    EXPECT_TRUE(renamer::history(f.journals(), "").batches.empty());
}

TEST(History, UndoIsOfferedAfterALongBatchOnlyWhenItChangedSomething) {
    Folders f;
    const LongBatches batches(f.base());
    renamer::Hooks failing;
    failing.before_step = [](std::size_t) { throw renamer::StepFailure("injected failure"); };
    renamer::Batch(f.base(), requests(batches.first), f.journals()).apply(failing);
    EXPECT_FALSE(renamer::can_undo(f.base(), f.journals()));  // its whole log says: nothing was done
    renamer::Batch(f.base(), requests(batches.second), f.journals()).apply();
    EXPECT_TRUE(renamer::can_undo(f.base(), f.journals()));
    renamer::undo_latest(f.base(), f.journals());
    EXPECT_FALSE(renamer::can_undo(f.base(), f.journals()));  // past the undone one, the one that did nothing
    for (const auto& [name, text] : snapshot(f.journals())) {
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".journal") == 0) {
            EXPECT_GT(text.size(), 4u * 65536) << name;
        }
    }
}

}  // namespace
