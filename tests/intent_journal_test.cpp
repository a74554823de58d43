#include "import/files/file_queries.h"
#include "import/files/intent_journal.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

using survey::FileIdentity;
using survey::IntentJournal;

namespace {

const IntentJournal journal{"/phone/track.gpx", "/app/survey.csv", "/app/survey.csv.tmp",
                            {{"/phone/a b.jpg", "/app/photosound/a b.jpg", FileIdentity{7, 42}, std::nullopt},
                             {"/phone/none.jpg", "/app/photosound/none.jpg", std::nullopt, std::nullopt}}};

TEST(IntentJournal, ReadsBackWhatWasWrittenAndItsCopies)
{
    const std::string bytes = survey::encode_journal(journal) + survey::encode_copy_record(1, {9, 99});
    const auto read = survey::decode_journal(bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->gpx_path, journal.gpx_path);
    EXPECT_EQ(read->staged_path, journal.staged_path);
    ASSERT_EQ(read->moves.size(), 2u);
    EXPECT_EQ(read->moves[0].to, "/app/photosound/a b.jpg");
    EXPECT_EQ(read->moves[0].source, (FileIdentity{7, 42}));
    EXPECT_EQ(read->moves[0].copy, std::nullopt);
    EXPECT_EQ(read->moves[1].source, std::nullopt);
    EXPECT_EQ(read->moves[1].copy, (FileIdentity{9, 99}));
}

// Whatever byte a crash cut it at, a journal reads as whole or as nothing,
// and a copy record reads as whole or is left out.
TEST(IntentJournal, CutShortReadsAsNothingOrWithoutTheCutCopy)
{
    const std::string whole = survey::encode_journal(journal);
    const std::string copy = survey::encode_copy_record(0, {9, 99});
    for (std::size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_FALSE(survey::decode_journal(whole.substr(0, cut))) << "cut at " << cut;
    for (std::size_t cut = 0; cut < copy.size(); ++cut) {
        const auto read = survey::decode_journal(whole + copy.substr(0, cut));
        ASSERT_TRUE(read) << "cut at " << cut;
        EXPECT_EQ(read->moves[0].copy, std::nullopt) << "cut at " << cut;
    }
}

// Many names are read from their folder at once; the result must be what a
// look-up of each gives.
TEST(IntentJournal, FolderReadGivesTheIdentitiesLookUpsGive)
{
    testing_support::TempFolder folder;
    std::vector<std::string> paths;
    for (int n = 0; n < 40; ++n) {
        paths.push_back((folder.path() / ("p" + std::to_string(n) + ".jpg")).string());
        if (n % 5 != 0)
            testing_support::write_file(paths.back(), "jpeg");
    }
    paths.push_back(paths[1]);
    const std::vector<std::string_view> views(paths.begin(), paths.end());
    const auto identities = survey::identities_at(views);
    ASSERT_EQ(identities.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(identities[i], survey::identity_at(paths[i])) << paths[i];

    // And whether any of many names is taken, as the photo folder is asked.
    const std::string at = folder.path().string();
    EXPECT_EQ(survey::folder_holds_any(at, {"p0.jpg", "p5.jpg", "p35.jpg", "p1.jp"}), false);
    EXPECT_EQ(survey::folder_holds_any(at, {"p0.jpg", "p39.jpg"}), true);
    EXPECT_EQ(survey::folder_holds_any(at + "/none", {"p1.jpg"}), std::nullopt);
}

}  // namespace
