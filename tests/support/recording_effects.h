#pragma once

#include "tests/support/failing_effects.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// One change that succeeded, with what a model of a power cut needs to
// replay it. Files are numbered in the order they were made.
struct RecordedChange {
    enum class Kind {
        NewFile,      // `file` made, named `path`, or unnamed when `path` is empty
        Write,        // `bytes` appended to `file`
        SyncFile,     // `file`'s data durable
        SyncFolder,   // every earlier name change in the folder `path` durable
        Rename,       // `path` to `to`, refusing a taken name
        RenameOver,   // `path` to `to`, replacing what `to` named
        HardLink,     // `to` names what `path` names, refusing a taken name
        LinkUnnamed,  // `to` names `file`, refusing a taken name
        Remove,       // `path` named nothing more
    };
    Kind kind{};
    int file = -1;
    std::string path{};
    std::string to{};
    std::string bytes{};
};

// The machine's file system, acting as FailingEffects makes it act, that
// logs every change that succeeded. A close changes nothing a power cut
// could keep or lose, so it is not logged.
class RecordingEffects : public FailingEffects {
public:
    const std::vector<RecordedChange>& changes() const { return changes_; }

    int create_new(const std::string& path, const std::string& like, int& fd) override;
    int create_unnamed(const std::string& folder, int& fd) override;
    int write_all(int fd, std::string_view bytes) override;
    int sync(int fd) override;
    int sync_folder(const std::string& folder) override;
    int rename_without_replacing(const std::string& from, const std::string& to) override;
    int hard_link(const std::string& from, const std::string& to) override;
    int rename_over(const std::string& from, const std::string& to) override;
    int remove(const std::string& path) override;
    int link_unnamed(int fd, const std::string& to) override;

private:
    // Logs `change` when it took effect, whatever it answered; returns `error`.
    int record(int error, RecordedChange change);
    // `fd` by reference: it is read once the call that opens it has run.
    int record_new_file(int error, const int& fd, const std::string& path);

    std::vector<RecordedChange> changes_;
    // The file each open descriptor was made for; a closed one's number is reused.
    std::map<int, int> file_of_;
    int files_made_ = 0;
};

}  // namespace testing_support
