#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/import_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

using survey::ErrorKind;
using testing_support::FailingEffects;

namespace {

// A plausible failure for each step, and the kind the user must then see.
struct StepFault {
    int error;
    ErrorKind kind;
};

const std::map<std::string, StepFault> step_faults = {
    {"create", {EACCES, ErrorKind::PermissionDenied}},
    {"write", {ENOSPC, ErrorKind::DeviceIoError}},
    {"sync", {EIO, ErrorKind::DeviceIoError}},
    {"close", {EIO, ErrorKind::DeviceIoError}},
    {"move", {EXDEV, ErrorKind::PathFileAccessError}},
    {"replace", {EROFS, ErrorKind::PermissionDenied}},
};

class FaultInjection : public testing_support::ImportFixture {
protected:
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

    std::map<std::string, std::string> imported_;
};

TEST_F(FaultInjection, EveryStepFailsLeavingEveryFileAsItWas)
{
    put_sample();
    testing_support::write_file(survey_csv(), "earlier survey\r\n");
    const auto before = everything();

    FailingEffects counting;
    ASSERT_FALSE(import_and_archive(counting));
    const int steps = counting.calls();
    const auto after_import = imported_;
    // create, write, sync, close, four photo moves, the replace, the archive
    ASSERT_EQ(steps, 10);

    for (int k = 1; k <= steps; ++k) {
        testing_support::restore(app().parent_path(), before);
        imported_.clear();
        FailingEffects failing(k, [](const std::string& step) { return step_faults.at(step).error; });
        const auto error = import_and_archive(failing);
        ASSERT_TRUE(error) << "step " << k << " failed unnoticed";
        EXPECT_EQ(error->kind(), step_faults.at(failing.failed_step()).kind) << "step " << k;
        // Only the archive comes after the import has taken effect.
        EXPECT_EQ(everything(), k == steps ? after_import : before) << "step " << k << ": " << failing.failed_step();
    }
}

}  // namespace
