#include "import/zip/zip_entry_reader.h"

#include "import/zip/zip_fault.h"

#include <algorithm>
#include <limits>
#include <new>

#include <zlib.h>

namespace survey {

namespace {

constexpr std::uint64_t local_signature = 0x04034b50;
constexpr std::size_t local_size = 30;
constexpr std::size_t input_block = 64 * 1024;
constexpr std::uint16_t stored = 0;
constexpr std::uint16_t deflated = 8;

}  // namespace

struct ZipEntryReader::State {
    State(const ArchiveBytes& bytes, const ZipEntry& entry, std::string zip_path)
        : bytes(bytes), entry(entry), zip_path(std::move(zip_path))
    {
    }
    ~State()
    {
        if (method == deflated)
            inflateEnd(&stream);
    }

    RuntimeError fault(const std::string& sentence) const { return zip_fault(zip_path, sentence).in_entry(entry.name); }
    RuntimeError damaged() const
    {
        return fault("The file \"" + entry.name +
                     "\" in this ZIP is damaged: its bytes do not match what the ZIP says of them. Share the track "
                     "again from the phone and choose the new ZIP.");
    }

    // Where the entry's bytes begin, after its local header's name and extra field.
    void find_data()
    {
        if (entry.local_header_offset > bytes.size() || bytes.size() - entry.local_header_offset < local_size)
            throw damaged();
        char header[local_size];
        bytes.read_at(entry.local_header_offset, header, local_size);
        const std::string_view fields(header, local_size);
        if (little_endian(fields, 0, 4) != local_signature)
            throw damaged();
        data_at = entry.local_header_offset + local_size + little_endian(fields, 26, 2) + little_endian(fields, 28, 2);
        if (data_at > bytes.size() || bytes.size() - data_at < entry.compressed_size)
            throw damaged();
        input_left = entry.compressed_size;
    }

    // The next compressed bytes, a block at a time.
    std::size_t read_input(char* out, std::size_t count)
    {
        const auto now = static_cast<std::size_t>(std::min<std::uint64_t>(count, input_left));
        bytes.read_at(data_at, out, now);
        data_at += now;
        input_left -= now;
        return now;
    }

    std::size_t read_stored(char* out, std::size_t count) { return read_input(out, count); }

    std::size_t read_deflated(char* out, std::size_t count)
    {
        stream.next_out = reinterpret_cast<Bytef*>(out);
        stream.avail_out = static_cast<uInt>(std::min<std::size_t>(count, std::numeric_limits<uInt>::max()));
        const uInt asked = stream.avail_out;
        while (stream.avail_out == asked && !stream_ended) {
            if (stream.avail_in == 0 && input_left > 0) {
                stream.avail_in = static_cast<uInt>(read_input(input.data(), input.size()));
                stream.next_in = reinterpret_cast<Bytef*>(input.data());
            }
            // Inflate may hold bytes back after the input is spent: only
            // one that can make no progress says the data ends too soon.
            const int result = inflate(&stream, Z_NO_FLUSH);
            if (result == Z_STREAM_END)
                stream_ended = true;
            else if (result == Z_MEM_ERROR)
                throw std::bad_alloc();
            else if (result != Z_OK)
                throw damaged();
        }
        return asked - stream.avail_out;
    }

    // Exactly the directory's size and CRC, checked before the end is told.
    void check_whole() const
    {
        if (delivered != entry.size || crc != entry.crc32)
            throw damaged();
    }

    const ArchiveBytes& bytes;
    const ZipEntry entry;
    const std::string zip_path;
    // Deflated only once its inflate stream is set up, which then ends with it.
    std::uint16_t method = stored;
    std::uint64_t data_at = 0;
    std::uint64_t input_left = 0;
    std::uint64_t delivered = 0;
    std::uint32_t crc = 0;
    bool stream_ended = false;
    bool ended = false;
    std::string input;
    z_stream stream{};
};

ZipEntryReader::ZipEntryReader(const ArchiveBytes& bytes, const ZipEntry& entry, std::string zip_path)
    : state_(std::make_unique<State>(bytes, entry, std::move(zip_path)))
{
    State& state = *state_;
    if (entry.encrypted)
        throw state.fault("The file \"" + entry.name +
                          "\" in this ZIP is encrypted, which the phone app never does: unpack the ZIP with its "
                          "password and choose the GPX file.");
    if (entry.method != stored && entry.method != deflated)
        throw state.fault("The file \"" + entry.name +
                          "\" in this ZIP is compressed in a way the phone app never uses: unpack the ZIP with "
                          "another tool and choose the GPX file.");
    if (entry.method == stored && entry.compressed_size != entry.size)
        throw state.damaged();
    state.find_data();
    if (entry.method == deflated) {
        if (inflateInit2(&state.stream, -MAX_WBITS) != Z_OK)
            throw std::bad_alloc();
        state.method = deflated;
        state.input.resize(input_block);
    }
}

ZipEntryReader::~ZipEntryReader() = default;

std::size_t ZipEntryReader::read_some(char* out, std::size_t count)
{
    State& state = *state_;
    if (state.ended)
        return 0;
    const std::size_t got = state.method == deflated ? state.read_deflated(out, count) : state.read_stored(out, count);
    state.delivered += got;
    // More than the directory says is damage at once: an entry that inflates
    // without end is never read whole.
    if (state.delivered > state.entry.size)
        throw state.damaged();
    state.crc = static_cast<std::uint32_t>(crc32(state.crc, reinterpret_cast<const Bytef*>(out), static_cast<uInt>(got)));
    if (got == 0) {
        state.check_whole();
        state.ended = true;
    }
    return got;
}

}  // namespace survey
