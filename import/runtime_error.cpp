#include "import/runtime_error.h"

namespace survey {

std::string_view error_message(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::Overflow: return "Overflow";
    case ErrorKind::TypeMismatch: return "Type mismatch";
    case ErrorKind::InvalidArgument: return "Invalid argument";
    case ErrorKind::IndexOutOfRange: return "Index out of range";
    case ErrorKind::FileNotFound: return "File not found";
    case ErrorKind::FileAlreadyExists: return "File already exists";
    case ErrorKind::PathNotFound: return "Path not found";
    case ErrorKind::PermissionDenied: return "Permission denied";
    case ErrorKind::PathFileAccessError: return "Path/file access error";
    case ErrorKind::BadFileName: return "Bad file name";
    case ErrorKind::DeviceIoError: return "Device I/O error";
    case ErrorKind::DiskFull: return "Disk full";
    case ErrorKind::InputPastEndOfFile: return "Input past end of file";
    case ErrorKind::InvalidFileFormat: return "Invalid file format";
    }
    return "Path/file access error";
}

namespace {

std::string describe(ErrorKind kind, int line, const std::string& path, const std::string& detail,
                     const std::string& entry)
{
    std::string text(error_message(kind));
    if (line > 0)
        text += " at line " + std::to_string(line);
    if (!path.empty())
        text += ": " + path;
    if (!entry.empty())
        text += ": " + entry;
    if (!detail.empty())
        text += " (" + detail + ")";
    return text;
}

}  // namespace

RuntimeError::RuntimeError(ErrorKind kind, Place place, std::string detail)
    : std::runtime_error(describe(kind, place.line, place.path, detail, place.entry)),
      kind_(kind),
      place_(std::move(place)),
      detail_(std::move(detail))
{
}

RuntimeError RuntimeError::for_file(ErrorKind kind, std::string path)
{
    Place place;
    place.path = std::move(path);
    return RuntimeError(kind, std::move(place));
}

RuntimeError RuntimeError::at_line(int line) const
{
    Place place = place_;
    place.line = line;
    return RuntimeError(kind_, std::move(place), detail_);
}

RuntimeError RuntimeError::with_detail(std::string sentence) const
{
    return RuntimeError(kind_, place_, std::move(sentence));
}

RuntimeError RuntimeError::in_entry(std::string name) const
{
    Place place = place_;
    place.entry = std::move(name);
    return RuntimeError(kind_, std::move(place), detail_);
}

RuntimeError RuntimeError::line_in(std::string name) const
{
    Place place = place_;
    place.line_entry = std::move(name);
    return RuntimeError(kind_, std::move(place), detail_);
}

}  // namespace survey
