#pragma once

#include "import/files/file_effects.h"

#include <functional>
#include <string>

namespace testing_support {

// The machine's file system, except that the change numbered `fail_at`
// (counting from 1 over every change, not over looks) fails without doing
// anything, with the errno value `error_for` gives for its step. Made
// without them, it only counts. It can also act as other file systems do,
// and end the process at a step, as a crash or a power cut would. A look
// numbered in turn can fail, or a test overrides one to make it fail.
class FailingEffects : public survey::FileEffects {
public:
    using ErrorForStep = std::function<int(const std::string& step)>;

    FailingEffects() = default;
    FailingEffects(int fail_at, ErrorForStep error_for) : fail_at_(fail_at), error_for_(std::move(error_for)) {}

    // Every rename or link from one folder to another fails with EXDEV, as
    // between two file systems.
    void cross_devices() { cross_devices_ = true; }
    // Unnamed files cannot be made, as on FAT.
    void no_unnamed_files() { no_unnamed_files_ = true; }
    // No renames that refuse a taken name, as on some network file systems,
    // where hard links serve instead.
    void no_refusing_renames() { no_refusing_renames_ = true; }
    // Nor hard links, as on FAT through FUSE or exFAT.
    void no_hard_links() { no_hard_links_ = true; }
    // Each look gives a file a new inode number, as FAT does on each load.
    void invent_identities() { invent_identities_ = true; }
    // The folder `folder` lies on a card: a look at it gives another device
    // than the one it lies on.
    void on_a_card(std::string folder) { card_ = std::move(folder); }
    // The process ends at once with `_Exit` at the step numbered `step`: before
    // it, or, for a write, after half its bytes.
    void die_at(int step) { die_at_ = step; }
    // The change that fails takes effect all the same, as on a network share
    // whose answer was lost; a file it opens is closed again.
    void take_effect_when_failing() { take_effect_ = true; }
    // The first rename or link that gives a path ending in `name` its name
    // does so, then answers EIO.
    void lose_answer_naming(std::string name) { losing_ = std::move(name); }
    // The look numbered `look` (from 1, over every look) fails with EIO.
    void fail_look(int look) { fail_look_ = look; }

    int looks() const { return looks_; }
    // Whether the last change took effect, whatever it answered.
    bool took_effect() const { return took_effect_; }

    int calls() const { return calls_; }
    // The name of the step that failed, or "" when none did.
    const std::string& failed_step() const { return failed_step_; }

    int look_up(const std::string& path, survey::FileStatus& status) override;
    int open_to_read(const std::string& path, int& fd, survey::Links links) override;
    int read_some(int fd, char* out, std::size_t size, std::size_t& got) override;
    int read_at(int fd, std::uint64_t offset, char* out, std::size_t size, std::size_t& got) override;
    int status_of(int fd, survey::FileStatus& status) override;
    int may_change_folder(const std::string& folder) override;
    int may_write(const std::string& path) override;
    int read_folder_names(const std::string& folder, std::vector<std::string>& names) override;
    int read_link(const std::string& path, std::string& target) override;
    int lock_folder(const std::string& folder, int& fd) override;
    void unlock_folder(const std::string& folder, int fd) override;

    int create_new(const std::string& path, const std::string& like, int& fd) override;
    int create_unnamed(const std::string& folder, int& fd) override;
    int write_all(int fd, std::string_view bytes) override;
    int sync(int fd) override;
    int sync_folder(const std::string& folder) override;
    int close(int fd) override;
    int rename_without_replacing(const std::string& from, const std::string& to) override;
    int hard_link(const std::string& from, const std::string& to) override;
    int rename_over(const std::string& from, const std::string& to) override;
    int remove(const std::string& path) override;
    int link_unnamed(int fd, const std::string& to) override;

private:
    // The errno value to fail this step with, or 0 when it is not the one.
    int fails_now(const char* step);
    // Makes the look, or fails with EIO when it is the one to fail.
    template <typename Look>
    int look(Look call);
    // Makes `change`, which names `to`, unless this step fails without
    // taking effect.
    template <typename Change>
    int act(const char* step, Change change, const std::string& to = {});
    // The same for a change that opens `fd`, which a failure leaves at -1.
    template <typename Change>
    int open_new(const char* step, int& fd, Change change);
    bool crosses_devices(const std::string& from, const std::string& to) const;
    void invent(survey::FileStatus& status);

    int fail_at_ = 0;
    ErrorForStep error_for_;
    bool cross_devices_ = false;
    bool no_unnamed_files_ = false;
    bool no_refusing_renames_ = false;
    bool no_hard_links_ = false;
    bool invent_identities_ = false;
    bool take_effect_ = false;
    bool took_effect_ = false;
    std::string losing_;
    int fail_look_ = 0;
    int looks_ = 0;
    int die_at_ = 0;
    int calls_ = 0;
    std::uint64_t invented_ = 0;
    std::string card_;
    std::string failed_step_;
    survey::FileEffects& real_ = survey::system_file_effects();
};

}  // namespace testing_support
