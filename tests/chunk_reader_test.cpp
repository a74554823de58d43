#include "import/gpx/chunk_reader.h"
#include "import/runtime_error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using survey::ByteStream;
using survey::read_a_line;
using survey::skip_a_line;
using survey::split_on_spaces;

namespace {

std::vector<std::string> all_chunks(std::string_view bytes)
{
    ByteStream stream(bytes);
    std::vector<std::string> chunks;
    std::string chunk;
    while (!stream.at_end()) {
        read_a_line(stream, chunk);
        chunks.push_back(chunk);
    }
    return chunks;
}

struct ChunkCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> chunks;
};

using namespace std::string_literals;

class ReadALine : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ReadALine, CutsAtTabOrNulAndDropsTheNextByte)
{
    EXPECT_EQ(all_chunks(GetParam().bytes), GetParam().chunks) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ReadALine,
    ::testing::Values(
        ChunkCase{"tab drops the next byte", "A\tBC\t\tD", {"A", "C", "D"}},
        ChunkCase{"third tab makes an empty chunk", "A\t\t\t<BC", {"A", "", "BC"}},
        ChunkCase{"NUL ends like a tab", "A\0xB\0\0C"s, {"A", "B", "C"}},
        ChunkCase{"last byte a tab reads nothing more", "AB\t", {"AB"}},
        ChunkCase{"tab then one byte at the end", "AB\tx", {"AB"}},
        ChunkCase{"no delimiter is one chunk", "line\nnext\r\n", {"line\nnext\r\n"}},
        ChunkCase{"line feeds stay in the chunk", "\t<wpt a>\n\t\t<ele>1</ele>\n", {"", "wpt a>\n", "<ele>1</ele>\n"}},
        ChunkCase{"bytes above 127 pass through", "\xe9\xff\t\tz", {"\xe9\xff", "z"}}));

TEST(ReadALineStream, EmptyAtEndAndClearsTheTextFirst)
{
    ByteStream stream("A");
    std::string chunk = "old";
    read_a_line(stream, chunk);
    EXPECT_EQ(chunk, "A");
    read_a_line(stream, chunk);
    EXPECT_EQ(chunk, "");
}

TEST(ReadALineStream, CountsLinesOfTheNextByte)
{
    ByteStream stream("a\nb\tc\n\nd\t\ne\tf");
    std::string chunk;
    read_a_line(stream, chunk);  // "a\nb", the tab drops "c"
    EXPECT_EQ(stream.line(), 2);
    read_a_line(stream, chunk);  // "\n\nd", the tab drops a line feed
    EXPECT_EQ(chunk, "\n\nd");
    EXPECT_EQ(stream.line(), 5);
}

TEST(SkipALine, MovesPastTheSameBytesAsReading)
{
    ByteStream stream("head\nmore\t<rest");
    skip_a_line(stream);
    std::string chunk;
    read_a_line(stream, chunk);
    EXPECT_EQ(chunk, "rest");
    EXPECT_EQ(stream.line(), 2);
}

// Each chunk with the line the stream stands on after it, read as the
// parser reads them: views, copied before the next read.
std::vector<std::pair<std::string, int>> chunks_and_lines(ByteStream& stream)
{
    survey::ChunkReader reader(stream);
    std::vector<std::pair<std::string, int>> chunks;
    while (!stream.at_end()) {
        std::string chunk(reader.read_a_line());
        chunks.emplace_back(std::move(chunk), stream.line());
    }
    return chunks;
}

// A file is read in 64 KB blocks: wherever a block ends (inside a chunk, on
// its tab, or on the byte the tab drops) the chunks and lines are those read
// from memory, and a chunk may span several blocks.
TEST(ChunkReaderFromFile, BlockEndsChangeNothing)
{
    constexpr std::size_t block = 64 * 1024;
    const testing_support::TempFolder folder;
    const auto path = folder.path() / "blocks.gpx";
    for (std::size_t tab_at : {block - 3, block - 2, block - 1, block, block + 1, 3 * block + 5}) {
        std::string bytes(tab_at, 'x');
        for (std::size_t at = 100; at < tab_at; at += 1000)
            bytes[at] = '\n';
        bytes += "\t\nnext\tdrop\t<last";
        testing_support::write_file(path, bytes);
        // Binary, so that no system turns line ends into others on the way.
        std::FILE* file = std::fopen(path.string().c_str(), "rb");
        ASSERT_NE(file, nullptr);
        ByteStream from_file([file](char* out, std::size_t size) { return std::fread(out, 1, size, file); });
        ByteStream from_memory(bytes);
        EXPECT_EQ(chunks_and_lines(from_file), chunks_and_lines(from_memory)) << "tab at " << tab_at;
        std::fclose(file);
    }
}

struct SplitCase {
    std::string chunk;
    std::uint8_t kept;
    std::vector<std::string> array;
};

class SplitOnSpaces : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitOnSpaces, KeepsValuesInPlaceAndLeavesLeftovers)
{
    std::vector<std::string> a{"stale", "stale", "stale", "stale", "stale", "stale"};
    EXPECT_EQ(split_on_spaces(GetParam().chunk, a), GetParam().kept);
    EXPECT_EQ(a, GetParam().array);
}

TEST_P(SplitOnSpaces, PiecesReadInPlaceAsTheArrayHoldsThem)
{
    const survey::SpacePieces pieces(GetParam().chunk);
    const std::vector<std::string>& array = GetParam().array;
    for (std::size_t i = 0; i < array.size(); ++i)
        EXPECT_EQ(pieces.token(i), array[i]) << "token " << i;
    EXPECT_THROW(pieces.token(array.size()), survey::RuntimeError);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, SplitOnSpaces,
    ::testing::Values(
        SplitCase{"wpt lat=\"51.5\" lon=\"-0.25\">\n", 3, {"wpt", "lat=\"51.5\"", "lon=\"-0.25\">\n"}},
        SplitCase{"  ", 0, {"", "", ""}},
        SplitCase{"[x] y", 1, {"y", "y"}},
        SplitCase{"a] b", 1, {"b", "b"}},
        SplitCase{"a[b", 1, {"a[b"}},
        SplitCase{"a  b [c] d]", 2, {"a", "b", "b", "[c]", "d]"}},
        SplitCase{"a b c d e ", 5, {"a", "b", "c", "d", "e", ""}},
        SplitCase{"a b [c] d", 3, {"a", "b", "d", "d"}},
        SplitCase{"[only]", 0, {"[only]"}}));

TEST(SplitOnSpacesLimits, EmptyChunkIsAnOverflow)
{
    std::vector<std::string> a;
    try {
        split_on_spaces("", a);
        FAIL() << "an empty chunk was split";
    } catch (const survey::RuntimeError& error) {
        EXPECT_EQ(error.kind(), survey::ErrorKind::Overflow);
    }
}

TEST(SplitOnSpacesLimits, PieceCountFitsEightBits)
{
    std::vector<std::string> a;
    const std::string most = "x" + std::string(254, ' ') + "y";  // 255 pieces
    EXPECT_EQ(split_on_spaces(most, a), 2);
    EXPECT_EQ(a.size(), 255u);
    EXPECT_EQ(a[1], "y");

    EXPECT_NO_THROW(survey::check_pieces(most));
    EXPECT_NO_THROW(survey::check_pieces(std::string(254, ' ')));
    for (std::size_t spaces : {255u, 300u}) {
        const std::string too_many(spaces, ' ');
        EXPECT_THROW(split_on_spaces(too_many, a), survey::RuntimeError) << spaces << " spaces";
        EXPECT_THROW(survey::check_pieces(too_many), survey::RuntimeError) << spaces << " spaces";
    }
    EXPECT_THROW(survey::check_pieces(""), survey::RuntimeError);
}

}  // namespace
