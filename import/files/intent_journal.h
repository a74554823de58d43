#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

// One file to move, as the journal knows it: a file at `from`, or, when
// `entry` is set, a copy of that entry of the ZIP at `from`, known at the
// target by its size and CRC-32.
struct JournalMove {
    std::string from;
    std::string to;
    std::string entry = "";
    std::uint64_t entry_size = 0;
    std::uint32_t entry_crc = 0;

    // The source in words: the file, or the ZIP and the entry in it.
    std::string source_place() const { return entry.empty() ? from : from + ": " + entry; }
};

// Everything an import or an archive is about to change, on disk before the
// first change, so that after a crash the next start can finish it or undo
// it. The change commits when the staged survey file replaces the survey
// file, which then holds the bytes whose checksum the journal keeps; an
// archive, which stages nothing, commits with its one move.
struct IntentJournal {
    std::string gpx_path;
    std::string survey_path;  // empty for an archive
    std::string staged_path;  // empty for an archive
    std::uint64_t survey_checksum = 0;
    // Whether a survey file stood before, for a replace cut short to tell.
    bool survey_existed = false;
    std::vector<JournalMove> moves;
    // The folders of the change that lay on another device than the program
    // folder as it began: a card, a stick, another disk. One of them that a
    // start finds on the program folder's own device is the empty folder a
    // card leaves where it was mounted.
    std::vector<std::string> folders_elsewhere;
};

// Every folder the change named in `journal` touches, each once: the survey
// file's, which a link may put on another drive, the staged file's, and
// each move's two.
std::vector<std::string> folders_of(const IntentJournal& journal);

// Where the journal of an unfinished change to `app_folder` stands.
std::string journal_path(const std::string& app_folder);
// Where it is written and synced before it takes its name, so that under
// its name it is always whole.
std::string journal_draft_path(const std::string& app_folder);

// The journal as bytes: a version, the fields, and a checksum over them all.
std::string encode_journal(const IntentJournal& journal);

enum class JournalFault {
    None,
    // Cut, altered, not a journal at all, or of a shape no change is
    // journaled in: never written so under its name.
    Damaged,
    // Written by another version of the program, whose rules it follows.
    OtherVersion,
};

struct DecodedJournal {
    std::optional<IntentJournal> journal;
    JournalFault fault = JournalFault::None;
};

DecodedJournal decode_journal(std::string_view bytes);

}  // namespace survey
