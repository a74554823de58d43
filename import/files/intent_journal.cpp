#include "import/files/intent_journal.h"

#include "import/files/file_queries.h"

#include <algorithm>
#include <charconv>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unordered_map>

namespace survey {

namespace {

// Fields are ended by NUL, the one byte no path can hold.
constexpr char field_end = '\0';
constexpr std::string_view magic = "gpx-survey-import journal 1";
constexpr std::string_view end_mark = "end";
constexpr std::string_view copy_mark = "copy";

void put(std::string& out, std::string_view field)
{
    out += field;
    out += field_end;
}

void put(std::string& out, std::uint64_t number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    put(out, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void put(std::string& out, const std::optional<FileIdentity>& identity)
{
    put(out, identity ? "file" : "none");
    put(out, identity ? identity->device : 0);
    put(out, identity ? identity->inode : 0);
}

// Reads fields in order; once one is missing or malformed, every later read
// fails too, so a caller checks once at the end.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : rest_(bytes) {}

    bool ok() const { return ok_; }
    bool at_end() const { return rest_.empty(); }

    std::string text()
    {
        const std::size_t end = rest_.find(field_end);
        if (!ok_ || end == std::string_view::npos) {
            ok_ = false;
            return {};
        }
        std::string field(rest_.substr(0, end));
        rest_.remove_prefix(end + 1);
        return field;
    }

    std::uint64_t number()
    {
        const std::string field = text();
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        ok_ = ok_ && error == std::errc{} && end == field.data() + field.size();
        return value;
    }

    std::optional<FileIdentity> identity()
    {
        const bool present = text() == "file";
        const FileIdentity identity{number(), number()};
        return present ? std::optional(identity) : std::nullopt;
    }

private:
    std::string_view rest_;
    bool ok_ = true;
};

}  // namespace

std::optional<FileIdentity> identity_at(const std::string& path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

namespace {

std::string_view folder_of(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view name_of(std::string_view path)
{
    return path.substr(path.rfind('/') + 1);
}

// File systems whose folder entries hold the inode numbers a look-up gives;
// on others, such as FAT, an entry's number may be made up on the spot.
bool entries_carry_identities(const struct statfs& file_system)
{
    constexpr long ext4 = 0xEF53, xfs = 0x58465342, btrfs = 0x9123683E, tmpfs = 0x01021994;
    const long type = static_cast<long>(file_system.f_type);
    return type == ext4 || type == xfs || type == btrfs || type == tmpfs;
}

// Fills in the identities of the paths numbered `indices`, all in `folder`,
// from one read of the folder's entries. Returns false when the folder
// cannot be read or its entries do not carry the identities a look-up
// gives, as on some layered file systems; the caller then looks up each.
bool read_identities(std::string_view folder, const std::vector<std::size_t>& indices,
                     const std::vector<std::string_view>& paths, std::vector<std::optional<FileIdentity>>& identities)
{
    const std::string folder_path(folder);
    DIR* dir = ::opendir(folder_path.c_str());
    if (!dir)
        return false;
    std::unordered_map<std::string_view, FileIdentity> found;
    found.reserve(indices.size());
    for (const std::size_t index : indices)
        found.emplace(name_of(paths[index]), FileIdentity{});
    struct stat status;
    struct statfs file_system;
    const bool listed = ::fstat(::dirfd(dir), &status) == 0 && ::fstatfs(::dirfd(dir), &file_system) == 0 &&
                        entries_carry_identities(file_system);
    while (const dirent* entry = listed ? ::readdir(dir) : nullptr) {
        const auto name = found.find(entry->d_name);
        if (name != found.end())
            name->second = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(entry->d_ino)};
    }
    ::closedir(dir);
    for (const std::size_t index : indices) {
        const FileIdentity& identity = found.at(name_of(paths[index]));
        if (identity.inode != 0)
            identities[index] = identity;
    }
    // One look-up checks that the entries tell what a look-up tells.
    const auto sample = std::find_if(indices.begin(), indices.end(),
                                     [&identities](std::size_t index) { return identities[index].has_value(); });
    return listed && sample != indices.end() && identity_at(std::string(paths[*sample])) == identities[*sample];
}

}  // namespace

std::vector<std::optional<FileIdentity>> identities_at(const std::vector<std::string_view>& paths)
{
    // Photos come from one folder or a few, so a short list beats a hash.
    std::vector<std::pair<std::string_view, std::vector<std::size_t>>> indices_by_folder;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string_view folder = folder_of(paths[i]);
        auto group = std::find_if(indices_by_folder.begin(), indices_by_folder.end(),
                                  [folder](const auto& known) { return known.first == folder; });
        if (group == indices_by_folder.end())
            group = indices_by_folder.insert(indices_by_folder.end(), {folder, {}});
        group->second.push_back(i);
    }
    std::vector<std::optional<FileIdentity>> identities(paths.size());
    for (const auto& [folder, indices] : indices_by_folder) {
        if (indices.size() >= names_worth_a_folder_read && !folder.empty() &&
            read_identities(folder, indices, paths, identities))
            continue;
        for (const std::size_t index : indices)
            identities[index] = identity_at(std::string(paths[index]));
    }
    return identities;
}

std::string journal_path(const std::string& app_folder)
{
    return app_folder + "/import-in-progress.journal";
}

std::string encode_journal(const IntentJournal& journal)
{
    std::string out;
    // Two paths and three numbers a move.
    constexpr std::size_t per_move_beyond_paths = 64;
    std::size_t size = 256 + journal.gpx_path.size() + journal.survey_path.size() + journal.staged_path.size();
    for (const JournalMove& move : journal.moves)
        size += move.from.size() + move.to.size() + per_move_beyond_paths;
    out.reserve(size);
    put(out, magic);
    put(out, journal.gpx_path);
    put(out, journal.survey_path);
    put(out, journal.staged_path);
    put(out, journal.moves.size());
    for (const JournalMove& move : journal.moves) {
        put(out, move.from);
        put(out, move.to);
        put(out, move.source);
    }
    put(out, end_mark);
    return out;
}

std::string encode_copy_record(std::size_t move_index, const FileIdentity& copy)
{
    std::string out;
    put(out, copy_mark);
    put(out, move_index);
    put(out, std::optional(copy));
    return out;
}

std::optional<IntentJournal> decode_journal(std::string_view bytes)
{
    FieldReader in(bytes);
    IntentJournal journal;
    const bool known = in.text() == magic;
    journal.gpx_path = in.text();
    journal.survey_path = in.text();
    journal.staged_path = in.text();
    const std::uint64_t count = in.number();
    for (std::uint64_t i = 0; in.ok() && i < count; ++i) {
        JournalMove move;
        move.from = in.text();
        move.to = in.text();
        move.source = in.identity();
        journal.moves.push_back(std::move(move));
    }
    if (!known || in.text() != end_mark || !in.ok())
        return std::nullopt;
    while (!in.at_end()) {
        const bool is_copy = in.text() == copy_mark;
        const std::uint64_t index = in.number();
        const std::optional<FileIdentity> copy = in.identity();
        if (!in.ok() || !is_copy || index >= journal.moves.size())
            break;
        journal.moves[index].copy = copy;
    }
    return journal;
}

}  // namespace survey
