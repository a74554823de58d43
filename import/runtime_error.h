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
};

// The user-facing text of a kind, as the window reports it.
std::string_view error_message(ErrorKind kind);

// A failure with its kind and where it happened: the GPX line whose chunk
// could not be read (0 when the failure is not about GPX content) and the
// file or folder involved (empty when no file is); and, where one helps, a
// sentence in plain words of what was expected, what was found, and what to do.
class RuntimeError : public std::runtime_error {
public:
    // A fault in the GPX content, not yet placed at its line.
    explicit RuntimeError(ErrorKind kind) : RuntimeError(kind, 0, {}) {}
    static RuntimeError at_gpx_line(ErrorKind kind, int line) { return RuntimeError(kind, line, {}); }
    static RuntimeError for_file(ErrorKind kind, std::string path) { return RuntimeError(kind, 0, std::move(path)); }

    ErrorKind kind() const noexcept { return kind_; }
    int line() const noexcept { return line_; }
    const std::string& path() const noexcept { return path_; }
    const std::string& detail() const noexcept { return detail_; }

    // The same failure, placed at a GPX line.
    RuntimeError at_line(int line) const;
    // The same failure, explained by `sentence`.
    RuntimeError with_detail(std::string sentence) const;

private:
    RuntimeError(ErrorKind kind, int line, std::string path, std::string detail = {});

    ErrorKind kind_;
    int line_;
    std::string path_;
    std::string detail_;
};

}  // namespace survey
