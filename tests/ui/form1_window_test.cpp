#include "ui/win32/form1_controls.h"
#include "ui/win32/form1_window.h"
#include "ui/win32/wide_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// Drives the Win32 view by its controls' commands over the real core in
// real folders, with the dialog, message boxes and beep replaced so that
// nothing waits for a person. What Form1 decides is tested without a
// toolkit in form1_test.cpp.

namespace {

namespace fs = std::filesystem;
namespace id = form1_controls;

std::string bytes_of(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Form1WindowTest : public ::testing::Test {
protected:
    Form1WindowTest()
    {
        fs::create_directories(app_ / "photosound");
        fs::create_directories(app_ / "saveGPX");
        fs::create_directories(phone_);
        fs::copy_file(fs::path(TEST_DATA_DIR) / "field-day.gpx", phone_ / "field-day.gpx");
        for (const char* photo : {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"})
            fs::copy_file(fs::path(DEMO_DIR) / photo, phone_ / photo);
    }
    ~Form1WindowTest() override
    {
        window_.reset();
        // The window made the program folder current; Windows removes no current folder.
        fs::current_path(first_folder_);
        fs::remove_all(root_);
    }

    void open()
    {
        Win32Desktop desktop;
        desktop.program_folder = [this] { return utf8_text(app_.wstring()); };
        desktop.choose_file = [this](HWND, const std::wstring& start_folder) {
            dialog_folders_.push_back(start_folder);
            return std::optional<std::wstring>(gpx_.wstring());
        };
        desktop.show_box = [this](HWND, const std::wstring&, const std::wstring& text, UINT) { boxes_.push_back(text); };
        desktop.beep = [this] { ++beeps_; };
        window_ = std::make_unique<Form1Window>(GetModuleHandleW(nullptr), desktop);
        ASSERT_NE(window_->handle(), nullptr);
    }
    HWND control(int control_id) const { return GetDlgItem(window_->handle(), control_id); }
    void press(int control_id)
    {
        SendMessageW(window_->handle(), WM_COMMAND, MAKEWPARAM(control_id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(control_id)));
    }
    std::wstring text_of(int control_id) const
    {
        wchar_t text[512] = {};
        GetWindowTextW(control(control_id), text, 512);
        return text;
    }
    bool shown(int control_id) const { return GetWindowLongW(control(control_id), GWL_STYLE) & WS_VISIBLE; }
    void show_window()
    {
        ShowWindow(window_->handle(), SW_SHOWNA);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }

    fs::path first_folder_ = fs::current_path();
    fs::path root_ = fs::path(::testing::TempDir()) / ("form1-window-" + std::to_string(GetCurrentProcessId()));
    fs::path app_ = root_ / "app";
    fs::path phone_ = root_ / "phone";
    fs::path gpx_ = phone_ / "field-day.gpx";
    std::vector<std::wstring> boxes_;
    std::vector<std::wstring> dialog_folders_;
    int beeps_ = 0;
    std::unique_ptr<Form1Window> window_;
};

TEST_F(Form1WindowTest, ImportsByItsButtonsAndArchivesAtClose)
{
    open();
    EXPECT_EQ(text_of(id::cmdBrowse), L"browse to gpx file");
    EXPECT_EQ(text_of(id::Command1), L"read from gpx file");
    EXPECT_FALSE(shown(id::Command1));

    press(id::cmdBrowse);
    EXPECT_EQ(dialog_folders_, std::vector<std::wstring>{app_.wstring()});
    EXPECT_EQ(text_of(id::lblGPXfile), gpx_.wstring());
    EXPECT_TRUE(shown(id::Command1));
    EXPECT_TRUE(IsWindowEnabled(control(id::Command1)));
    EXPECT_EQ(GetFocus(), control(id::Command1));

    press(id::Command1);
    EXPECT_EQ(text_of(id::lblDone), L"Completed, 2 transit observations imported to database.");
    EXPECT_FALSE(IsWindowEnabled(control(id::Command1)));
    EXPECT_EQ(GetFocus(), control(id::cmdBrowse));
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(bytes_of(app_ / "survey.csv"), bytes_of(fs::path(TEST_DATA_DIR) / "field-day.expected-survey.csv"));
    EXPECT_TRUE(fs::exists(app_ / "photosound" / "p4.jpg"));

    SendMessageW(window_->handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window_->handle(), nullptr);
    EXPECT_TRUE(fs::exists(app_ / "saveGPX" / "field-day.gpx"));
    EXPECT_FALSE(fs::exists(gpx_));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Form1WindowTest, AnImportErrorIsShownInABox)
{
    fs::copy_file(phone_ / "p1.jpg", app_ / "photosound" / "p1.jpg");
    open();
    show_window();
    press(id::cmdBrowse);
    press(id::Command1);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].substr(0, boxes_[0].find(L'\n')), L"File already exists");
    EXPECT_EQ(text_of(id::lblDone), L"");
    EXPECT_EQ(beeps_, 0);
}

// What the start has to say waits until the window is on the screen.
TEST_F(Form1WindowTest, TheStartSpeaksOnceTheWindowShows)
{
    std::ofstream(app_ / "import-in-progress.journal") << "not a journal";
    open();
    EXPECT_TRUE(boxes_.empty());
    show_window();
    EXPECT_EQ(boxes_.size(), 1u);
}

}  // namespace
