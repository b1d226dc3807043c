// Every scenario, with a failure injected at every step and with the process
// killed at every step; each followed by undo. The whole disk (path ->
// contents) is compared with what the result says after every run.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine_fixture.hpp"
#include "labelled.hpp"

namespace enginetest {

int in_child(const std::function<void()>& work) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

}  // namespace enginetest

namespace {

using namespace enginetest;
using disktree::snapshot;

struct Scenario {
    std::string label;
    std::vector<std::string> layout;
    std::vector<std::pair<std::string, std::string>> pairs;
    friend void PrintTo(const Scenario& s, std::ostream* os) { *os << s.label; }
};

// Every step of a short batch; of a long one, a spread of them (all of them
// with ENGINE_TEST_ALL_STEPS=1), so that the suite stays quick.
std::vector<std::size_t> steps_to_try(std::size_t steps) {
    constexpr std::size_t SPREAD = 12;
    std::vector<std::size_t> out;
    const char* all = std::getenv("ENGINE_TEST_ALL_STEPS");
    const std::size_t stride = steps <= SPREAD || (all && *all == '1') ? 1 : steps / SPREAD;
    for (std::size_t at = 0; at < steps; at += stride) out.push_back(at);
    if (out.back() != steps - 1) out.push_back(steps - 1);
    return out;
}

// 100 nested folders of 60-byte names: paths far beyond PATH_MAX.
Scenario deep_folders() {
    Scenario s{"HundredDeepFolders", {}, {}};
    std::string path;
    for (int depth = 0; depth < 100; ++depth) {
        const std::string digits = std::to_string(depth);
        const std::string name = std::string(3 - digits.size(), '0') + digits + std::string(57, '0');
        const std::string folder = path + name;
        s.pairs.push_back({folder, "renamed " + name});
        path = folder + "/";
    }
    s.layout = {path + "bottom"};
    s.pairs.push_back({path + "bottom", "bottom renamed"});
    return s;
}

std::vector<Scenario> scenarios() {
    return {
        {"Swap", {"a", "b"}, {{"a", "b"}, {"b", "a"}}},
        {"ThreeCycle", {"a", "b", "c"}, {{"a", "b"}, {"b", "c"}, {"c", "a"}}},
        {"Chain", {"a", "b", "c"}, {{"c", "d"}, {"b", "c"}, {"a", "b"}}},
        {"DuplicateTargets", {"a", "b", "c"}, {{"a", "x"}, {"b", "x"}, {"c", "y"}}},
        {"TakenTarget", {"a", "b", "c"}, {{"a", "b"}, {"c", "d"}}},
        {"FolderWithContents",
         {"F/", "F/a", "F/G/", "F/G/b", "c"},
         {{"F", "H"}, {"F/a", "x"}, {"F/G/b", "y"}, {"F/G", "K"}, {"c", "F"}}},
        {"FoldersSwappedWithContents", {"A/x", "B/y"}, {{"A", "B"}, {"B", "A"}, {"A/x", "y"}, {"B/y", "x"}}},
        deep_folders(),
    };
}

// The process dies before step `at`, as by a power cut or kill -9.
renamer::Hooks killed_before(std::size_t at) {
    renamer::Hooks hooks;
    hooks.before_step = [at](std::size_t step) {
        if (step == at) raise(SIGKILL);
    };
    return hooks;
}

class Faults : public ::testing::TestWithParam<Scenario> {
protected:
    // Lays the scenario out in fresh folders.
    std::unique_ptr<Folders> fresh() {
        auto folders = std::make_unique<Folders>();
        disktree::make(folders->base(), GetParam().layout);
        return folders;
    }

    renamer::Batch batch(const Folders& f) { return {f.base(), requests(GetParam().pairs), f.journals()}; }

    std::size_t step_count() {
        const auto f = fresh();
        std::size_t steps = 0;
        renamer::Hooks count;
        count.before_step = [&](std::size_t) { ++steps; };
        batch(*f).apply(count);
        return steps;
    }

    // Undo brings back the disk as it was, and nothing is left to undo.
    void expect_undo_restores(const Folders& f, const disktree::Snapshot& before, const std::string& when) {
        const renamer::UndoResult undone = renamer::undo_latest(f.base(), f.journals());
        for (const renamer::Entry& e : undone.entries)
            EXPECT_EQ(e.status, renamer::Status::done) << when << ": " << e.path << ": " << e.reason;
        EXPECT_EQ(snapshot(f.base()), before) << when;
        EXPECT_FALSE(renamer::can_undo(f.base(), f.journals())) << when;
        EXPECT_FALSE(renamer::undo_latest(f.base(), f.journals()).found) << when;
    }
};

TEST_P(Faults, AFailureAtAnyStepLeavesTheDiskAsTheResultSays) {
    const std::size_t steps = step_count();
    ASSERT_GT(steps, 0u);
    for (std::size_t at : steps_to_try(steps)) {
        const std::string when = "failure at step " + std::to_string(at);
        const auto f = fresh();
        const disktree::Snapshot before = snapshot(f->base());
        renamer::Hooks hooks;
        hooks.before_step = [at](std::size_t step) {
            if (step == at) throw renamer::StepFailure("injected failure");
        };
        const std::vector<renamer::Entry> result = batch(*f).apply(hooks);
        bool failed = false;
        for (const renamer::Entry& e : result) {
            if (e.status != renamer::Status::failed) continue;
            failed = true;
            EXPECT_EQ(e.reason, "injected failure") << when;
        }
        EXPECT_TRUE(failed) << when;
        const disktree::Snapshot after = snapshot(f->base());
        EXPECT_EQ(after, disktree::moved(before, done_renames(result))) << when;
        EXPECT_FALSE(has_temporary_names(after)) << when;
        expect_undo_restores(*f, before, when);
    }
}

TEST_P(Faults, AKillAtAnyStepLosesNothingAndUndoTakesItBack) {
    const std::size_t steps = step_count();
    for (std::size_t at : steps_to_try(steps)) {
        const std::string when = "kill at step " + std::to_string(at);
        const auto f = fresh();
        const disktree::Snapshot before = snapshot(f->base());
        const int status = in_child([&] { batch(*f).apply(killed_before(at)); });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << when;
        EXPECT_EQ(disktree::contents(snapshot(f->base())), disktree::contents(before)) << when;
        if (at == 0) {
            EXPECT_EQ(snapshot(f->base()), before);
            EXPECT_FALSE(renamer::undo_latest(f->base(), f->journals()).found) << when;
            continue;
        }
        expect_undo_restores(*f, before, when);
    }
}

TEST_P(Faults, AnUndoKilledAtAnyStepIsFinishedByTheNext) {
    const auto probe = fresh();
    batch(*probe).apply();
    std::size_t undo_steps = 0;
    renamer::Hooks count;
    count.before_step = [&](std::size_t) { ++undo_steps; };
    renamer::undo_latest(probe->base(), probe->journals(), count);
    for (std::size_t at : steps_to_try(undo_steps)) {
        const std::string when = "undo killed at step " + std::to_string(at);
        const auto f = fresh();
        const disktree::Snapshot before = snapshot(f->base());
        batch(*f).apply();
        const int status = in_child([&] { renamer::undo_latest(f->base(), f->journals(), killed_before(at)); });
        ASSERT_TRUE(WIFSIGNALED(status)) << when;
        EXPECT_EQ(disktree::contents(snapshot(f->base())), disktree::contents(before)) << when;
        const renamer::UndoResult undone = renamer::undo_latest(f->base(), f->journals());
        ASSERT_TRUE(undone.found) << when;
        expect_undo_restores(*f, before, when);
    }
}

TEST_P(Faults, AStopRequestFinishesTheUnitUnderWay) {
    const std::size_t steps = step_count();
    for (std::size_t at : steps_to_try(steps)) {
        const std::string when = "stop asked before step " + std::to_string(at);
        const auto f = fresh();
        const disktree::Snapshot before = snapshot(f->base());
        bool asked = false;
        renamer::Hooks hooks;
        hooks.before_step = [&](std::size_t step) { asked = asked || step == at; };
        hooks.stop_requested = [&] { return asked; };
        const std::vector<renamer::Entry> result = batch(*f).apply(hooks);
        for (const renamer::Entry& e : result) {
            if (e.status == renamer::Status::failed) {
                EXPECT_EQ(e.reason, renamer::INTERRUPTED) << when;
            }
        }
        const disktree::Snapshot after = snapshot(f->base());
        EXPECT_EQ(after, disktree::moved(before, done_renames(result))) << when;
        EXPECT_FALSE(has_temporary_names(after)) << when;
        expect_undo_restores(*f, before, when);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Faults, ::testing::ValuesIn(scenarios()), labelled::ByLabel());

}  // namespace
