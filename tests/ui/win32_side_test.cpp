#include "ui/system_import_core.h"
#include "ui/win32/open_file_dialog.h"
#include "ui/win32/pixel_layout.h"
#include "ui/win32/program_folder.h"
#include "ui/win32/wide_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// What the Windows side adds beneath the shared window: texts across UTF-8
// and UTF-16, the design's twips at a screen's DPI, the program folder, and
// the core's folder calls on a real file system. The view itself is driven
// by keyboard from the zip, under wine with a display.

namespace {

TEST(WideText, CrossesToUtf16AndBackUnchanged)
{
    const struct {
        std::string utf8;
        std::wstring wide;
    } rows[] = {
        {"", L""},
        {"D:\\phone\\field-day.gpx", L"D:\\phone\\field-day.gpx"},
        {"Gr\xC3\xB6\xC3\x9F" "e.gpx", L"Gr\u00F6\u00DFe.gpx"},
        {"\xE5\x86\x99\xE7\x9C\x9F 1.jpg", L"\u5199\u771F 1.jpg"},
        {"\xF0\x9F\x93\xB7.jpg", L"\U0001F4F7.jpg"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(wide_text(row.utf8), row.wide) << row.utf8;
        EXPECT_EQ(utf8_text(row.wide), row.utf8) << row.utf8;
    }
}

TEST(PixelLayout, TakesTwipsAtTheScreensDotsPerInch)
{
    const TwipsRect cmdBrowse = form1_design::cmdBrowse_place;
    const struct {
        int dpi;
        double scale;
        RECT pixels;
    } rows[] = {
        {96, 1.0, {80, 48, 177, 65}},
        {120, 1.0, {100, 60, 221, 81}},
        {144, 1.0, {120, 72, 266, 98}},
        // A wider font grows the design alike at any resolution.
        {96, 1.5, {120, 72, 266, 98}},
    };
    for (const auto& row : rows) {
        const RECT pixels = to_pixels(cmdBrowse, row.dpi, row.scale);
        EXPECT_EQ(pixels.left, row.pixels.left) << row.dpi << " dpi, scale " << row.scale;
        EXPECT_EQ(pixels.top, row.pixels.top) << row.dpi << " dpi, scale " << row.scale;
        EXPECT_EQ(pixels.right, row.pixels.right) << row.dpi << " dpi, scale " << row.scale;
        EXPECT_EQ(pixels.bottom, row.pixels.bottom) << row.dpi << " dpi, scale " << row.scale;
    }
    const SIZE client = to_pixels(form1_design::client_width, form1_design::client_height, 96, 1.0);
    EXPECT_EQ(client.cx, 941);
    EXPECT_EQ(client.cy, 202);
}

TEST(OpenFileDialog, OffersGpxFilesFirstThenEveryFile)
{
    const wchar_t expected[] = L"GPX files and shared tracks (*.gpx;*.zip)\0*.gpx;*.zip\0All files (*.*)\0*.*\0";
    EXPECT_EQ(dialog_filters(), std::wstring(expected, std::size(expected)));
}

TEST(ProgramFolder, IsTheExecutablesFolderWithoutATrailingSeparator)
{
    const std::string folder = executable_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(wide_text(folder)) / "win32_side_tests.exe"))
        << folder;
}

// A folder whose name is not ASCII, so every call must pass it as UTF-16.
class SystemFolders : public ::testing::Test {
protected:
    SystemFolders()
    {
        folder_ = std::filesystem::path(::testing::TempDir()) /
                  (L"survey-Gr\u00F6\u00DFe-" + std::to_wstring(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / L"Field-Day.GPX") << "<gpx>";
    }
    ~SystemFolders() override { std::filesystem::remove_all(folder_); }

    std::string in_folder(const std::string& tail) const { return utf8_text(folder_.wstring()) + tail; }

    std::filesystem::path folder_;
    SystemImportCore core_;
};

// The name as the file system stores it, whatever the letter case or the
// separator asked with; "" where no one entry is named.
TEST_F(SystemFolders, StoredNameIsTheFileSystemsOwn)
{
    const struct {
        std::string tail;
        std::string stored_name;
    } rows[] = {
        {"\\field-day.gpx", "Field-Day.GPX"},
        {"/FIELD-DAY.gpx", "Field-Day.GPX"},
        {"\\Field-Day.GPX", "Field-Day.GPX"},
        {"\\gone.gpx", ""},
        {"\\*.gpx", ""},
        {"\\F?eld-Day.GPX", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(core_.stored_name(in_folder(row.tail)), row.stored_name) << row.tail;
}

TEST_F(SystemFolders, MakesTheFolderCurrent)
{
    const std::filesystem::path before = std::filesystem::current_path();
    core_.make_current_folder(in_folder(""));
    const std::filesystem::path now = std::filesystem::current_path();
    std::filesystem::current_path(before);
    EXPECT_TRUE(std::filesystem::equivalent(now, folder_)) << now;
}

// A writable folder is said to be so and keeps no trace of the check; a
// folder in doubt counts as writable, so that the import names the trouble.
TEST_F(SystemFolders, WritableFolderIsSaidWritableAndLeftAsItWas)
{
    EXPECT_TRUE(core_.folder_is_writable(in_folder("")));
    EXPECT_TRUE(core_.folder_is_writable(in_folder("\\gone")));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

// Deeper than the 260 characters older calls stop at, as a phone folder
// copied deep into Documents may be, the folder calls take the path as the
// core does. (Wine takes long paths without the "\\?\" prefix as well, so
// here this shows that the calls work with it.)
TEST(SystemFoldersDeep, TakeLongPaths)
{
    const std::wstring top = L"\\\\?\\" + std::filesystem::path(::testing::TempDir()).wstring() + L"survey-deep-" +
                             std::to_wstring(GetCurrentProcessId());
    std::vector<std::wstring> folders{top};
    while (folders.back().size() < 300)
        folders.push_back(folders.back() + L"\\a folder named at some length");
    std::filesystem::create_directories(folders.back());
    const std::wstring file = folders.back() + L"\\Field-Day.GPX";
    std::ofstream(std::filesystem::path(file)) << "<gpx>";
    const std::string folder = utf8_text(folders.back().substr(4));

    SystemImportCore core;
    EXPECT_EQ(core.stored_name(folder + "\\field-day.gpx"), "Field-Day.GPX");
    EXPECT_TRUE(core.folder_is_writable(folder));
    std::wstring before(32768, L'\0');
    before.resize(GetCurrentDirectoryW(32768, before.data()));
    core.make_current_folder(folder);
    std::wstring now(32768, L'\0');
    now.resize(GetCurrentDirectoryW(32768, now.data()));
    SetCurrentDirectoryW(before.c_str());
    EXPECT_EQ(now, folders.back().substr(4));

    // The standard library's removal stops at 260 characters.
    DeleteFileW(file.c_str());
    for (auto level = folders.rbegin(); level != folders.rend(); ++level)
        RemoveDirectoryW(level->c_str());
    EXPECT_FALSE(std::filesystem::exists(top));
}

}  // namespace
