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
    }
    return "Path/file access error";
}

namespace {

std::string describe(ErrorKind kind, int line, const std::string& path, const std::string& detail)
{
    std::string text(error_message(kind));
    if (line > 0)
        text += " at line " + std::to_string(line);
    if (!path.empty())
        text += ": " + path;
    if (!detail.empty())
        text += " (" + detail + ")";
    return text;
}

}  // namespace

RuntimeError::RuntimeError(ErrorKind kind, int line, std::string path, std::string detail)
    : std::runtime_error(describe(kind, line, path, detail)),
      kind_(kind),
      line_(line),
      path_(std::move(path)),
      detail_(std::move(detail))
{
}

RuntimeError RuntimeError::at_line(int line) const
{
    return RuntimeError(kind_, line, path_, detail_);
}

RuntimeError RuntimeError::with_detail(std::string sentence) const
{
    return RuntimeError(kind_, line_, path_, std::move(sentence));
}

}  // namespace survey
