#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

// Which file stands at a path: the same device and inode is the same file,
// whatever its name now.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileIdentity&) const = default;
};

// What stands at `path`, not following a final symbolic link; nothing when
// nothing does.
std::optional<FileIdentity> identity_at(const std::string& path);

// The same for many paths: one read of a folder serves all its names, far
// cheaper than a look-up each when an import moves hundreds of photos.
std::vector<std::optional<FileIdentity>> identities_at(const std::vector<std::string_view>& paths);

// One file to move, as the journal knows it.
struct JournalMove {
    std::string from;
    std::string to;
    // The file at `from` when the journal was written: after a rename it
    // stands at `to`, which tells a move made from a file that was there before.
    std::optional<FileIdentity> source;
    // The copy made at `to` when the move crossed file systems.
    std::optional<FileIdentity> copy;
};

// Everything an import or an archive is about to change, written and synced
// before the first change, so that after a crash the next start can finish
// it or undo it. The change commits when the staged survey file replaces the
// survey file; an archive, which stages nothing, commits with its one move.
struct IntentJournal {
    std::string gpx_path;
    std::string survey_path;  // empty for an archive
    std::string staged_path;  // empty for an archive
    std::vector<JournalMove> moves;
};

// Where the journal of an unfinished change to `app_folder` stands.
std::string journal_path(const std::string& app_folder);

// The journal as bytes, ended by a mark that tells a whole one from one cut
// short; copy records are appended after the mark as copies are made.
std::string encode_journal(const IntentJournal& journal);
std::string encode_copy_record(std::size_t move_index, const FileIdentity& copy);

// Nothing when the bytes are cut short before the end mark. A copy record cut
// short is left out: its copy was never given its name.
std::optional<IntentJournal> decode_journal(std::string_view bytes);

}  // namespace survey
