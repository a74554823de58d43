// The file-system seam on Windows: Win32's wide-character calls. A file
// stays a C runtime descriptor over its handle, so the reading half reads
// it as on any other system.
#include "import/files/file_effects.h"

#include "import/files/win32_long_path.h"
#include "import/files/win32_text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace survey {

namespace {

using win32::path_for_call;

// The one place a Win32 error becomes the seam's errno value.
int errno_from(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    // A card reader with no card, a drive letter or a share that is gone:
    // not an answer about the file.
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENODEV;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME: return ENAMETOOLONG;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION: return EOPNOTSUPP;
    default: return EIO;
    }
}

int last_error()
{
    return errno_from(::GetLastError());
}

int result_of(BOOL done)
{
    return done ? 0 : last_error();
}

// Virus scanners and indexers open a new file for a moment: a change that
// meets one waits a little, then gives up with the error. Windows says
// ERROR_ACCESS_DENIED, too, for a name whose file was deleted while another
// program still holds it open (its delete pending until then), and for a
// file replaced while held without FILE_SHARE_DELETE; a refusal for want of
// rights is only said a little later.
template <typename Call>
BOOL retrying(Call call)
{
    constexpr int tries = 10;
    constexpr DWORD pause_ms = 50;
    for (int attempt = 1;; ++attempt) {
        if (call())
            return TRUE;
        const DWORD error = ::GetLastError();
        const bool passing = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                             error == ERROR_ACCESS_DENIED;
        if (attempt == tries || !passing)
            return FALSE;
        ::Sleep(pause_ms);
        ::SetLastError(error);
    }
}

HANDLE handle_of(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// FAT and exFAT have no file numbers of their own: Windows numbers a file
// by its folder entry, which a new file may take over.
bool identity_lasts(HANDLE handle)
{
    wchar_t system[MAX_PATH + 1];
    if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1))
        return false;
    const std::wstring_view name(system);
    return !name.starts_with(L"FAT") && name != L"exFAT";
}

FileStatus status_from(const BY_HANDLE_FILE_INFORMATION& info, bool lasts)
{
    const EntryKind kind = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? EntryKind::Other
                           : info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY  ? EntryKind::Folder
                                                                              : EntryKind::File;
    const auto index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    const auto size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const auto modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime)
                                                     << 32) |
                                                    info.ftLastWriteTime.dwLowDateTime);
    return {kind, {info.dwVolumeSerialNumber, index}, size, modified, lasts};
}

int status_of_handle(HANDLE handle, FileStatus& status)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info))
        return last_error();
    status = status_from(info, identity_lasts(handle));
    return 0;
}

// A folder's flush refused for a reason that only says it has none: open
// for writing refused (ERROR_ACCESS_DENIED: the rights, or a folder marked
// read-only), or no flush of a folder on this file system at all. NTFS then
// keeps what its journal and the renames made with MOVEFILE_WRITE_THROUGH
// keep. Any other failure (the folder gone, the card out, the disk failing)
// is one, and is said.
int flush_failure(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER: return 0;
    default: return errno_from(error);
    }
}

// A descriptor over `handle`, which it then owns.
int descriptor_for(HANDLE handle, int flags, int& fd)
{
    fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd >= 0)
        return 0;
    ::CloseHandle(handle);
    return EMFILE;
}

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Win32FileEffects : public FileEffects {
public:
    int look_up(const std::string& path, FileStatus& status) override
    {
        const std::wstring name = path_for_call(path);
        HANDLE handle = INVALID_HANDLE_VALUE;
        // A name whose delete is pending answers no look until it goes.
        const BOOL opened = retrying([&] {
            handle = ::CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, share_all, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        });
        if (!opened)
            return last_error();
        const int error = status_of_handle(handle, status);
        ::CloseHandle(handle);
        return error;
    }

    int open_to_read(const std::string& path, int& fd, Links links) override
    {
        const DWORD follow = links == Links::Followed ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
        const std::wstring name = path_for_call(path);
        const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_SEQUENTIAL_SCAN | follow, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return descriptor_for(handle, _O_RDONLY, fd);
        // A folder cannot be opened as a file: say so, not that access was denied.
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EISDIR
                                                                                                : last_error();
    }

    int read_some(int fd, char* out, std::size_t size, std::size_t& got) override
    {
        DWORD read = 0;
        const BOOL done = ::ReadFile(handle_of(fd), out, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)),
                                     &read, nullptr);
        got = read;
        return result_of(done);
    }

    int read_at(int fd, std::uint64_t offset, char* out, std::size_t size, std::size_t& got) override
    {
        got = 0;
        while (got < size) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + got);
            at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
            DWORD read = 0;
            const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
            if (!::ReadFile(handle_of(fd), out + got, asked, &read, &at))
                return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : last_error();
            if (read == 0)
                break;
            got += read;
        }
        return 0;
    }

    int status_of(int fd, FileStatus& status) override { return status_of_handle(handle_of(fd), status); }

    // A card with its write-protect switch on is a read-only volume. Rights
    // Windows has no cheap question for: a folder that will not let a name
    // go refuses the removal itself, which then keeps the journal.
    int may_change_folder(const std::string& folder) override
    {
        wchar_t volume[MAX_PATH];
        DWORD flags = 0;
        if (!::GetVolumePathNameW(path_for_call(folder).c_str(), volume, MAX_PATH) ||
            !::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
            return 0;
        return flags & FILE_READ_ONLY_VOLUME ? EROFS : 0;
    }

    int may_write(const std::string& path) override
    {
        // A read-only file cannot be replaced either, whoever asks.
        const std::wstring name = path_for_call(path);
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return EACCES;
        // Refused, too, while another program (a spreadsheet) holds it open.
        HANDLE handle = INVALID_HANDLE_VALUE;
        const BOOL opened = retrying([&] {
            // Replacing needs the right to delete it too, which a program
            // that holds it open may deny while it lets others write.
            handle = ::CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, share_all, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        });
        if (!opened)
            return last_error();
        ::CloseHandle(handle);
        return 0;
    }

    int read_folder_names(const std::string& folder, std::vector<std::string>& names) override
    {
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileExW(path_for_call(folder + "\\*").c_str(), FindExInfoBasic, &found,
                                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE)
            return last_error();
        names.clear();
        do
            names.push_back(win32::utf8(found.cFileName));
        while (::FindNextFileW(search, &found));
        const DWORD error = ::GetLastError();
        ::FindClose(search);
        return error == ERROR_NO_MORE_FILES ? 0 : errno_from(error);
    }

    // A survey file that is a link is rare on Windows, and replacing it
    // replaces the link: it is taken as the file it is.
    int read_link(const std::string&, std::string&) override { return EINVAL; }

    // A file no other window may open while this one holds it, gone when it
    // closes, even when the program dies. Its share mode holds on a network
    // share too, where the server keeps it for every PC. The file of a window
    // just closing answers ERROR_ACCESS_DENIED until it goes; where no file
    // stands, that answer is the folder's own: read-only for this user.
    int lock_folder(const std::string& folder, int& fd) override
    {
        const std::wstring name = path_for_call(folder + "\\gpx-survey-import.lock");
        HANDLE handle = INVALID_HANDLE_VALUE;
        const BOOL opened = retrying([&] {
            handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        });
        if (opened)
            return descriptor_for(handle, _O_RDWR, fd);
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES &&
            ::GetLastError() == ERROR_FILE_NOT_FOUND)
            return EACCES;
        return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? EWOULDBLOCK : errno_from(error);
    }

    void unlock_folder(const std::string&, int fd) override { ::_close(fd); }

    int create_new(const std::string& path, const std::string&, int& fd) override
    {
        // The new file takes its folder's permissions, as Windows files do.
        const std::wstring name = path_for_call(path);
        HANDLE handle = INVALID_HANDLE_VALUE;
        const BOOL created = retrying([&] {
            handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        });
        if (!created)
            return last_error();
        return descriptor_for(handle, _O_WRONLY, fd);
    }

    // Windows has no files without a name: copies are made under a name of
    // the program's own.
    int create_unnamed(const std::string&, int&) override { return EOPNOTSUPP; }

    int write_all(int fd, std::string_view bytes) override
    {
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            if (!::WriteFile(handle_of(fd), bytes.data(), chunk, &written, nullptr))
                return last_error();
            bytes.remove_prefix(written);
        }
        return 0;
    }

    int sync(int fd) override { return result_of(::FlushFileBuffers(handle_of(fd))); }

    // Windows documents no flush of a folder. NTFS flushes a folder opened
    // for writing where it can, and logs every change of a name in its
    // journal besides; a rename made with MOVEFILE_WRITE_THROUGH returns
    // only once it is on disk. Which refusals leave those to stand, and
    // which are failures, flush_failure says.
    int sync_folder(const std::string& folder) override
    {
        const std::wstring name = path_for_call(folder);
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return last_error();
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ENOTDIR;
        const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, share_all, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return flush_failure(::GetLastError());
        const BOOL flushed = ::FlushFileBuffers(handle);
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        return flushed ? 0 : flush_failure(error);
    }

    int close(int fd) override { return ::_close(fd) == 0 ? 0 : EIO; }

    int rename_without_replacing(const std::string& from, const std::string& to) override
    {
        // Without MOVEFILE_COPY_ALLOWED, across volumes it fails rather than copy.
        const std::wstring source = path_for_call(from);
        const std::wstring target = path_for_call(to);
        return result_of(
            retrying([&] { return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH); }));
    }

    int hard_link(const std::string& from, const std::string& to) override
    {
        const std::wstring source = path_for_call(from);
        const std::wstring target = path_for_call(to);
        return result_of(retrying([&] { return ::CreateHardLinkW(target.c_str(), source.c_str(), nullptr); }));
    }

    // MoveFileExW over the old file is one rename on NTFS, which readers
    // see whole or not at all. ReplaceFileW is not: it renames the old file
    // aside first, and can stop between its steps.
    int rename_over(const std::string& from, const std::string& to) override
    {
        const std::wstring source = path_for_call(from);
        const std::wstring target = path_for_call(to);
        return result_of(retrying([&] {
            return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        }));
    }

    // A file this change decided to remove goes, read-only or not, as a
    // rename would have taken it.
    int remove(const std::string& path) override
    {
        const std::wstring name = path_for_call(path);
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            ::SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        return result_of(retrying([&] { return ::DeleteFileW(name.c_str()); }));
    }

    int link_unnamed(int, const std::string&) override { return EOPNOTSUPP; }
};

}  // namespace

FileEffects& system_file_effects()
{
    static Win32FileEffects effects;
    return effects;
}

}  // namespace survey
