#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/sample_change.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <optional>

using survey::ErrorKind;
using testing_support::FailingEffects;
using testing_support::Devices;

namespace {

// A plausible failure for each step, and the kind the user must then see:
// where a step serves two ends, the kind for each.
struct StepFault {
    int error;
    ErrorKind kind;
    std::optional<ErrorKind> or_kind = std::nullopt;
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
    // After the commit, what a removal leaves the next start removes; within
    // a move by hard link, it is the move's own failure.
    {"remove", {EIO, ErrorKind::PathFileAccessError, ErrorKind::DeviceIoError}},
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

// A failure may come before its step took effect, or after it, as on a
// network share whose answer was lost: only a look tells which.
TEST_P(FaultInjection, EveryStepFailsLeavingEveryFileAsItWas)
{
    EXPECT_EQ(steps_, testing_support::steps_of(GetParam()));
    for (int k = 1; k <= 2 * steps_; ++k) {
        restore_before();
        imported_.clear();
        FailingEffects failing = effects((k - 1) % steps_ + 1);
        if (k > steps_)
            failing.take_effect_when_failing();
        const auto error = import_and_archive(failing);
        // What a failure after the commit leaves, the next start finishes.
        survey::recover_interrupted_import(app().string());
        const std::string step = failing.failed_step() + (k > steps_ ? ", which took effect," : "");
        if (!error) {
            EXPECT_EQ(everything(), after_archive_) << "step " << k << ": " << step << " failed unnoticed";
            continue;
        }
        const StepFault& fault = step_faults.at(failing.failed_step());
        EXPECT_TRUE(error->kind() == fault.kind || error->kind() == fault.or_kind)
            << "step " << k << ": " << error->what();
        // What the disk reported, and what became of the files, is said.
        EXPECT_TRUE(error->kind() != ErrorKind::DeviceIoError || !error->detail().empty())
            << "step " << k << ": " << step << ": " << error->what();
        if (error->kind() == ErrorKind::DiskFull) {
            EXPECT_NE(error->detail().find("no room left on the disk that holds " + app().parent_path().string()), std::string::npos)
                << "step " << k << ": " << error->what();
        }
        // A failure after the commit leaves the change made, and says so.
        const Tree& undone = imported_.empty() ? before_ : after_import_;
        const Tree& done = imported_.empty() ? after_import_ : after_archive_;
        const Tree now = everything();
        EXPECT_TRUE(now == undone || (now == done && !error->detail().empty())) << "step " << k << ": " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(SameAndCrossDevice, FaultInjection,
                         ::testing::ValuesIn(testing_support::every_devices), testing_support::devices_name);

}  // namespace
