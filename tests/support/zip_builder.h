#pragma once

#include "import/zip/archive_bytes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

namespace testing_support {

// How one entry of a ZIP made in a test is written; the defaults are the
// phone app's (Java's ZipOutputStream): deflated, the sizes in a data
// descriptor after the bytes, the UTF-8 flag on.
struct ZipEntryShape {
    bool deflate = true;
    bool utf8_flag = true;
    bool data_descriptor = true;
    bool encrypted = false;
    std::uint16_t method = 0;  // when not 0, written instead of stored or deflate
};

// Makes ZIPs in memory, whole or spoiled as a test asks.
class ZipBuilder {
public:
    void add(std::string name, std::string bytes, ZipEntryShape shape = {})
    {
        entries_.push_back({std::move(name), std::move(bytes), shape});
    }
    // Every size and offset in the ZIP64 extra field and the ZIP64 end records.
    void as_zip64() { zip64_ = true; }
    // The ZIP's comment, after its end record.
    void comment(std::string text) { comment_ = std::move(text); }
    // The directory keeps another CRC, or another size, than the bytes have.
    void spoil_crc(std::string_view name) { entry(name).crc_delta = 1; }
    void spoil_size(std::string_view name, std::int64_t delta) { entry(name).size_delta = delta; }
    // A byte of the entry's stored or deflated data flipped.
    void spoil_data(std::string_view name) { entry(name).spoil_data = true; }

    std::string finish() const
    {
        std::string out;
        std::string directory;
        for (const Entry& entry : entries_) {
            const std::uint64_t offset = out.size();
            const std::string data = stored_bytes(entry);
            const std::uint32_t crc = crc_of(entry.bytes) + entry.crc_delta;
            const std::uint64_t size = entry.bytes.size() + entry.size_delta;
            const std::uint16_t flags = static_cast<std::uint16_t>((entry.shape.encrypted ? 1 : 0) |
                                                                   (entry.shape.data_descriptor ? 8 : 0) |
                                                                   (entry.shape.utf8_flag ? 0x800 : 0));
            const std::uint16_t method = entry.shape.method ? entry.shape.method : entry.shape.deflate ? 8 : 0;
            const std::string zip64 = zip64_ ? zip64_extra({size, data.size(), offset}) : "";
            put(out, 0x04034b50, 4);
            put(out, 45, 2);
            put(out, flags, 2);
            put(out, method, 2);
            put(out, 0, 4);
            put(out, entry.shape.data_descriptor ? 0 : crc, 4);
            put(out, entry.shape.data_descriptor ? 0 : data.size(), 4);
            put(out, entry.shape.data_descriptor ? 0 : size, 4);
            put(out, entry.name.size(), 2);
            put(out, 0, 2);
            out += entry.name;
            out += data;
            if (entry.shape.data_descriptor) {
                put(out, 0x08074b50, 4);
                put(out, crc, 4);
                put(out, data.size(), 4);
                put(out, size, 4);
            }
            put(directory, 0x02014b50, 4);
            put(directory, 45, 2);
            put(directory, 45, 2);
            put(directory, flags, 2);
            put(directory, method, 2);
            put(directory, 0, 4);
            put(directory, crc, 4);
            put(directory, zip64_ ? 0xFFFFFFFF : data.size(), 4);
            put(directory, zip64_ ? 0xFFFFFFFF : size, 4);
            put(directory, entry.name.size(), 2);
            put(directory, zip64.size(), 2);
            put(directory, 0, 2);
            put(directory, 0, 4);
            put(directory, 0, 4);
            put(directory, zip64_ ? 0xFFFFFFFF : offset, 4);
            directory += entry.name + zip64;
        }
        const std::uint64_t directory_at = out.size();
        out += directory;
        if (zip64_) {
            const std::uint64_t end64_at = out.size();
            put(out, 0x06064b50, 4);
            put(out, 44, 8);
            put(out, 45, 2);
            put(out, 45, 2);
            put(out, 0, 8);
            put(out, entries_.size(), 8);
            put(out, entries_.size(), 8);
            put(out, directory.size(), 8);
            put(out, directory_at, 8);
            put(out, 0x07064b50, 4);
            put(out, 0, 4);
            put(out, end64_at, 8);
            put(out, 1, 4);
        }
        put(out, 0x06054b50, 4);
        put(out, 0, 4);
        put(out, zip64_ ? 0xFFFF : entries_.size(), 2);
        put(out, zip64_ ? 0xFFFF : entries_.size(), 2);
        put(out, zip64_ ? 0xFFFFFFFF : directory.size(), 4);
        put(out, zip64_ ? 0xFFFFFFFF : directory_at, 4);
        put(out, comment_.size(), 2);
        return out + comment_;
    }

    static std::uint32_t crc_of(std::string_view bytes)
    {
        return static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    }

private:
    struct Entry {
        std::string name;
        std::string bytes;
        ZipEntryShape shape;
        std::uint32_t crc_delta = 0;
        std::int64_t size_delta = 0;
        bool spoil_data = false;
    };

    Entry& entry(std::string_view name)
    {
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [name](const Entry& entry) { return entry.name == name; });
        if (found == entries_.end())
            throw std::invalid_argument("no entry to spoil");
        return *found;
    }

    static void put(std::string& out, std::uint64_t value, int width)
    {
        for (int i = 0; i < width; ++i, value >>= 8)
            out += static_cast<char>(value & 0xFF);
    }

    static std::string zip64_extra(std::initializer_list<std::uint64_t> values)
    {
        std::string extra;
        put(extra, 1, 2);
        put(extra, values.size() * 8, 2);
        for (const std::uint64_t value : values)
            put(extra, value, 8);
        return extra;
    }

    static std::string stored_bytes(const Entry& entry)
    {
        std::string data = entry.shape.deflate && !entry.shape.method ? deflated(entry.bytes) : entry.bytes;
        if (entry.spoil_data && !data.empty())
            data[data.size() / 2] = static_cast<char>(data[data.size() / 2] ^ 0x55);
        return data;
    }

    static std::string deflated(std::string_view bytes)
    {
        z_stream stream{};
        deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        stream.avail_in = static_cast<uInt>(bytes.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, Z_FINISH);
        out.resize(stream.total_out);
        deflateEnd(&stream);
        return out;
    }

    std::vector<Entry> entries_;
    bool zip64_ = false;
    std::string comment_;
};

// A ZIP's bytes in memory, as the reader reads a file's.
class ArchiveInMemory : public survey::ArchiveBytes {
public:
    explicit ArchiveInMemory(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    void read_at(std::uint64_t offset, char* out, std::size_t count) const override
    {
        // A read past the end is the reader's fault, which the sanitizers would not see here.
        if (offset > bytes_.size() || count > bytes_.size() - offset)
            throw std::out_of_range("a read past the ZIP's end");
        std::memcpy(out, bytes_.data() + offset, count);
    }

private:
    std::string bytes_;
};

}  // namespace testing_support
