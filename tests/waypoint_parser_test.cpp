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

// A first waypoint whose lines begin like a metadata block's, which has
// always read as a waypoint.
const std::string metadata_like_waypoint = [] {
    std::string text = gpx::waypoint("Alpha");
    text.replace(0, text.find('\n'), "\t<metadata> lat=\"51.5\" lon=\"-0.25\">");
    return text.replace(text.rfind("\t</wpt>"), 7, "\t</metadata>");
}();

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
        DispatchCase{"sixteen-bit extremes",
                     gpx::waypoint("32767") + gpx::waypoint("x") + gpx::waypoint("record sighting", {.sat = "-32768"}),
                     "14/02/2014,51.5,-0.25,x,-32768,unset,unset,32767,none\r\n"},
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
                     "14/02/2014,51.5,-0.25,,7,unset,unset,0,none\r\n"},
        DispatchCase{"a metadata block before the first waypoint is skipped",
                     gpx::metadata() + gpx::waypoint("Alpha") + commit,
                     "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,none\r\n"},
        DispatchCase{"a first line that only begins like metadata is a waypoint's", metadata_like_waypoint + commit,
                     "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,none\r\n"},
        DispatchCase{"photos and voice notes by their link, in the order read",
                     gpx::linked("Photo", "a.jpg") + gpx::linked("Foto", "b.jpg") +
                         gpx::linked("Voice recording", "c.3gpp") + gpx::waypoint("s") + commit,
                     "14/02/2014,51.5,-0.25,s,7,unset,unset,0,a.jpg,b.jpg,c.3gpp\r\n"},
        DispatchCase{"a link outranks the C, Skin and number rules",
                     gpx::linked("Camera", "c.jpg") + gpx::linked("Skin", "d.jpg") + gpx::linked("12", "e.jpg") +
                         gpx::waypoint("s") + commit,
                     "14/02/2014,51.5,-0.25,s,7,unset,unset,0,c.jpg,d.jpg,e.jpg\r\n"},
        DispatchCase{"a linked record sighting moves its file and commits nothing",
                     gpx::waypoint("s") + gpx::linked("record sighting", "r.jpg") + commit,
                     "14/02/2014,51.5,-0.25,s,7,unset,unset,0,r.jpg\r\n"},
        DispatchCase{"Picture keeps its name up to the first jpg, other links up to the quote",
                     gpx::picture("a.jpgx") + gpx::linked("Photo", "b.jpgx") + gpx::waypoint("s") + commit,
                     "14/02/2014,51.5,-0.25,s,7,unset,unset,0,a.jpg,b.jpgx\r\n"}));

// The phone app's optional outputs and languages, era by era: each row reads
// as the same file without them would.
INSTANTIATE_TEST_SUITE_P(
    PhoneAppOutputs, NameDispatch,
    ::testing::Values(
        DispatchCase{"extensions at two and three tabs, 2013 to 2020",
                     gpx::waypoint("Alpha", {.after_sat = gpx::extensions_2013}) +
                         gpx::waypoint("record sighting", {.after_sat = gpx::extensions_2013}),
                     "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,none\r\n"},
        DispatchCase{"HDOP, and extensions at four and five tabs with a barometer, since 2021",
                     gpx::waypoint("Alpha", {.after_sat = gpx::hdop + gpx::extensions_2021}) +
                         gpx::picture("p.jpg", {.after_sat = gpx::extensions_2021}) +
                         gpx::waypoint("record sighting", {.after_sat = gpx::hdop + gpx::extensions_2021}),
                     "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,p.jpg\r\n"},
        DispatchCase{"comments of one, two and three lines, with and without a space after the tabs",
                     gpx::waypoint("Alpha", {.after_name = gpx::accuracy_comment}) +
                         gpx::picture("p.jpg", {.after_name = gpx::compass_comment}) +
                         gpx::linked("Foto", "q.jpg", {.after_name = gpx::accuracy_compass_comment}) +
                         gpx::waypoint("record sighting", {.after_name = gpx::compass_comment}),
                     "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,p.jpg,q.jpg\r\n"},
        DispatchCase{"fixes without an altitude",
                     gpx::waypoint("Alpha", {.ele = std::nullopt}) + gpx::picture("p.jpg", {.ele = std::nullopt}) +
                         gpx::linked("Foto", "q.jpg", {.ele = std::nullopt, .after_name = gpx::compass_comment}) +
                         gpx::waypoint("record sighting", {.date = "2017-06-06", .ele = std::nullopt}),
                     "06/06/2017,51.5,-0.25,Alpha,7,unset,unset,0,p.jpg,q.jpg\r\n"},
        DispatchCase{"accuracies in names, in the phone's languages",
                     gpx::waypoint("Alpha (12.0m)") + gpx::waypoint("Calf (3.0\xd0\xbc)") +
                         gpx::waypoint("wetSkin (1.0E-4\xce\xbc)") + gpx::waypoint("12 (3.5\xd9\x85)") +
                         gpx::waypoint("record sighting (3.7899999618530273\xd7\x9e\xd7\x98\xd7\xa8)"),
                     "14/02/2014,51.5,-0.25,Alpha,7,Calf,wetSkin,12,none\r\n"},
        DispatchCase{"accuracies in photo, recording and commit names; one name without",
                     gpx::picture("p.jpg").replace(gpx::picture("p.jpg").find("Picture"), 7,
                                                   "Picture (5.0\xe5\x85\xac\xe5\xb0\xba)") +
                         gpx::linked("Photo (8.0\xe0\xb8\xa1)", "q.jpg") + gpx::waypoint("s") +
                         gpx::waypoint("record sighting (2.0E12\xe0\xae\xae\xe0\xaf\x86\xe0\xae\x95\xe0\xae\xbe)"),
                     "14/02/2014,51.5,-0.25,s,7,unset,unset,0,p.jpg,q.jpg\r\n"},
        DispatchCase{"endings that are no accuracy of the app's stay",
                     gpx::waypoint("Tree (5m)") + commit + gpx::waypoint("Alpha (12.0 m)") + commit +
                         gpx::waypoint("Elk (1.0abcdefghi)") + commit + gpx::waypoint("Owl(1.0m)") + commit +
                         gpx::waypoint("Bat (1.0m) (2.0m)") + commit,
                     "14/02/2014,51.5,-0.25,Tree (5m),7,unset,unset,0,none\r\n"
                     "14/02/2014,51.5,-0.25,Alpha (12.0 m),7,unset,unset,0,none\r\n"
                     "14/02/2014,51.5,-0.25,Elk (1.0abcdefghi),7,unset,unset,0,none\r\n"
                     "14/02/2014,51.5,-0.25,Owl(1.0m),7,unset,unset,0,none\r\n"
                     "14/02/2014,51.5,-0.25,Bat (1.0m),7,unset,unset,0,none\r\n"},
        DispatchCase{"a typed note's line breaks as spaces, then the name rules",
                     gpx::waypoint("3\n") + gpx::waypoint("roe deer\nnear the gate\r\nby the\roak (4.0m)") + commit,
                     "14/02/2014,51.5,-0.25,roe deer near the gate by the oak,7,unset,unset,3,none\r\n"},
        DispatchCase{"Persian and Arabic digits in the date",
                     gpx::waypoint("Alpha") +
                         gpx::waypoint("record sighting", {.date = "\xdb\xb2\xdb\xb0\xdb\xb1\xdb\xb7-\xdb\xb0"
                                                                   "\xdb\xb6-\xdb\xb0\xdb\xb9"}) +
                         gpx::waypoint("Beta") +
                         gpx::waypoint("record sighting", {.date = "\xd9\xa2\xd9\xa0\xd9\xa1\xd9\xa9-\xd9\xa1"
                                                                   "\xd9\xa2-\xd9\xa3\xd9\xa1"}),
                     "09/06/2017,51.5,-0.25,Alpha,7,unset,unset,0,none\r\n"
                     "31/12/2019,51.5,-0.25,Beta,7,unset,unset,0,none\r\n"},
        DispatchCase{"links URL-encoded by the app, decoded once",
                     gpx::picture("%DB%B2%db%b0+1.jpg") + gpx::linked("Foto", "a+b%2541%zz%4.3gpp") + gpx::waypoint("s") +
                         commit,
                     "14/02/2014,51.5,-0.25,s,7,unset,unset,0,\xdb\xb2\xdb\xb0 1.jpg,a b%41%zz%4.3gpp\r\n"}));

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

TEST(WaypointParser, TrackOnlyFilesPlanNothing)
{
    for (const std::string& text : {gpx::header() + gpx::track(), gpx::header() + gpx::metadata() + gpx::track(),
                                    gpx::header() + "\t<trk>"}) {
        const ImportPlan plan = plan_of(text);
        EXPECT_FALSE(plan.error) << plan.error->what();
        EXPECT_EQ(plan.survey_text, "");
        EXPECT_TRUE(plan.photo_moves.empty());
    }
}

// The phone app always writes the track after the waypoints: a file that ends
// before it was cut off, and fails where it ends. An empty or header-only file
// planned nothing and succeeded before this rule.
TEST(WaypointParser, FileEndingBeforeItsTrackIsCutOff)
{
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"", 1},
        {gpx::header(), 3},
        {gpx::header() + gpx::metadata(), 7},
        {gpx::header() + "\t<metadata>\n\t\t<name>x</name>\n", 5},
        {gpx::header() + gpx::waypoint("a") + commit, 15},
        {gpx::header() + gpx::waypoint("a") + "\t", 9},
        {gpx::header() + gpx::waypoint("a").substr(0, 135), 8},
    };
    for (const auto& [text, line] : cases) {
        const ImportPlan plan = plan_of(text);
        ASSERT_TRUE(plan.error) << text;
        EXPECT_EQ(plan.error->kind(), ErrorKind::InputPastEndOfFile) << text;
        EXPECT_EQ(plan.error->line(), line) << text;
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

struct SentenceCase {
    const char* what;
    std::string text;  // the whole file
    ErrorKind kind;
    std::string detail;
};

class FaultSentence : public ::testing::TestWithParam<SentenceCase> {};

TEST_P(FaultSentence, SaysWhatWasExpectedWhatWasFoundAndWhatToDo)
{
    const ImportPlan plan = plan_of(GetParam().text);
    ASSERT_TRUE(plan.error) << GetParam().what;
    EXPECT_EQ(plan.error->kind(), GetParam().kind) << GetParam().what;
    EXPECT_EQ(plan.error->detail(), GetParam().detail) << GetParam().what;
}

const std::string choose_the_gpx =
    "Choose the track's GPX file, whose name ends in .gpx, in the folder copied from the phone.";

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultSentence,
    ::testing::Values(
        SentenceCase{"metadata after a waypoint", gpx::header() + gpx::waypoint("a") + gpx::metadata() + gpx::track(),
                     ErrorKind::IndexOutOfRange,
                     "Line 9 should start a waypoint (<wpt lat=\"..\" lon=\"..\">) or the track (<trk>) but holds "
                     "\"metadata>\"."},
        SentenceCase{"an optional output's element where a waypoint should start",
                     gpx::header() + gpx::waypoint("a") + "\t<hdop>6.0</hdop>\n" + gpx::track(),
                     ErrorKind::IndexOutOfRange,
                     "Line 9 should start a waypoint (<wpt lat=\"..\" lon=\"..\">) or the track (<trk>) but holds "
                     "\"hdop>6.0</hdop>\"."},
        SentenceCase{"a run of tabs longer than any indentation is no optional element's",
                     gpx::header() + gpx::waypoint_start("a", {}) + "\t\t<sat>7</sat>" + std::string(20, '\t') +
                         "<hdop>6.0</hdop>\n\t</wpt>\n" + gpx::track(),
                     ErrorKind::Overflow,
                     "Line 7 should start a waypoint (<wpt lat=\"..\" lon=\"..\">) or the track (<trk>) but holds "
                     "a line indented deeper than a waypoint's elements."},
        SentenceCase{"a comment the file ends in",
                     gpx::header() + gpx::waypoint_start("a", {}) + "\t\t<cmt><![CDATA[compass: 1\n\t\t\t",
                     ErrorKind::InvalidArgument,
                     "Line 8 should give a whole number from -32768 to 32767 in an element such as <sat>..</sat> but "
                     "holds nothing: the file ends there."},
        SentenceCase{"a fault after a name the accuracy output extended names no setting",
                     gpx::header() + gpx::waypoint("Alpha (12.0m)", {.sat = "x"}) + gpx::track(),
                     ErrorKind::TypeMismatch,
                     "Line 7 should give a whole number from -32768 to 32767 in an element such as <sat>..</sat> but "
                     "holds \"<sat>x</sat>\"."},
        SentenceCase{"a long text is cut", gpx::header() + gpx::waypoint("a", {.date = std::string(50, '9')}),
                     ErrorKind::TypeMismatch,
                     "Line 5 should give the waypoint's date and time (<time>yyyy-mm-ddThh:mm:ssZ</time>) but holds "
                     "\"<time>" + std::string(34, '9') + "...\"."},
        SentenceCase{"a media link without its closing quote",
                     gpx::header() + gpx::waypoint_start("Foto", {}) + "\t\t<link href=\"a.jpg>\n" + gpx::track(),
                     ErrorKind::InvalidArgument,
                     "Line 7 should link a photo or sound file (<link href=\"...\">) but holds \"<link "
                     "href=\"a.jpg>\"."},
        SentenceCase{"a number name beyond a tally", gpx::header() + gpx::waypoint("40000") + gpx::track(),
                     ErrorKind::Overflow,
                     "The waypoint name \"40000\" on line 6 is a number, so it is read as a tally, which must lie "
                     "between -32768 and 32767: rename the waypoint on the phone and export the track again."},
        SentenceCase{"a cut-off file", gpx::header() + gpx::waypoint("a"), ErrorKind::InputPastEndOfFile,
                     "The file ends at line 9 before its track (<trk>), which the phone app always writes after the "
                     "waypoints: was the copy from the phone complete? Copy the file from the phone again and import "
                     "that copy."},
        // A file chosen by mistake: its fault as read, and what it is instead.
        SentenceCase{"a JPEG photo", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 20),
                     ErrorKind::IndexOutOfRange, "This is not a GPX file from the phone: it looks like a JPEG photo. " +
                                                     choose_the_gpx},
        SentenceCase{"a voice recording", std::string("\0\0\0\x18" "ftyp3gp4\0\0\0\0isom3gp4\0\0\0\x08wide", 32),
                     ErrorKind::Overflow, "This is not a GPX file from the phone: it looks like a voice "
                                                     "recording. " + choose_the_gpx},
        SentenceCase{"a ZIP", std::string("PK\x03\x04\x14\0\0\0\x08\0track.gpx", 19), ErrorKind::Overflow,
                     "This is not a GPX file from the phone: it looks like a ZIP archive. Unpack it and choose the GPX "
                     "file it holds, whose name ends in .gpx."},
        SentenceCase{"a table with a byte-order mark", "\xEF\xBB\xBF  date,lat,lon\r\n14/02/2014,51.5,-0.25\r\n",
                     ErrorKind::InputPastEndOfFile,
                     "This is not a GPX file from the phone: a GPX file starts with \"<\", and this one does not. " +
                         choose_the_gpx},
        SentenceCase{"a GPX file with a byte-order mark keeps its fault's sentence",
                     "\xEF\xBB\xBF " + gpx::header() + gpx::waypoint("a", {.sat = "x"}) + gpx::track(),
                     ErrorKind::TypeMismatch,
                     "Line 7 should give a whole number from -32768 to 32767 in an element such as <sat>..</sat> but "
                     "holds \"<sat>x</sat>\"."}));

}  // namespace
