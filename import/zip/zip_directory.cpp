#include "import/zip/zip_directory.h"

#include "import/zip/zip_fault.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <unordered_set>

namespace survey {

namespace {

constexpr std::uint64_t end_signature = 0x06054b50;
constexpr std::uint64_t zip64_locator_signature = 0x07064b50;
constexpr std::uint64_t zip64_end_signature = 0x06064b50;
constexpr std::uint64_t central_signature = 0x02014b50;
constexpr std::size_t end_size = 22;
constexpr std::size_t zip64_locator_size = 20;
constexpr std::size_t zip64_end_size = 56;
constexpr std::size_t central_size = 46;
constexpr std::size_t longest_comment = 0xFFFF;
// Far past any phone's track (about 46 bytes and a name a file): a larger
// directory is read into memory by no one.
constexpr std::uint64_t largest_directory = 64ull << 20;
constexpr std::uint64_t saturated_32 = 0xFFFFFFFF;
constexpr std::uint16_t encrypted_flag = 1;
constexpr std::uint16_t utf8_flag = 1 << 11;
constexpr std::uint16_t zip64_extra_id = 1;

struct Directory {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t count = 0;
};

std::string read_checked(const ArchiveBytes& bytes, std::uint64_t offset, std::uint64_t count,
                         const std::string& zip_path)
{
    if (offset > bytes.size() || count > bytes.size() - offset)
        throw damaged_zip(zip_path);
    std::string out(static_cast<std::size_t>(count), '\0');
    bytes.read_at(offset, out.data(), out.size());
    return out;
}

// The directory an end record found at `at` in `tail` (read from
// `tail_at`) tells of, the ZIP64 end record's when a locator stands just
// before it; none when its directory does not end where that record begins,
// as a signature that is only part of a comment does not.
std::optional<Directory> directory_told_at(const ArchiveBytes& bytes, const std::string& tail, std::size_t at,
                                           std::uint64_t tail_at, const std::string& zip_path)
{
    std::uint64_t record_at = tail_at + at;
    Directory directory{little_endian(tail, at + 16, 4), little_endian(tail, at + 12, 4), little_endian(tail, at + 10, 2)};
    if (record_at >= zip64_locator_size) {
        const std::string locator = read_checked(bytes, record_at - zip64_locator_size, zip64_locator_size, zip_path);
        if (little_endian(locator, 0, 4) == zip64_locator_signature) {
            record_at = little_endian(locator, 8, 8);
            const std::string end64 = read_checked(bytes, record_at, zip64_end_size, zip_path);
            if (little_endian(end64, 0, 4) != zip64_end_signature)
                return std::nullopt;
            directory = {little_endian(end64, 48, 8), little_endian(end64, 40, 8), little_endian(end64, 32, 8)};
        }
    }
    if (directory.offset > record_at || record_at - directory.offset != directory.size)
        return std::nullopt;
    return directory;
}

// The end record is the last one whose comment reaches the file's end and
// whose directory ends where it begins.
Directory find_directory(const ArchiveBytes& bytes, const std::string& zip_path)
{
    const std::uint64_t size = bytes.size();
    const std::uint64_t tail_size = std::min<std::uint64_t>(size, end_size + longest_comment);
    if (tail_size < end_size)
        throw damaged_zip(zip_path);
    const std::string tail = read_checked(bytes, size - tail_size, tail_size, zip_path);
    for (std::size_t at = tail.size() - end_size + 1; at-- > 0;) {
        if (little_endian(tail, at, 4) != end_signature || at + end_size + little_endian(tail, at + 20, 2) != tail.size())
            continue;
        const std::optional<Directory> directory = directory_told_at(bytes, tail, at, size - tail_size, zip_path);
        if (!directory)
            continue;
        if (directory->size > largest_directory || directory->count > directory->size / central_size)
            throw damaged_zip(zip_path);
        return *directory;
    }
    throw damaged_zip(zip_path);
}

// Only the fields saturated in the header are in the ZIP64 extra field, in
// this order.
void read_zip64_extra(std::string_view extra, ZipEntry& entry, const std::string& zip_path)
{
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::uint64_t id = little_endian(extra, at, 2);
        const std::size_t length = little_endian(extra, at + 2, 2);
        const std::string_view field = extra.substr(at + 4, length);
        at += 4 + length;
        if (id != zip64_extra_id)
            continue;
        std::size_t used = 0;
        for (std::uint64_t* value : {&entry.size, &entry.compressed_size, &entry.local_header_offset}) {
            if (*value != saturated_32)
                continue;
            if (used + 8 > field.size())
                throw damaged_zip(zip_path);
            *value = little_endian(field, used, 8);
            used += 8;
        }
    }
    if (entry.size == saturated_32 || entry.compressed_size == saturated_32 ||
        entry.local_header_offset == saturated_32)
        throw damaged_zip(zip_path);
}

bool is_utf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                : lead >= 0xF0 && lead < 0xF5                              ? 4
                                                                                                          : 0;
        if (length == 0 || at + length > text.size())
            return false;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return false;
        at += length;
    }
    return true;
}

// The upper half of code page 437, which a name without the UTF-8 flag is
// in when it is not UTF-8 already, as older tools wrote it.
std::string from_cp437(std::string_view name)
{
    static constexpr std::string_view upper =
        "ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
        "αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
    std::string out;
    for (const char byte : name) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            out += byte;
            continue;
        }
        std::size_t at = 0;
        for (unsigned skip = code - 0x80; skip > 0; --skip)
            do
                ++at;
            while ((static_cast<unsigned char>(upper[at]) & 0xC0) == 0x80);
        std::size_t end = at + 1;
        while (end < upper.size() && (static_cast<unsigned char>(upper[end]) & 0xC0) == 0x80)
            ++end;
        out += upper.substr(at, end - at);
    }
    return out;
}

// A name that would put a file outside the ZIP's own folder, or that no
// file system holds.
bool is_hostile_name(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos)
        return true;
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
        return true;
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return true;
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        if (name.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// The name as a message can show it: a control character, which would
// break its lines, as the replacement character.
std::string shown_name(std::string_view name)
{
    std::string shown;
    for (const char c : name)
        shown += static_cast<unsigned char>(c) < 0x20 ? std::string_view("\uFFFD") : std::string_view(&c, 1);
    return shown;
}

// `name` is UTF-8, or made so.
RuntimeError hostile_name(const std::string& zip_path, std::string_view name)
{
    return zip_fault(zip_path, "This ZIP names a file outside its own folder, or one no disk can hold, which the "
                               "phone app never does: it may not be the track the phone shared. Choose the ZIP the "
                               "phone shared, or unpack it with another tool and choose the GPX file.")
        .in_entry(shown_name(name));
}

}  // namespace

bool starts_as_zip(std::string_view first_bytes)
{
    return first_bytes.starts_with("PK\x03\x04");
}

std::vector<ZipEntry> read_zip_directory(const ArchiveBytes& bytes, const std::string& zip_path)
{
    const Directory directory = find_directory(bytes, zip_path);
    const std::string records = read_checked(bytes, directory.offset, directory.size, zip_path);
    std::vector<ZipEntry> entries;
    entries.reserve(static_cast<std::size_t>(directory.count));
    std::unordered_set<std::string> names;
    std::size_t at = 0;
    for (std::uint64_t i = 0; i < directory.count; ++i) {
        if (at + central_size > records.size() || little_endian(records, at, 4) != central_signature)
            throw damaged_zip(zip_path);
        const auto flags = static_cast<std::uint16_t>(little_endian(records, at + 8, 2));
        const std::size_t name_size = little_endian(records, at + 28, 2);
        const std::size_t extra_size = little_endian(records, at + 30, 2);
        const std::size_t comment_size = little_endian(records, at + 32, 2);
        if (at + central_size + name_size + extra_size + comment_size > records.size())
            throw damaged_zip(zip_path);
        ZipEntry entry;
        entry.method = static_cast<std::uint16_t>(little_endian(records, at + 10, 2));
        entry.crc32 = static_cast<std::uint32_t>(little_endian(records, at + 16, 4));
        entry.compressed_size = little_endian(records, at + 20, 4);
        entry.size = little_endian(records, at + 24, 4);
        entry.local_header_offset = little_endian(records, at + 42, 4);
        entry.encrypted = (flags & encrypted_flag) != 0;
        const std::string_view raw_name = std::string_view(records).substr(at + central_size, name_size);
        read_zip64_extra(std::string_view(records).substr(at + central_size + name_size, extra_size), entry, zip_path);
        at += central_size + name_size + extra_size + comment_size;
        if ((flags & utf8_flag) && !is_utf8(raw_name))
            throw hostile_name(zip_path, from_cp437(raw_name));
        entry.name = is_utf8(raw_name) ? std::string(raw_name) : from_cp437(raw_name);
        if (is_hostile_name(entry.name))
            throw hostile_name(zip_path, entry.name);
        if (!names.insert(entry.name).second)
            throw zip_fault(zip_path, "This ZIP holds two files of the same name, so which one is meant cannot be "
                                      "told: share the track again from the phone and choose the new ZIP.")
                .in_entry(entry.name);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace survey
