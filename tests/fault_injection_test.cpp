#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/import_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using survey::ErrorKind;
using survey::RecoveryOutcome;
using testing_support::FailingEffects;
using Tree = std::map<std::string, std::string>;

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

// Where the photos and the GPX file go from: the same file system, another
// one, or another one while the program folder's has no unnamed files, as
// FAT; and a program folder on FAT through FUSE or exFAT, which has no
// renames that refuse a taken name, no hard links, and makes up a file's
// inode number on each look, with the phone folder on it or on a card.
enum class Devices { Same, Cross, CrossToFat, SameOnFuseFat, CrossToFuseFat };

// The sample imported and then archived, by renames or by copies.
class FaultInjection : public testing_support::ImportFixture, public ::testing::WithParamInterface<Devices> {
protected:
    void SetUp() override
    {
        put_sample();
        testing_support::write_file(survey_csv(), "earlier survey\r\n");
        before_ = everything();
        FailingEffects counting = effects();
        ASSERT_FALSE(import_and_archive(counting));
        after_archive_ = everything();
        after_import_ = imported_;
        steps_ = counting.calls();
        imported_.clear();
    }

    FailingEffects effects(int fail_at = 0) const
    {
        FailingEffects effects(fail_at, [](const std::string& step) { return step_faults.at(step).error; });
        const Devices devices = GetParam();
        if (devices == Devices::Cross || devices == Devices::CrossToFat || devices == Devices::CrossToFuseFat)
            effects.cross_devices();
        if (devices != Devices::Same && devices != Devices::Cross)
            effects.no_unnamed_files();
        if (devices == Devices::SameOnFuseFat || devices == Devices::CrossToFuseFat) {
            effects.no_refusing_renames();
            effects.invent_identities();
        }
        return effects;
    }

    // Imports the sample, then archives it as the window does at close.
    std::optional<survey::RuntimeError> import_and_archive(survey::FileEffects& effects)
    {
        if (auto error = import(phone() / "field-day.gpx", effects))
            return error;
        imported_ = everything();
        try {
            survey::archive_gpx(effects, (phone() / "field-day.gpx").string(), "field-day.gpx", app().string());
        } catch (const survey::RuntimeError& error) {
            return error;
        }
        return std::nullopt;
    }

    void restore_before() { testing_support::restore(app().parent_path(), before_); }

    Tree before_;
    Tree imported_;
    Tree after_import_;
    Tree after_archive_;
    int steps_ = 0;
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
        const Tree now = everything();
        ASSERT_TRUE(now == before_ || now == after_import_ || now == after_archive_) << "step " << k;
        // What the start tells the user matches what it did.
        if (recovery.outcome == RecoveryOutcome::Completed) {
            EXPECT_NE(now, before_) << "step " << k;
        }
        if (recovery.outcome == RecoveryOutcome::Undone) {
            EXPECT_NE(now, after_archive_) << "step " << k;
        }
        // A journal cut short names nothing yet.
        if (!recovery.gpx_path.empty()) {
            EXPECT_EQ(recovery.archive,
                      now == after_archive_ || (recovery.outcome == RecoveryOutcome::Undone && now == after_import_))
                << "step " << k;
        }
        // And the user can go on from there.
        imported_.clear();
        FailingEffects real;
        if (now == after_import_) {
            survey::archive_gpx((phone() / "field-day.gpx").string(), "field-day.gpx", app().string());
        } else if (now == before_) {
            ASSERT_FALSE(import_and_archive(real)) << "step " << k;
        }
        EXPECT_EQ(everything(), after_archive_) << "step " << k;
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
            survey::recover_interrupted_import(last, app_folder);
            const Tree now = everything();
            ASSERT_TRUE(now == before_ || now == after_import_ || now == after_archive_)
                << "step " << k << ", recovery step " << again;
            if (recovering == ChildEnd::Finished)
                break;
        }
    }
}

std::string devices_name(const ::testing::TestParamInfo<Devices>& info)
{
    switch (info.param) {
    case Devices::Same: return "SameDevice";
    case Devices::Cross: return "CrossDevice";
    case Devices::CrossToFat: return "CrossDeviceWithoutUnnamedFiles";
    case Devices::SameOnFuseFat: return "SameDeviceOnFuseFat";
    case Devices::CrossToFuseFat: return "CrossDeviceToFuseFat";
    }
    return "";
}

INSTANTIATE_TEST_SUITE_P(SameAndCrossDevice, FaultInjection,
                         ::testing::Values(Devices::Same, Devices::Cross, Devices::CrossToFat,
                                           Devices::SameOnFuseFat, Devices::CrossToFuseFat),
                         devices_name);

}  // namespace
