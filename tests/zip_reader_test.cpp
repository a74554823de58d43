#include "import/zip/shared_track.h"
#include "import/zip/zip_directory.h"
#include "import/zip/zip_entry_reader.h"
#include "tests/support/zip_builder.h"

#include <gtest/gtest.h>

#include <functional>

using survey::ErrorKind;
using testing_support::ArchiveInMemory;
using testing_support::ZipBuilder;
using testing_support::ZipEntryShape;

namespace {

const std::string zip_path = "track.zip";

// Every entry's bytes, read a few at a time as the import reads them.
std::vector<std::pair<std::string, std::string>> read_back(const std::string& zip)
{
    const ArchiveInMemory bytes(zip);
    std::vector<std::pair<std::string, std::string>> read;
    for (const survey::ZipEntry& entry : survey::read_zip_directory(bytes, zip_path)) {
        survey::ZipEntryReader reader(bytes, entry, zip_path);
        std::string content;
        char block[7];
        while (const std::size_t got = reader.read_some(block, sizeof block))
            content.append(block, got);
        read.emplace_back(entry.name, content);
    }
    return read;
}

struct Shape {
    const char* what;
    std::string name;
    ZipEntryShape shape;
    bool zip64;
    std::string read_name;
    std::string comment = "";
};

// An end record of an empty ZIP, as a comment may hold one.
const std::string end_record_in_a_comment = std::string("PK\x05\x06", 4) + std::string(18, '\0');

class ZipShapes : public ::testing::TestWithParam<Shape> {};

// Whatever tool wrote the ZIP, its entries read back byte for byte.
TEST_P(ZipShapes, ReadBackByteForByte)
{
    const Shape& shape = GetParam();
    ZipBuilder zip;
    zip.add(shape.name, "the first file's bytes, and more bytes to deflate, bytes bytes bytes", shape.shape);
    zip.add("p1.jpg", std::string(5000, '\xFF'), shape.shape);
    zip.add("empty.3gpp", "", shape.shape);
    if (shape.zip64)
        zip.as_zip64();
    zip.comment(shape.comment);
    const auto read = read_back(zip.finish());
    ASSERT_EQ(read.size(), 3u) << shape.what;
    EXPECT_EQ(read[0], std::make_pair(shape.read_name,
                                      std::string("the first file's bytes, and more bytes to deflate, bytes bytes bytes")))
        << shape.what;
    EXPECT_EQ(read[1].second, std::string(5000, '\xFF')) << shape.what;
    EXPECT_EQ(read[2].second, "") << shape.what;
}

INSTANTIATE_TEST_SUITE_P(
    Zip, ZipShapes,
    ::testing::Values(Shape{"the phone app's", "track.gpx", {}, false, "track.gpx"},
                      Shape{"stored, sizes in the header", "track.gpx", {.deflate = false, .data_descriptor = false},
                            false, "track.gpx"},
                      Shape{"ZIP64", "track.gpx", {}, true, "track.gpx"},
                      Shape{"UTF-8 with the flag", "۲۰۱۷-۰۶-۰۶.gpx", {}, false, "۲۰۱۷-۰۶-۰۶.gpx"},
                      Shape{"UTF-8 without the flag", "forêt.gpx", {.utf8_flag = false}, false, "forêt.gpx"},
                      Shape{"code page 437 without the flag", "for\x88t.gpx", {.utf8_flag = false}, false,
                            "forêt.gpx"},
                      Shape{"an end record in its comment", "track.gpx", {}, false, "track.gpx",
                            end_record_in_a_comment},
                      Shape{"ZIP64, an end record in its comment", "track.gpx", {}, true, "track.gpx",
                            end_record_in_a_comment}));

struct Fault {
    const char* what;
    std::function<std::string()> zip;
    std::string entry;  // the entry the error names, if any
    std::string words;  // in its sentence
};

std::string spoiled(const std::function<void(ZipBuilder&)>& spoil)
{
    ZipBuilder zip;
    zip.add("track.gpx", std::string(3000, 'g'));
    zip.add("p1.jpg", "photo");
    spoil(zip);
    return zip.finish();
}

class ZipFaults : public ::testing::TestWithParam<Fault> {};

// Each is an Invalid file format at the ZIP, found before the import uses
// any byte of the entry as good.
TEST_P(ZipFaults, RefusedWithKindPlaceAndSentence)
{
    const Fault& fault = GetParam();
    try {
        read_back(fault.zip());
        FAIL() << fault.what << ": read";
    } catch (const survey::RuntimeError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::InvalidFileFormat) << fault.what;
        EXPECT_EQ(error.path(), zip_path) << fault.what;
        EXPECT_EQ(error.entry(), fault.entry) << fault.what;
        EXPECT_NE(error.detail().find(fault.words), std::string::npos) << fault.what << ": " << error.detail();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Zip, ZipFaults,
    ::testing::Values(
        Fault{"cut off", [] { return spoiled([](ZipBuilder&) {}).substr(0, 100); }, "", "cut off or damaged"},
        Fault{"no directory", [] { return std::string("PK\x03\x04 and nothing else"); }, "", "cut off or damaged"},
        Fault{"a damaged directory record",
              [] {
                  std::string zip = spoiled([](ZipBuilder&) {});
                  zip[zip.find("PK\x01\x02") + 1] = 'X';
                  return zip;
              },
              "", "cut off or damaged"},
        Fault{"bytes that fail their CRC", [] { return spoiled([](ZipBuilder& zip) { zip.spoil_crc("p1.jpg"); }); },
              "p1.jpg", "damaged"},
        Fault{"damaged deflate data", [] { return spoiled([](ZipBuilder& zip) { zip.spoil_data("track.gpx"); }); },
              "track.gpx", "damaged"},
        Fault{"more bytes than the directory says",
              [] { return spoiled([](ZipBuilder& zip) { zip.spoil_size("track.gpx", -1); }); }, "track.gpx", "damaged"},
        Fault{"fewer bytes than the directory says",
              [] { return spoiled([](ZipBuilder& zip) { zip.spoil_size("track.gpx", 1); }); }, "track.gpx", "damaged"},
        Fault{"encrypted",
              [] {
                  ZipBuilder zip;
                  zip.add("track.gpx", "x", {.encrypted = true});
                  return zip.finish();
              },
              "track.gpx", "password"},
        Fault{"another compression method",
              [] {
                  ZipBuilder zip;
                  zip.add("track.gpx", "x", {.method = 12});
                  return zip.finish();
              },
              "track.gpx", "another tool"},
        Fault{"a name that climbs out", [] { return spoiled([](ZipBuilder& zip) { zip.add("../p2.jpg", ""); }); },
              "../p2.jpg", "outside its own folder"},
        Fault{"an absolute name", [] { return spoiled([](ZipBuilder& zip) { zip.add("/etc/p2.jpg", ""); }); },
              "/etc/p2.jpg", "outside its own folder"},
        Fault{"a backslash", [] { return spoiled([](ZipBuilder& zip) { zip.add("a\\p2.jpg", ""); }); }, "a\\p2.jpg",
              "outside its own folder"},
        Fault{"a drive letter", [] { return spoiled([](ZipBuilder& zip) { zip.add("C:p2.jpg", ""); }); }, "C:p2.jpg",
              "outside its own folder"},
        Fault{"a control character", [] { return spoiled([](ZipBuilder& zip) { zip.add("p\n2.jpg", ""); }); },
              "p\uFFFD2.jpg", "no disk can hold"},
        Fault{"a name twice", [] { return spoiled([](ZipBuilder& zip) { zip.add("p1.jpg", "other"); }); }, "p1.jpg",
              "same name"}));

// An entry that inflates far past any photo is read in blocks like any
// other, and its size and CRC still checked at its end.
TEST(ZipEntryReader, AHugeEntryStreams)
{
    const std::string zeros(64 << 20, '\0');
    ZipBuilder zip;
    zip.add("big.gpx", zeros);
    const ArchiveInMemory bytes(zip.finish());
    EXPECT_LT(bytes.size(), 1u << 20);
    const auto entries = survey::read_zip_directory(bytes, zip_path);
    survey::ZipEntryReader reader(bytes, entries.front(), zip_path);
    std::string block(64 << 10, 'x');
    std::uint64_t total = 0;
    std::uint32_t crc = 0;
    while (const std::size_t got = reader.read_some(block.data(), block.size())) {
        total += got;
        crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(got)));
    }
    EXPECT_EQ(total, zeros.size());
    EXPECT_EQ(crc, ZipBuilder::crc_of(zeros));
    EXPECT_EQ(reader.read_some(block.data(), block.size()), 0u);
}

// The track is the one GPX file at the ZIP's root, in any case; anything
// else names what the ZIP holds.
TEST(SharedTrack, IsTheOneGpxFileAtTheRoot)
{
    const auto entries_named = [](std::vector<std::string> names) {
        std::vector<survey::ZipEntry> entries;
        for (std::string& name : names)
            entries.push_back({.name = std::move(name)});
        return entries;
    };
    const auto one = entries_named({"p1.jpg", "folder/other.gpx", "Track.GPX"});
    EXPECT_EQ(survey::the_track_entry(one, zip_path).name, "Track.GPX");
    EXPECT_EQ(survey::root_entry_named(one, "p1.jpg"), &one[0]);
    EXPECT_EQ(survey::root_entry_named(one, "P1.jpg"), nullptr);
    EXPECT_EQ(survey::root_entry_named(one, "other.gpx"), nullptr);
    for (const auto& [names, words] :
         {std::pair{std::vector<std::string>{"p1.jpg", "folder/track.gpx"}, "no GPX file"},
          std::pair{std::vector<std::string>{"a.gpx", "b.gpx"}, "2 GPX files (\"a.gpx\", \"b.gpx\")"}}) {
        try {
            survey::the_track_entry(entries_named(names), zip_path);
            ADD_FAILURE() << words;
        } catch (const survey::RuntimeError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::InvalidFileFormat);
            EXPECT_NE(error.detail().find(words), std::string::npos) << error.detail();
            EXPECT_NE(error.detail().find("Unpack it"), std::string::npos) << error.detail();
        }
    }
}

}  // namespace
