#pragma once

#include "import/files/file_effects.h"
#include "import/runtime_error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>

namespace testing_support {

// A program folder with its photo and archive folders, and a phone folder
// beside it that holds the GPX file and its photos.
class ImportFixture : public ::testing::Test {
protected:
    ImportFixture();

    std::filesystem::path app() const { return root_.path() / "app"; }
    std::filesystem::path phone() const { return root_.path() / "phone"; }
    std::filesystem::path survey_csv() const { return app() / "survey.csv"; }
    // With the system's own separator, as the window passes it.
    std::string gpx_folder() const { return (phone() / "").string(); }

    std::filesystem::path put_gpx(const std::string& text, const std::string& name = "track.gpx");
    void put_photos(std::initializer_list<std::string> names);
    void put_sample();

    // Runs the import; on failure returns the error and checks obs_count is 0.
    std::optional<survey::RuntimeError> import(const std::filesystem::path& gpx,
                                               survey::FileEffects& effects = survey::system_file_effects());
    std::int16_t obs_count = -1;

    Tree everything() const { return snapshot(root_.path()); }

private:
    TempFolder root_;
};

}  // namespace testing_support
