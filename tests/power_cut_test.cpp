#include "import/waypoint_import.h"
#include "tests/support/power_cut_model.h"
#include "tests/support/recording_effects.h"
#include "tests/support/sample_change.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

using testing_support::Devices;
using testing_support::FailingEffects;
using testing_support::PowerCutModel;

namespace {

// Each pending change doubles the states of a cut. The sample's most is 12:
// four photos copied to a program folder on FAT through FUSE, each with its
// copy's name, its reserved name and the rename over it not yet durable.
constexpr std::size_t most_pending = 12;

// The pending changes that `subset`, one bit each, loses.
std::vector<std::size_t> lost_in(std::size_t subset, const std::vector<std::size_t>& pending)
{
    std::vector<std::size_t> lost;
    for (std::size_t bit = 0; bit < pending.size(); ++bit)
        if ((subset >> bit & 1) == 0)
            lost.push_back(pending[bit]);
    return lost;
}

std::string cut_in_words(const PowerCutModel& model, std::size_t cut, const std::vector<std::size_t>& pending,
                         const std::vector<std::size_t>& lost)
{
    std::string words = "cut after change " + std::to_string(cut) + ", pending:";
    for (const std::size_t change : pending)
        words += (std::find(lost.begin(), lost.end(), change) == lost.end() ? "\n  kept " : "\n  lost ") +
                 model.describe(change);
    return words;
}

class PowerCut : public testing_support::SampleChange {
protected:
    // Every state a cut during the run that `set_up` makes of the sample may
    // leave. Returns the looks the run made.
    int check_every_state_of_run(const std::function<void(FailingEffects&)>& set_up)
    {
        restore_before();
        testing_support::RecordingEffects recording;
        act_as_devices(recording);
        set_up(recording);
        import_and_archive(recording);
        const PowerCutModel model(app().parent_path(), before_, recording.changes());
        // What a cut may leave rests on the changes before it alone: a cut
        // after the same changes as in a run checked before is skipped.
        std::string changes_before;
        for (std::size_t cut = 1; cut <= model.changes() && !HasFailure(); ++cut) {
            changes_before += model.describe(cut - 1) + recording.changes()[cut - 1].bytes + '\n';
            if (cuts_seen_.insert(changes_before).second)
                check_every_state_of(model, cut);
        }
        return recording.looks();
    }

    // Each state a cut after change `cut` may leave, one per subset of its
    // pending changes, until one fails: named in full, it says more than the
    // many like it that would follow.
    void check_every_state_of(const PowerCutModel& model, std::size_t cut)
    {
        const std::vector<std::size_t> pending = model.pending(cut);
        ASSERT_LE(pending.size(), most_pending)
            << "cut after change " << cut << ": more changes wait for a sync than the sample ever had; one missing?";
        bool gone_on = false;
        for (std::size_t subset = 0; subset < std::size_t{1} << pending.size() && !HasFailure(); ++subset) {
            ++states_;
            const std::vector<std::size_t> lost = lost_in(subset, pending);
            const Tree state = model.tree_after(cut, lost);
            // Recovery sees only the tree, so a tree met before recovers as it did.
            if (!checked_.insert(state).second)
                continue;
            const std::string where = testing_support::name_of(GetParam()) + ", " +
                                      cut_in_words(model, cut, pending, lost) +
                                      "\ntree found:" + testing_support::tree_in_words(state);
            check_recovery_from(state, where, !gone_on);
            gone_on = true;
        }
    }

    // Going on costs an import and an archive: from the first new state of
    // each cut only, as the kill test does from each step.
    void check_recovery_from(const Tree& state, const std::string& where, bool go_on)
    {
        testing_support::restore(app().parent_path(), state);
        FailingEffects effects;
        act_as_devices(effects);
        try {
            const survey::Recovery recovery = survey::recover_interrupted_import(effects, app().string());
            if (expect_recovered(recovery, where) && go_on)
                expect_user_can_go_on(effects, where);
        } catch (const survey::RuntimeError& error) {
            ADD_FAILURE() << where << "\nthrew: " << error.what() << " " << error.detail();
        }
    }

    std::set<Tree> checked_;
    std::set<std::string> cuts_seen_;
    std::size_t states_ = 0;
};

// A power cut after any change of the import or the archive, losing any
// part of what no sync had yet made durable: the next start finds every
// file as before the import or as after it, or after the archive, and the
// user can go on. So in each course of the run: the sample imported over an
// earlier survey and archived; the same with the rename that commits, or the
// one that gives p2.jpg its place, taking effect while it answers a failure;
// with each look failing in turn; and as the first import, with no survey
// file yet.
TEST_P(PowerCut, EveryStateACutMayLeaveRecoversToBeforeOrAfter)
{
    struct Explored {
        std::size_t cuts, states, trees;
    };
    std::vector<Explored> explored;
    const auto count = [&] { explored.push_back({cuts_seen_.size(), states_, checked_.size()}); };
    const int looks = check_every_state_of_run([](FailingEffects&) {});
    count();
    for (const char* name : {"survey.csv", "p2.jpg"}) {
        check_every_state_of_run([name](FailingEffects& effects) { effects.lose_answer_naming(name); });
        count();
    }
    for (int look = 1; look <= looks && !HasFailure(); ++look)
        check_every_state_of_run([look](FailingEffects& effects) { effects.fail_look(look); });
    count();
    as_first_import();
    check_every_state_of_run([](FailingEffects&) {});
    count();
    if (HasFailure())
        return;

    // Cuts, the states the model allows over them all, and how many of
    // those trees differ, after each course: a model that kept or lost
    // nothing would show here. A cut after the same changes as one checked
    // before, and a tree met before, are not counted again.
    const std::map<Devices, std::vector<Explored>> expected{
        {Devices::Same, {{28, 107, 31}, {28, 107, 31}, {38, 129, 31}, {39, 133, 31}, {63, 228, 55}}},
        {Devices::Cross, {{52, 207, 47}, {52, 207, 47}, {62, 229, 47}, {254, 759, 47}, {302, 954, 86}}},
        {Devices::CrossToFat, {{52, 1385, 154}, {52, 1385, 154}, {62, 1419, 154}, {264, 4047, 154}, {312, 5420, 298}}},
        {Devices::SameOnFuseFat, {{33, 833, 97}, {33, 833, 97}, {45, 891, 102}, {46, 895, 102}, {75, 1716, 191}}},
        {Devices::CrossToFuseFat,
         {{57, 15917, 816}, {57, 15917, 816}, {67, 15999, 816}, {272, 31115, 816}, {325, 47020, 1620}}},
        {Devices::SameWithoutRefusingRenames, {{38, 139, 47}, {38, 139, 47}, {50, 165, 48}, {51, 169, 48}, {85, 296, 87}}},
        {Devices::FromZip, {{39, 1081, 136}, {39, 1081, 136}, {47, 1095, 136}, {104, 1533, 136}, {139, 2602, 265}}},
        {Devices::FromZipToFuseFat,
         {{50, 11789, 801}, {50, 11789, 801}, {58, 11803, 801}, {135, 14290, 801}, {181, 26067, 1590}}},
    };
    const std::vector<Explored>& courses = expected.at(testing_support::as_on_this_system(GetParam()));
    for (std::size_t course = 0; course < courses.size(); ++course) {
        EXPECT_EQ(explored.at(course).cuts, courses[course].cuts) << "course " << course;
        EXPECT_EQ(explored.at(course).states, courses[course].states) << "course " << course;
        EXPECT_EQ(explored.at(course).trees, courses[course].trees) << "course " << course;
    }
}

INSTANTIATE_TEST_SUITE_P(SameAndCrossDevice, PowerCut, ::testing::ValuesIn(testing_support::every_devices),
                         testing_support::devices_name);

}  // namespace
