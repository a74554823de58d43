#include "import/waypoint_import.h"
#include "tests/support/power_cut_model.h"
#include "tests/support/recording_effects.h"
#include "tests/support/sample_change.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <tuple>

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

// The course of the run a power cut falls in: the sample imported over an earlier survey
// and archived; the first import, with no survey file yet; the same with
// the rename that commits, or the one that gives p2.jpg its place, taking
// effect while it answers with a failure; and with each look the import
// and the archive make failing in turn, one run each.
enum class Course { Later, First, CommitAnswerLost, PhotoAnswerLost, LooksFail };

class PowerCut : public testing_support::SampleChangeOn,
                 public ::testing::WithParamInterface<std::tuple<Devices, Course>> {
protected:
    Devices devices() const override { return std::get<0>(GetParam()); }
    Course course() const { return std::get<1>(GetParam()); }
    bool earlier_survey() const override { return course() != Course::First; }

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
            const std::string where = testing_support::name_of(devices()) + ", " +
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
// user can go on.
TEST_P(PowerCut, EveryStateACutMayLeaveRecoversToBeforeOrAfter)
{
    const auto as_it_is = [](FailingEffects&) {};
    if (course() == Course::CommitAnswerLost || course() == Course::PhotoAnswerLost) {
        const std::string name = course() == Course::CommitAnswerLost ? "survey.csv" : "p2.jpg";
        check_every_state_of_run([&name](FailingEffects& effects) { effects.lose_answer_naming(name); });
    } else if (course() == Course::LooksFail) {
        const int looks = check_every_state_of_run(as_it_is);
        for (int look = 1; look <= looks && !HasFailure(); ++look)
            check_every_state_of_run([look](FailingEffects& effects) { effects.fail_look(look); });
    } else {
        check_every_state_of_run(as_it_is);
    }
    if (HasFailure())
        return;

    // Cuts, the states the model allows over them all, and how many of
    // those trees differ: a model that kept or lost nothing would show here.
    struct Explored {
        std::size_t cuts, states, trees;
    };
    using C = Course;
    const std::map<std::tuple<Devices, Course>, Explored> explored{
        {{Devices::Same, C::Later}, {28, 107, 31}},           {{Devices::Same, C::First}, {28, 107, 31}},
        {{Devices::Same, C::CommitAnswerLost}, {18, 86, 26}}, {{Devices::Same, C::PhotoAnswerLost}, {20, 61, 12}},
        {{Devices::Same, C::LooksFail}, {29, 111, 31}},
        {{Devices::Cross, C::Later}, {52, 207, 47}},           {{Devices::Cross, C::First}, {52, 207, 47}},
        {{Devices::Cross, C::CommitAnswerLost}, {36, 178, 41}}, {{Devices::Cross, C::PhotoAnswerLost}, {26, 73, 12}},
        {{Devices::Cross, C::LooksFail}, {254, 759, 47}},
        {{Devices::CrossToFat, C::Later}, {52, 1385, 154}},  {{Devices::CrossToFat, C::First}, {52, 1385, 154}},
        {{Devices::CrossToFat, C::CommitAnswerLost}, {36, 1348, 146}},
        {{Devices::CrossToFat, C::PhotoAnswerLost}, {26, 127, 21}},
        {{Devices::CrossToFat, C::LooksFail}, {264, 4047, 154}},
        {{Devices::SameOnFuseFat, C::Later}, {33, 833, 97}}, {{Devices::SameOnFuseFat, C::First}, {33, 833, 97}},
        {{Devices::SameOnFuseFat, C::CommitAnswerLost}, {22, 806, 91}},
        {{Devices::SameOnFuseFat, C::PhotoAnswerLost}, {24, 121, 22}},
        {{Devices::SameOnFuseFat, C::LooksFail}, {34, 837, 97}},
        {{Devices::CrossToFuseFat, C::Later}, {57, 15917, 816}},
        {{Devices::CrossToFuseFat, C::First}, {57, 15917, 816}},
        {{Devices::CrossToFuseFat, C::CommitAnswerLost}, {40, 15868, 806}},
        {{Devices::CrossToFuseFat, C::PhotoAnswerLost}, {28, 295, 39}},
        {{Devices::CrossToFuseFat, C::LooksFail}, {272, 31115, 816}},
        {{Devices::SameWithoutRefusingRenames, C::Later}, {38, 139, 47}},
        {{Devices::SameWithoutRefusingRenames, C::First}, {38, 139, 47}},
        {{Devices::SameWithoutRefusingRenames, C::CommitAnswerLost}, {26, 116, 41}},
        {{Devices::SameWithoutRefusingRenames, C::PhotoAnswerLost}, {24, 68, 14}},
        {{Devices::SameWithoutRefusingRenames, C::LooksFail}, {39, 143, 47}},
    };
    const auto expected = explored.find({testing_support::as_on_this_system(devices()), course()});
    ASSERT_NE(expected, explored.end());
    EXPECT_EQ(cuts_seen_.size(), expected->second.cuts);
    EXPECT_EQ(states_, expected->second.states);
    EXPECT_EQ(checked_.size(), expected->second.trees);
}

std::string course_name(const ::testing::TestParamInfo<std::tuple<Devices, Course>>& info)
{
    static const char* const courses[] = {"Later", "First", "CommitAnswerLost", "PhotoAnswerLost", "LooksFail"};
    return testing_support::name_of(std::get<0>(info.param)) + "_" + courses[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(SameAndCrossDevice, PowerCut,
                         ::testing::Combine(::testing::ValuesIn(testing_support::every_devices),
                                            ::testing::Values(Course::Later, Course::First, Course::CommitAnswerLost,
                                                              Course::PhotoAnswerLost, Course::LooksFail)),
                         course_name);

}  // namespace
