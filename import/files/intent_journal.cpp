#include "import/files/intent_journal.h"

#include <charconv>
#include <sys/stat.h>

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
    put(out, std::to_string(number));
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

std::string journal_path(const std::string& app_folder)
{
    return app_folder + "/import-in-progress.journal";
}

std::string encode_journal(const IntentJournal& journal)
{
    std::string out;
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
