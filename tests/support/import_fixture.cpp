#include "tests/support/import_fixture.h"

#include "import/waypoint_import.h"

#ifndef TEST_DATA_DIR
#error "TEST_DATA_DIR names the folder of the sample files"
#endif

namespace testing_support {

ImportFixture::ImportFixture()
{
    std::filesystem::create_directories(app() / "photosound");
    std::filesystem::create_directories(app() / "saveGPX");
    std::filesystem::create_directories(phone());
}

std::filesystem::path ImportFixture::put_gpx(const std::string& text, const std::string& name)
{
    const std::filesystem::path path = phone() / name;
    write_file(path, text);
    return path;
}

void ImportFixture::put_photos(std::initializer_list<std::string> names)
{
    for (const std::string& name : names)
        write_file(phone() / name, "JPEG of " + name);
}

void ImportFixture::put_sample()
{
    put_gpx(read_file(std::filesystem::path(TEST_DATA_DIR) / "field-day.gpx"), "field-day.gpx");
    put_photos({"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"});
}

std::optional<survey::RuntimeError> ImportFixture::import(const std::filesystem::path& gpx,
                                                          survey::FileEffects& effects)
{
    obs_count = -1;
    try {
        survey::import_waypoints(effects, gpx.string(), gpx_folder(), app().string(), obs_count);
    } catch (const survey::RuntimeError& error) {
        EXPECT_EQ(obs_count, 0) << "a failed import counts no records";
        return error;
    }
    return std::nullopt;
}

}  // namespace testing_support
