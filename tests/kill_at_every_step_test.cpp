// A crash, a kill or a power cut at any step: the next start finds every
// file as before the import or as after it, and the user can go on. Each
// step is a death test of its own, so that it runs the same on POSIX, where
// the child is forked, and on Windows, where it is started anew.
#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/sample_change.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

using testing_support::Devices;

namespace {

using KillPoint = std::tuple<Devices, int>;

std::vector<KillPoint> every_kill_point()
{
    std::vector<KillPoint> points;
    for (const Devices devices : testing_support::every_devices)
        for (int step = 1; step <= testing_support::steps_of(devices); ++step)
            points.emplace_back(devices, step);
    return points;
}

class KillAtEveryStep : public testing_support::SampleChangeOn, public ::testing::WithParamInterface<KillPoint> {
protected:
    Devices devices() const override { return std::get<0>(GetParam()); }
};

TEST_P(KillAtEveryStep, TheNextStartFindsBeforeOrAfter)
{
    const int step = std::get<1>(GetParam());
    ASSERT_EQ(steps_, testing_support::steps_of(devices()));
    restore_before();
    EXPECT_EXIT(
        {
            testing_support::FailingEffects dying;
            act_as_devices(dying);
            dying.die_at(step);
            import_and_archive(dying);
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    const std::string where = "step " + std::to_string(step);
    if (expect_recovered(survey::recover_interrupted_import(app().string()), where))
        expect_user_can_go_on(survey::system_file_effects(), where);
}

INSTANTIATE_TEST_SUITE_P(SameAndCrossDevice, KillAtEveryStep, ::testing::ValuesIn(every_kill_point()),
                         [](const ::testing::TestParamInfo<KillPoint>& info) {
                             return testing_support::name_of(std::get<0>(info.param)) + "_step" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
