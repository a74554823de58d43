#include "import/files/intent_journal.h"

#include "import/files/checksum.h"
#include "import/files/file_names.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <unordered_set>

namespace survey {

namespace {

// Fields are ended by NUL, the one byte no path can hold.
constexpr char field_end = '\0';
constexpr std::string_view magic = "gpx-survey-import journal";
constexpr std::string_view version = "4";
// The version before copies out of a ZIP, whose journal a start after an
// update still finishes: the same fields, without an entry for each move.
constexpr std::string_view version_without_entries = "3";
constexpr std::string_view end_mark = "end";
constexpr std::size_t checksum_digits = 16;

std::string hex_of(std::uint64_t value)
{
    std::string digits(checksum_digits, '0');
    for (std::size_t i = checksum_digits; i-- > 0; value >>= 4)
        digits[i] = "0123456789abcdef"[value & 0xf];
    return digits;
}

void put(std::string& out, std::string_view field)
{
    out += field;
    out += field_end;
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

private:
    std::string_view rest_;
    bool ok_ = true;
};

bool is_version_number(std::string_view field)
{
    return !field.empty() && field.find_first_not_of("0123456789") == std::string_view::npos;
}

IntentJournal read_fields(FieldReader& in, bool with_entries)
{
    IntentJournal journal;
    journal.gpx_path = in.text();
    journal.survey_path = in.text();
    journal.staged_path = in.text();
    journal.survey_checksum = in.number();
    journal.survey_existed = in.number() != 0;
    const std::uint64_t count = in.number();
    for (std::uint64_t i = 0; in.ok() && i < count; ++i) {
        JournalMove move;
        move.from = in.text();
        move.to = in.text();
        if (with_entries) {
            move.entry = in.text();
            move.entry_size = in.number();
            move.entry_crc = static_cast<std::uint32_t>(in.number());
        }
        journal.moves.push_back(std::move(move));
    }
    const std::uint64_t elsewhere = in.number();
    for (std::uint64_t i = 0; in.ok() && i < elsewhere; ++i)
        journal.folders_elsewhere.push_back(in.text());
    return journal;
}

// No file is named in two moves: what stands at a name tells what became of
// its one move. The entries of one ZIP are each a file of their own, and
// the ZIP, which never changes, no move's target.
bool each_file_once(const IntentJournal& journal)
{
    std::unordered_set<std::string> names;
    for (const JournalMove& move : journal.moves) {
        const std::string source = folded_name(move.from) + (move.entry.empty() ? "" : '\0' + move.entry);
        if (!names.insert(source).second || !names.insert(folded_name(move.to)).second)
            return false;
    }
    return true;
}

// An import stages a survey and moves any number of files; an archive
// stages nothing and moves one: recovery reads no other shape, and guessing
// at one could lose a file.
bool of_a_written_shape(const IntentJournal& journal)
{
    const bool archive = journal.staged_path.empty();
    const bool staged = archive ? journal.survey_path.empty() && journal.moves.size() == 1
                                : !journal.survey_path.empty();
    return staged && each_file_once(journal);
}

}  // namespace

std::vector<std::string> folders_of(const IntentJournal& journal)
{
    std::vector<std::string> folders;
    const auto add_folder_of = [&folders](const std::string& file) {
        if (!file.empty() && std::find(folders.begin(), folders.end(), parent_folder(file)) == folders.end())
            folders.push_back(parent_folder(file));
    };
    add_folder_of(journal.survey_path);
    add_folder_of(journal.staged_path);
    for (const JournalMove& move : journal.moves) {
        add_folder_of(move.from);
        add_folder_of(move.to);
    }
    return folders;
}

std::string journal_path(const std::string& app_folder)
{
    return app_folder + path_separator + "import-in-progress.journal";
}

std::string journal_draft_path(const std::string& app_folder)
{
    return journal_path(app_folder) + ".gpx-survey-import.tmp";
}

std::string encode_journal(const IntentJournal& journal)
{
    std::size_t size = 128 + journal.gpx_path.size() + journal.survey_path.size() + journal.staged_path.size();
    for (const JournalMove& move : journal.moves)
        size += move.from.size() + move.to.size() + move.entry.size() + 32;
    for (const std::string& folder : journal.folders_elsewhere)
        size += folder.size() + 1;
    std::string out;
    out.reserve(size);
    put(out, magic);
    put(out, version);
    put(out, journal.gpx_path);
    put(out, journal.survey_path);
    put(out, journal.staged_path);
    put(out, std::to_string(journal.survey_checksum));
    put(out, journal.survey_existed ? "1" : "0");
    put(out, std::to_string(journal.moves.size()));
    for (const JournalMove& move : journal.moves) {
        put(out, move.from);
        put(out, move.to);
        put(out, move.entry);
        put(out, std::to_string(move.entry_size));
        put(out, std::to_string(move.entry_crc));
    }
    put(out, std::to_string(journal.folders_elsewhere.size()));
    for (const std::string& folder : journal.folders_elsewhere)
        put(out, folder);
    put(out, end_mark);
    out += hex_of(checksum_of(out));
    return out;
}

DecodedJournal decode_journal(std::string_view bytes)
{
    if (bytes.size() < checksum_digits)
        return {std::nullopt, JournalFault::Damaged};
    const std::string_view body = bytes.substr(0, bytes.size() - checksum_digits);
    FieldReader in(body);
    if (in.text() != magic)
        return {std::nullopt, JournalFault::Damaged};
    // Another version may lay out and check its journal differently.
    const std::string written_by = in.text();
    if (written_by != version && written_by != version_without_entries)
        return {std::nullopt, is_version_number(written_by) ? JournalFault::OtherVersion : JournalFault::Damaged};
    if (bytes.substr(body.size()) != hex_of(checksum_of(body)))
        return {std::nullopt, JournalFault::Damaged};
    IntentJournal journal = read_fields(in, written_by == version);
    if (in.text() != end_mark || !in.ok() || !in.at_end() || !of_a_written_shape(journal))
        return {std::nullopt, JournalFault::Damaged};
    return {std::move(journal), JournalFault::None};
}

}  // namespace survey
