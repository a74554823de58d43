#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/sample_change.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using survey::ErrorKind;
using testing_support::FailingEffects;
using testing_support::Devices;

namespace {

// A plausible failure for each step, and the kind the user must then see.
struct StepFault {
    int error;
    ErrorKind kind;
};

const std::map<std::string, StepFault> step_faults = {
    {"create", {EACCES, ErrorKind::PermissionDenied}},
    {"write", {ENOSPC, ErrorKind::DiskFull}},
    {"sync", {EIO, ErrorKind::DeviceIoError}},
    {"sync folder", {EIO, ErrorKind::DeviceIoError}},
    {"close", {EIO, ErrorKind::DeviceIoError}},
    {"rename", {EACCES, ErrorKind::PermissionDenied}},
    {"link", {ENOSPC, ErrorKind::DiskFull}},
    {"replace", {EROFS, ErrorKind::PermissionDenied}},
    // Only a change that has committed removes a file: what it leaves, the next start removes.
    {"remove", {EIO, ErrorKind::PathFileAccessError}},
    {"create unnamed", {ENOSPC, ErrorKind::DiskFull}},
    {"link unnamed", {EIO, ErrorKind::DeviceIoError}},
};

// The sample imported and then archived, by renames or by copies; each
// step can fail with the errno value `step_faults` gives it.
class FaultInjection : public testing_support::SampleChange {
protected:
    FailingEffects effects(int fail_at = 0) const
    {
        FailingEffects effects(fail_at, [](const std::string& step) { return step_faults.at(step).error; });
        act_as_devices(effects);
        return effects;
    }
};

TEST_P(FaultInjection, EveryStepFailsLeavingEveryFileAsItWas)
{
    // Staging the survey, the journal, each photo, the syncs, the replace
    // that commits, then the journal's end; and the same for the archive's
    // one move. A named copy first asks for an unnamed file: one more step
    // each; without refusing renames, each rename reserves its name first.
    const std::map<Devices, int> steps{{Devices::Same, 31},         {Devices::Cross, 70},
                                       {Devices::CrossToFat, 75},   {Devices::SameOnFuseFat, 51},
                                       {Devices::CrossToFuseFat, 105}};
    EXPECT_EQ(steps_, steps.at(GetParam()));
    for (int k = 1; k <= steps_; ++k) {
        restore_before();
        imported_.clear();
        FailingEffects failing = effects(k);
        const auto error = import_and_archive(failing);
        // What a failure after the commit leaves, the next start finishes.
        survey::recover_interrupted_import(app().string());
        const std::string step = failing.failed_step();
        if (!error) {
            EXPECT_EQ(everything(), after_archive_) << "step " << k << ": " << step << " failed unnoticed";
            continue;
        }
        EXPECT_EQ(error->kind(), step_faults.at(step).kind) << "step " << k << ": " << error->what();
        if (error->kind() == ErrorKind::DiskFull) {
            EXPECT_NE(error->detail().find("no room left on the disk that holds /"), std::string::npos)
                << "step " << k << ": " << error->what();
        }
        // A failure after the commit leaves the change made, and says so.
        const Tree& undone = imported_.empty() ? before_ : after_import_;
        const Tree& done = imported_.empty() ? after_import_ : after_archive_;
        const Tree now = everything();
        EXPECT_TRUE(now == undone || (now == done && !error->detail().empty())) << "step " << k << ": " << step;
    }
}

// A crash, a kill or a power cut at any step: the next start finds every
// file as before the import or as after it, and the user can go on.
TEST_P(FaultInjection, DyingAtEveryStepLeavesBeforeOrAfter)
{
    for (int k = 1; k <= steps_ + 1; ++k) {
        restore_before();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FailingEffects dying = effects();
            dying.die_at(k);
            ::_exit(import_and_archive(dying) ? 1 : 2);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 1) << "step " << k << " failed instead of dying";

        const survey::Recovery recovery = survey::recover_interrupted_import(app().string());
        const std::string where = "step " + std::to_string(k);
        if (expect_recovered(recovery, where))
            expect_user_can_go_on(survey::system_file_effects(), where);
    }
}

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

// The start that finishes or undoes a change can die too, at any of its own
// steps: the start after it still finds before or after.
TEST_P(FaultInjection, DyingAgainWhileRecoveringLeavesBeforeOrAfter)
{
    const std::string app_folder = app().string();
    const auto recover = [&app_folder](FailingEffects& effects) {
        survey::recover_interrupted_import(effects, app_folder);
        return true;
    };
    for (int k = 1; k <= steps_; ++k) {
        restore_before();
        ASSERT_EQ(in_child_dying_at(effects(), k, [this](FailingEffects& dying) { return !import_and_archive(dying); }),
                  ChildEnd::Died)
            << "step " << k;
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

INSTANTIATE_TEST_SUITE_P(SameAndCrossDevice, FaultInjection,
                         ::testing::ValuesIn(testing_support::every_devices), testing_support::devices_name);

}  // namespace
