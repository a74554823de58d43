#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace survey {

// The kinds of failure an import or an archive move can end with.
enum class ErrorKind {
    Overflow,
    TypeMismatch,
    InvalidArgument,
    IndexOutOfRange,
    FileNotFound,
    FileAlreadyExists,
    PathNotFound,
    PermissionDenied,
    PathFileAccessError,
    BadFileName,
    DeviceIoError,
    // No room left on the disk, or in the user's share of it.
    DiskFull,
    // The file ended before the track line that closes the waypoints.
    InputPastEndOfFile,
    // A ZIP cut off, damaged, or made in a way no phone makes one.
    InvalidFileFormat,
};

// The user-facing text of a kind, as the window reports it.
std::string_view error_message(ErrorKind kind);

// A failure with its kind and where it happened: the GPX line whose chunk
// could not be read (0 when the failure is not about GPX content) and, when
// the GPX file is an entry of the chosen ZIP, its name there; the file or
// folder involved (empty when no file is) and, for a file inside a ZIP, the
// entry's name there; and, where one helps, a sentence in plain words of
// what was expected, what was found, and what to do.
class RuntimeError : public std::runtime_error {
public:
    // A fault in the GPX content, not yet placed at its line.
    explicit RuntimeError(ErrorKind kind) : RuntimeError(kind, Place{}) {}
    static RuntimeError at_gpx_line(ErrorKind kind, int line) { return RuntimeError(kind).at_line(line); }
    static RuntimeError for_file(ErrorKind kind, std::string path);

    ErrorKind kind() const noexcept { return kind_; }
    int line() const noexcept { return place_.line; }
    const std::string& path() const noexcept { return place_.path; }
    const std::string& detail() const noexcept { return detail_; }
    // The entry of the chosen ZIP whose line line() is; empty for a GPX file.
    const std::string& line_entry() const noexcept { return place_.line_entry; }
    // The entry of the ZIP at path() the failure is in; empty for a plain file.
    const std::string& entry() const noexcept { return place_.entry; }

    // The same failure, placed at a GPX line.
    RuntimeError at_line(int line) const;
    // The same failure, explained by `sentence`.
    RuntimeError with_detail(std::string sentence) const;
    // The same failure, placed in the entry `name` of the ZIP at path().
    RuntimeError in_entry(std::string name) const;
    // The same failure, its line read in the entry `name` of the chosen ZIP.
    RuntimeError line_in(std::string name) const;

private:
    struct Place {
        int line = 0;
        std::string line_entry;
        std::string path;
        std::string entry;
    };
    RuntimeError(ErrorKind kind, Place place, std::string detail = {});

    ErrorKind kind_;
    Place place_;
    std::string detail_;
};

}  // namespace survey
