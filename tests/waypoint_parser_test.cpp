#include "import/gpx/waypoint_parser.h"

#include "tests/support/gpx_builder.h"

#include <gtest/gtest.h>

using survey::ErrorKind;
using survey::ImportPlan;

namespace {

ImportPlan plan_of(const std::string& gpx_text)
{
    survey::ByteStream stream(gpx_text);
    return survey::plan_import(stream);
}

std::string survey_of(const std::string& waypoints)
{
    const ImportPlan plan = plan_of(gpx::header() + waypoints + gpx::track());
    EXPECT_FALSE(plan.error) << plan.error->what();
    return plan.survey_text;
}

const std::string commit = gpx::waypoint("record sighting");

TEST(WaypointParser, SightingFromSubjectTallyPictureAndCommit)
{
    const ImportPlan plan = plan_of(gpx::header() + gpx::waypoint("Alpha") + gpx::waypoint("3") +
                                    gpx::picture("p1.jpg") + gpx::waypoint("record sighting", {.sat = "17"}) +
                                    gpx::track());
    ASSERT_FALSE(plan.error);
    EXPECT_EQ(plan.survey_text, "14/02/2014,51.5,-0.25,Alpha,17,unset,unset,3,p1.jpg\r\n");
    EXPECT_EQ(plan.record_count, 1);
    ASSERT_EQ(plan.photo_moves.size(), 1u);
    EXPECT_EQ(plan.photo_moves[0].photo, "p1.jpg");
    EXPECT_EQ(plan.photo_moves[0].line, 19);
}

struct DispatchCase {
    const char* what;
    std::string waypoints;
    std::string survey;
};

class NameDispatch : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(NameDispatch, FirstMatchingRuleWins)
{
    EXPECT_EQ(survey_of(GetParam().waypoints), GetParam().survey) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NameDispatch,
    ::testing::Values(
        DispatchCase{"no waypoints", "", ""},
        DispatchCase{"commit first writes nothing", commit, ""},
        DispatchCase{"second commit only sets the subject", gpx::waypoint("Alpha") + commit + commit,
                     "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,none\r\n"},
        DispatchCase{"a new subject lets the next commit count",
                     gpx::waypoint("Alpha") + commit + commit + gpx::waypoint("Beta") + commit,
                     "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,none\r\n"
                     "14/02/2014,51.5,-0.25,Beta,7,unset,unset,0,none\r\n"},
        DispatchCase{"C rule before Skin rule", gpx::waypoint("CSkin") + gpx::waypoint("x") + commit,
                     "14/02/2014,51.5,-0.25,x,7,CSkin,unset,0,none\r\n"},
        DispatchCase{"Skin anywhere", gpx::waypoint("wetSkin") + gpx::waypoint("x") + commit,
                     "14/02/2014,51.5,-0.25,x,7,unset,wetSkin,0,none\r\n"},
        DispatchCase{"lower-case picture is a subject", gpx::waypoint("picture") + commit,
                     "14/02/2014,51.5,-0.25,picture,7,unset,unset,0,none\r\n"},
        DispatchCase{"numeric name rounds ties to even", gpx::waypoint("2.5") + gpx::waypoint("x") + commit,
                     "14/02/2014,51.5,-0.25,x,7,unset,unset,2,none\r\n"},
        DispatchCase{"labels and tally carry over a new subject",
                     gpx::waypoint("Calf") + gpx::waypoint("12") + gpx::waypoint("a") + gpx::waypoint("b") + commit,
                     "14/02/2014,51.5,-0.25,b,7,Calf,unset,12,none\r\n"},
        DispatchCase{"commit resets every field",
                     gpx::waypoint("Calf") + gpx::waypoint("a") + commit + gpx::waypoint("b") + commit,
                     "14/02/2014,51.5,-0.25,a,7,Calf,unset,0,none\r\n"
                     "14/02/2014,51.5,-0.25,b,7,unset,unset,0,none\r\n"},
        DispatchCase{"photos before a stretch without commit join the next record",
                     gpx::picture("a.jpg") + commit + gpx::picture("b.jpg") + gpx::waypoint("s") + commit,
                     "14/02/2014,51.5,-0.25,s,7,unset,unset,0,a.jpg,b.jpg\r\n"},
        DispatchCase{"fix comes from the committing waypoint",
                     gpx::waypoint("s", {.lat = "1", .lon = "2", .date = "2001-01-01"}) +
                         gpx::waypoint("record sighting", {.lat = "-1.0E-4", .lon = "12.0", .date = "2020-12-31"}),
                     "31/12/2020,-0.0001,12,s,7,unset,unset,0,none\r\n"},
        DispatchCase{"a comma in a name passes through", gpx::waypoint("deer, roe") + commit,
                     "14/02/2014,51.5,-0.25,deer, roe,7,unset,unset,0,none\r\n"},
        DispatchCase{"bytes pass through unchanged", gpx::waypoint("Ch\xe9vre \xff") + gpx::waypoint("s") + commit,
                     "14/02/2014,51.5,-0.25,s,7,Ch\xe9vre \xff,unset,0,none\r\n"},
        DispatchCase{"empty name is a subject", gpx::waypoint("") + commit,
                     "14/02/2014,51.5,-0.25,,7,unset,unset,0,none\r\n"}));

TEST(WaypointParser, NothingAfterTheTrackIsRead)
{
    const ImportPlan plan =
        plan_of(gpx::header() + gpx::waypoint("a") + gpx::track() + gpx::waypoint("b") + commit + "\t\tjunk");
    EXPECT_FALSE(plan.error);
    EXPECT_EQ(plan.survey_text, "");
}

TEST(WaypointParser, PhotosAfterTheLastCommitStillMove)
{
    const ImportPlan plan = plan_of(gpx::header() + gpx::picture("late.jpg") + gpx::track());
    ASSERT_FALSE(plan.error);
    EXPECT_EQ(plan.record_count, 0);
    ASSERT_EQ(plan.photo_moves.size(), 1u);
    EXPECT_EQ(plan.photo_moves[0].photo, "late.jpg");
}

TEST(WaypointParser, EmptyOrTrackOnlyFilesPlanNothing)
{
    for (const std::string& text : {std::string(), gpx::header(), gpx::header() + gpx::track()}) {
        const ImportPlan plan = plan_of(text);
        EXPECT_FALSE(plan.error);
        EXPECT_EQ(plan.survey_text, "");
        EXPECT_TRUE(plan.photo_moves.empty());
    }
}

TEST(WaypointParser, MovesBeforeTheFaultAreKept)
{
    const ImportPlan plan =
        plan_of(gpx::header() + gpx::picture("a.jpg") + gpx::waypoint("b", {.sat = "x"}) + gpx::track());
    ASSERT_TRUE(plan.error);
    ASSERT_EQ(plan.photo_moves.size(), 1u);
    EXPECT_EQ(plan.photo_moves[0].photo, "a.jpg");
}

TEST(WaypointParser, ChunkCountOverflowsPastSixteenBits)
{
    // The header and each waypoint's first line are counted, and so is the
    // track line: 32765 waypoints fit, one more does not.
    std::string waypoints;
    for (int i = 0; i < 32765; ++i)
        waypoints += gpx::waypoint("a");
    EXPECT_FALSE(plan_of(gpx::header() + waypoints + gpx::track()).error);

    const ImportPlan plan = plan_of(gpx::header() + waypoints + gpx::waypoint("a") + gpx::track());
    ASSERT_TRUE(plan.error);
    EXPECT_EQ(plan.error->kind(), ErrorKind::Overflow);
    EXPECT_EQ(plan.error->line(), 3 + 6 * 32766);
}

}  // namespace
