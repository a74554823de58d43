#include "ui/system_import_core.h"

#include "import/files/win32_long_path.h"
#include "ui/win32/wide_text.h"

#include <windows.h>

std::string SystemImportCore::stored_name(const std::string& path)
{
    // A wildcard in the last name would match other entries; no stored name holds one.
    const std::string::size_type name_start = path.find_last_of("\\/") + 1;
    if (path.find_first_of("*?", name_start) != std::string::npos)
        return {};
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(survey::win32::path_for_call(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    FindClose(search);
    return utf8_text(found.cFileName);
}

void SystemImportCore::make_current_folder(const std::string& folder)
{
    SetCurrentDirectoryW(survey::win32::path_for_call(folder).c_str());
}

bool SystemImportCore::folder_is_writable(const std::string& folder)
{
    // Windows answers for this user's token only when a file is made, so one
    // is made, and goes with its handle.
    const std::wstring probe = survey::win32::path_for_call(folder + "\\gpx-survey-import.write-check");
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    const DWORD error = GetLastError();
    return error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT;
}
