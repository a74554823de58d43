// A kill at any step of a change, then another at any step of the start
// that finishes it: the start after that still finds every file as before
// the import or as after it. Each kill ends a forked process, which the
// nested kills need: a death test's child cannot cut a second one short.
#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/sample_change.h"

#include <gtest/gtest.h>

#include <array>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::FailingEffects;

namespace {

// How a child process that makes changes through effects dying at `step` ended.
enum class ChildEnd { Died, Failed, Finished };

template <typename Work>
ChildEnd in_child_dying_at(FailingEffects effects, int step, Work work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        effects.die_at(step);
        ::_exit(work(effects) ? 2 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return ChildEnd::Failed;
    return std::array{ChildEnd::Died, ChildEnd::Failed, ChildEnd::Finished}.at(WEXITSTATUS(status));
}

class KillDuringRecovery : public testing_support::SampleChange {
protected:
    FailingEffects effects() const
    {
        FailingEffects effects;
        act_as_devices(effects);
        return effects;
    }

    ChildEnd change_dying_at(int step)
    {
        return in_child_dying_at(effects(), step, [this](FailingEffects& dying) { return !import_and_archive(dying); });
    }
};

TEST_P(KillDuringRecovery, AStartKilledAtAnyOfItsStepsLeavesTheNextBeforeOrAfter)
{
    const std::string app_folder = app().string();
    const auto recover = [&app_folder](FailingEffects& effects) {
        survey::recover_interrupted_import(effects, app_folder);
        return true;
    };
    for (int k = 1; k <= steps_; ++k) {
        restore_before();
        ASSERT_EQ(change_dying_at(k), ChildEnd::Died) << "step " << k;
        const Tree crashed = everything();
        for (int again = 1;; ++again) {
            testing_support::restore(app().parent_path(), crashed);
            const ChildEnd recovering = in_child_dying_at(effects(), again, recover);
            ASSERT_NE(recovering, ChildEnd::Failed) << "step " << k << ", recovery step " << again;
            FailingEffects last = effects();
            const std::string where = "step " + std::to_string(k) + ", recovery step " + std::to_string(again);
            ASSERT_TRUE(expect_recovered(survey::recover_interrupted_import(last, app_folder), where));
            if (recovering == ChildEnd::Finished)
                break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SameAndCrossDevice, KillDuringRecovery, ::testing::ValuesIn(testing_support::every_devices),
                         testing_support::devices_name);

}  // namespace
