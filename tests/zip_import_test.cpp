#include "import/gpx/byte_stream.h"
#include "import/gpx/waypoint_parser.h"
#include "import/waypoint_import.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/failing_effects.h"
#include "tests/support/import_fixture.h"
#include "tests/support/zip_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <vector>

namespace fs = std::filesystem;
using survey::ErrorKind;
using testing_support::read_file;
using testing_support::write_file;

namespace {

struct Entry {
    std::string name;
    std::string bytes;
};

const std::string sample_gpx = read_file(fs::path(TEST_DATA_DIR) / "field-day.gpx");

// The sample as the phone app shares it: its GPX file, its photos and a
// voice recording no waypoint links, deflated, at the ZIP's root.
std::vector<Entry> shared_sample()
{
    std::vector<Entry> entries{{"field-day.gpx", sample_gpx}};
    for (const char* photo : {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"})
        entries.push_back({photo, std::string("JPEG of ") + photo});
    entries.push_back({"2025-05-23_01-07-04.3gpp", "voice"});
    return entries;
}

class ZipImport : public testing_support::ImportFixture {
protected:
    // `spoil` may change the ZIP's bytes once they are made.
    fs::path put_zip(const std::vector<Entry>& entries,
                     const std::function<void(testing_support::ZipBuilder&)>& spoil = {},
                     const std::string& name = "field-day.zip")
    {
        testing_support::ZipBuilder zip;
        for (const Entry& entry : entries)
            zip.add(entry.name, entry.bytes);
        if (spoil)
            spoil(zip);
        const fs::path path = phone() / name;
        write_file(path, zip.finish());
        return path;
    }
};

TEST_F(ZipImport, TheSharedSampleImportsAsFromAFolderAndIsArchivedWhole)
{
    const fs::path zip = put_zip(shared_sample());
    const std::string zip_bytes = read_file(zip);
    const auto error = import(zip);
    ASSERT_FALSE(error) << error->what();
    EXPECT_EQ(obs_count, 2);
    EXPECT_EQ(read_file(survey_csv()), read_file(fs::path(TEST_DATA_DIR) / "field-day.expected-survey.csv"));
    for (const char* photo : {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"})
        EXPECT_EQ(read_file(app() / "photosound" / photo), std::string("JPEG of ") + photo);
    EXPECT_FALSE(fs::exists(app() / "photosound" / "2025-05-23_01-07-04.3gpp")) << "no waypoint links it";
    EXPECT_EQ(read_file(zip), zip_bytes) << "the ZIP never changes";

    survey::archive_gpx(zip.string(), "field-day.zip", app().string());
    EXPECT_FALSE(fs::exists(zip));
    EXPECT_EQ(read_file(app() / "saveGPX" / "field-day.zip"), zip_bytes);
}

// A ZIP as the phone makes it whatever the app's settings: every optional
// output of the GPX file is set aside as in a folder.
TEST_F(ZipImport, AGpxWithEveryOptionalOutputReadsInPlace)
{
    const std::string text = gpx::header() + gpx::waypoint("roe deer", {.after_name = gpx::accuracy_compass_comment,
                                                                        .after_sat = gpx::extensions_2021}) +
                             gpx::waypoint("record sighting") + gpx::track();
    const auto error = import(put_zip({{"2025-05-23_01-07-04_etiqueta.gpx", text}}));
    ASSERT_FALSE(error) << error->what();
    EXPECT_EQ(obs_count, 1);
}

// The ZIP opens once, to be read, and then no more, as when it is moved away
// before its photos are copied out.
class GoneOnceRead : public testing_support::FailingEffects {
public:
    explicit GoneOnceRead(std::string zip) : zip_(std::move(zip)) {}
    int open_to_read(const std::string& path, int& fd, survey::Links links) override
    {
        if (path == zip_ && opened_++ > 0)
            return ENOENT;
        return FailingEffects::open_to_read(path, fd, links);
    }

private:
    std::string zip_;
    int opened_ = 0;
};

TEST_F(ZipImport, AZipGoneBeforeItsPhotosAreCopiedIsNamedAsSuch)
{
    const fs::path zip = put_zip(shared_sample());
    const auto before = everything();
    GoneOnceRead effects(zip.string());
    const auto error = import(zip, effects);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ErrorKind::FileNotFound) << error->what();
    EXPECT_EQ(error->path(), zip.string());
    EXPECT_EQ(error->entry(), "p1.jpg");
    EXPECT_NE(error->detail().find("could not be read again"), std::string::npos) << error->detail();
    EXPECT_EQ(everything(), before);
}

struct ZipFault {
    const char* what;
    std::vector<Entry> entries;
    std::function<void(testing_support::ZipBuilder&)> spoil;
    ErrorKind kind;
    int line;           // of the GPX file in the ZIP
    std::string entry;  // the entry the error names
    std::string words;       // in its sentence
};

class ZipFaultTable : public ZipImport, public ::testing::WithParamInterface<ZipFault> {};

// Whatever is wrong with a shared track, every file stays as it was, and
// the error names the ZIP, the file in it and the GPX line.
TEST_P(ZipFaultTable, RefusedWithItsPlaceAndNothingChanges)
{
    const ZipFault& fault = GetParam();
    write_file(survey_csv(), "earlier survey\r\n");
    const fs::path zip = put_zip(fault.entries, fault.spoil);
    const auto before = everything();
    const auto error = import(zip);
    ASSERT_TRUE(error) << fault.what;
    EXPECT_EQ(error->kind(), fault.kind) << fault.what << ": " << error->what();
    EXPECT_EQ(error->line(), fault.line) << fault.what;
    EXPECT_EQ(error->line_entry(), fault.line ? "field-day.gpx" : "") << fault.what;
    EXPECT_EQ(error->entry(), fault.entry) << fault.what;
    if (!fault.entry.empty() || fault.kind == ErrorKind::InvalidFileFormat) {
        EXPECT_EQ(error->path(), zip.string()) << fault.what;
    }
    EXPECT_NE(error->detail().find(fault.words), std::string::npos) << fault.what << ": " << error->detail();
    EXPECT_EQ(everything(), before) << fault.what;
}

std::vector<Entry> sample_with(std::function<void(std::vector<Entry>&)> change)
{
    std::vector<Entry> entries = shared_sample();
    change(entries);
    return entries;
}

const auto without = [](const std::string& name) {
    return sample_with([name](std::vector<Entry>& entries) {
        std::erase_if(entries, [&name](const Entry& entry) { return entry.name == name; });
    });
};

INSTANTIATE_TEST_SUITE_P(
    SharedTracks, ZipFaultTable,
    ::testing::Values(
        ZipFault{"no GPX file", without("field-day.gpx"), {}, ErrorKind::InvalidFileFormat, 0, "", "npack"},
        ZipFault{"two GPX files",
                 sample_with([](std::vector<Entry>& entries) { entries.push_back({"other.GPX", sample_gpx}); }),
                 {}, ErrorKind::InvalidFileFormat, 0, "", "npack"},
        ZipFault{"a photo the ZIP does not hold", without("p3.jpg"), {}, ErrorKind::FileNotFound, 61, "p3.jpg",
                 "share the track again"},
        ZipFault{"a photo whose bytes fail their CRC", shared_sample(),
                 [](testing_support::ZipBuilder& zip) { zip.spoil_crc("p2.jpg"); }, ErrorKind::InvalidFileFormat, 52,
                 "p2.jpg", "damaged"},
        ZipFault{"the GPX file's bytes damaged", shared_sample(),
                 [](testing_support::ZipBuilder& zip) { zip.spoil_crc("field-day.gpx"); },
                 ErrorKind::InvalidFileFormat, 0, "field-day.gpx", "damaged"},
        ZipFault{"a content fault in the GPX file",
                 sample_with([](std::vector<Entry>& entries) {
                     entries[0].bytes.replace(entries[0].bytes.find("<sat>7"), 6, "<sat>x");
                 }),
                 {}, ErrorKind::TypeMismatch, 13, "", ""}));

// What an import gives: the error's kind, line and content sentence (the
// place and a missing photo's sentence differ by design), the survey and
// every file the photo folder then holds.
std::string outcome_of(const std::optional<survey::RuntimeError>& error, const testing_support::Tree& app_tree)
{
    std::string outcome = "OK";
    if (error) {
        outcome = std::string(survey::error_message(error->kind())) + " at " + std::to_string(error->line());
        if (error->path().empty())
            outcome += ": " + error->detail();
    }
    for (const auto& [path, content] : app_tree)
        if (path.find("journal") == std::string::npos && path.find("lock") == std::string::npos)
            outcome += "\n" + path + " " + content;
    return outcome;
}

// Every seed and real phone file imports from a ZIP exactly as from a
// folder: with every linked file there, and with none.
TEST_F(ZipImport, AnyFileImportsFromAZipAsFromItsFolder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& seed : fs::directory_iterator(fs::path(TEST_DATA_DIR).parent_path() / "fuzz" /
                                                                  "seeds"))
        if (seed.path().extension() == ".gpx")
            files.push_back(seed.path());
    for (const fs::directory_entry& phone_file : fs::directory_iterator(fs::path(TEST_DATA_DIR) / "phone-files"))
        files.push_back(phone_file.path());
    const testing_support::Tree start = everything();
    for (const fs::path& file : files) {
        const std::string text = read_file(file);
        survey::ByteStream stream(text);
        std::vector<Entry> media;
        for (const survey::PhotoMove& photo : survey::plan_import(stream).photo_moves)
            if (photo.photo.find_first_of("/\\") == std::string::npos && photo.photo.size() < 200 &&
                !photo.photo.empty() &&
                std::none_of(media.begin(), media.end(), [&](const Entry& entry) { return entry.name == photo.photo; }))
                media.push_back({photo.photo, "media " + photo.photo});
        for (const bool with_media : {true, false}) {
            const std::string where = file.filename().string() + (with_media ? ", with its media" : ", without");
            std::vector<Entry> entries{{"track.gpx", text}};
            if (with_media) {
                for (const Entry& entry : media)
                    write_file(phone() / entry.name, entry.bytes);
                entries.insert(entries.end(), media.begin(), media.end());
            }
            const auto from_folder = import(put_gpx(text));
            const std::string folder_outcome = outcome_of(from_folder, testing_support::snapshot(app()));
            testing_support::restore(app().parent_path(), start);
            const auto from_zip = import(put_zip(entries, {}, "track.zip"));
            EXPECT_EQ(outcome_of(from_zip, testing_support::snapshot(app())), folder_outcome) << where;
            testing_support::restore(app().parent_path(), start);
        }
    }
}

}  // namespace
