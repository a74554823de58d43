#include "import/files/checksum.h"
#include "import/files/file_move.h"
#include "import/files/file_queries.h"
#include "import/files/intent_journal.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

using survey::IntentJournal;
using survey::JournalFault;

namespace {

const IntentJournal journal{"/phone/track.gpx", "/app/survey.csv", "/app/survey.csv.tmp", 0x0123456789abcdef, true,
                            {{"/phone/a b.jpg", "/app/photosound/a b.jpg"},
                             {"/phone/track.zip", "/app/photosound/c.jpg", "c.jpg", 5, 0xfedcba98}},
                            {"/phone"}};

TEST(IntentJournal, ReadsBackWhatWasWritten)
{
    const auto read = survey::decode_journal(survey::encode_journal(journal));
    ASSERT_TRUE(read.journal);
    EXPECT_EQ(read.journal->gpx_path, journal.gpx_path);
    EXPECT_EQ(read.journal->survey_path, journal.survey_path);
    EXPECT_EQ(read.journal->staged_path, journal.staged_path);
    EXPECT_EQ(read.journal->survey_checksum, journal.survey_checksum);
    EXPECT_TRUE(read.journal->survey_existed);
    ASSERT_EQ(read.journal->moves.size(), 2u);
    EXPECT_EQ(read.journal->moves[0].from, "/phone/a b.jpg");
    EXPECT_EQ(read.journal->moves[1].to, "/app/photosound/c.jpg");
    EXPECT_EQ(read.journal->moves[1].entry, "c.jpg");
    EXPECT_EQ(read.journal->moves[1].entry_size, 5u);
    EXPECT_EQ(read.journal->moves[1].entry_crc, 0xfedcba98u);
    EXPECT_EQ(read.journal->moves[0].entry, "");
    EXPECT_EQ(read.journal->folders_elsewhere, std::vector<std::string>{"/phone"});
}

// A journal under its name was written whole, so whatever else stands there
// is damage: cut at any byte, any byte changed, anything added.
TEST(IntentJournal, AnythingButWhatWasWrittenIsDamage)
{
    const std::string whole = survey::encode_journal(journal);
    for (std::size_t at = 0; at < whole.size(); ++at) {
        EXPECT_EQ(survey::decode_journal(whole.substr(0, at)).fault, JournalFault::Damaged) << "cut at " << at;
        std::string changed = whole;
        changed[at] = static_cast<char>(changed[at] ^ 0x20);
        EXPECT_EQ(survey::decode_journal(changed).fault, JournalFault::Damaged) << "changed at " << at;
    }
    EXPECT_EQ(survey::decode_journal(whole + '\0').fault, JournalFault::Damaged);
    EXPECT_EQ(survey::decode_journal("").fault, JournalFault::Damaged);
}

// Checksummed, but of a shape no change is journaled in: an archive of
// other than its one move, a survey named without its staged file, or one
// file in two moves. An import without photos moves nothing.
TEST(IntentJournal, AShapeNeverWrittenIsDamage)
{
    IntentJournal archive_of_two = journal;
    archive_of_two.survey_path.clear();
    archive_of_two.staged_path.clear();
    IntentJournal archive_of_none = archive_of_two;
    archive_of_none.moves.clear();
    IntentJournal unstaged = journal;
    unstaged.staged_path.clear();
    unstaged.moves.resize(1);
    IntentJournal one_file_twice = journal;
    one_file_twice.moves[0].from = one_file_twice.moves[1].to;
    for (const IntentJournal& shape : {archive_of_two, archive_of_none, unstaged, one_file_twice})
        EXPECT_EQ(survey::decode_journal(survey::encode_journal(shape)).fault, JournalFault::Damaged);
    IntentJournal no_photos = journal;
    no_photos.moves.clear();
    EXPECT_TRUE(survey::decode_journal(survey::encode_journal(no_photos)).journal);
}

// Another version's journal follows that version's rules, so it is not read.
TEST(IntentJournal, AnotherVersionsJournalIsNotRead)
{
    std::string newer = survey::encode_journal(journal);
    newer[newer.find('\0') + 1] = '9';
    const auto read = survey::decode_journal(newer);
    EXPECT_FALSE(read.journal);
    EXPECT_EQ(read.fault, JournalFault::OtherVersion);
}

// The version before ZIPs wrote no entries, and its journal is still finished.
TEST(IntentJournal, TheVersionBeforeZipsIsRead)
{
    std::string older("gpx-survey-import journal\0" "3\0/phone/t.gpx\0/app/survey.csv\0/app/s.tmp\0" "7\0" "1\0"
                      "1\0/phone/a.jpg\0/app/photosound/a.jpg\0" "0\0end\0", 115);
    const std::uint64_t sum = survey::checksum_of(older);
    for (int shift = 60; shift >= 0; shift -= 4)
        older += "0123456789abcdef"[sum >> shift & 0xf];
    const auto read = survey::decode_journal(older);
    ASSERT_TRUE(read.journal);
    ASSERT_EQ(read.journal->moves.size(), 1u);
    EXPECT_EQ(read.journal->moves[0].to, "/app/photosound/a.jpg");
    EXPECT_EQ(read.journal->moves[0].entry, "");
}

// Whether any of many names is taken, as the photo folder is asked.
TEST(FolderQueries, OneReadTellsWhetherAnyNameIsTaken)
{
    testing_support::TempFolder folder;
    for (int n = 0; n < 40; ++n) {
        if (n % 5 != 0)
            testing_support::write_file(folder.path() / ("p" + std::to_string(n) + ".jpg"), "jpeg");
    }
    const std::string at = folder.path().string();
    EXPECT_EQ(survey::folder_holds_any(survey::system_file_effects(), at, {"p0.jpg", "p5.jpg", "p35.jpg", "p1.jp"}), false);
    EXPECT_EQ(survey::folder_holds_any(survey::system_file_effects(), at, {"p0.jpg", "p39.jpg"}), true);
    EXPECT_EQ(survey::folder_holds_any(survey::system_file_effects(), at + "/none", {"p1.jpg"}), std::nullopt);
}

// Enough moves to ask the photo folder in one read, named as the phone
// names photos: too long to sit inside a string's own bytes.
TEST(FolderQueries, ManyMovesAreCheckedByTheirNames)
{
    testing_support::TempFolder folder;
    std::vector<survey::FileMove> moves;
    for (std::size_t n = 0; n < survey::names_worth_a_folder_read; ++n)
        moves.push_back(
            {"/phone/p.jpg", folder.path().string() + "/", "2017-11-27_14-58-" + std::to_string(10 + n) + ".jpg"});
    EXPECT_FALSE(survey::any_target_taken(survey::system_file_effects(), moves));
    testing_support::write_file(folder.path() / moves.back().name, "jpeg");
    EXPECT_TRUE(survey::any_target_taken(survey::system_file_effects(), moves));
}

}  // namespace
