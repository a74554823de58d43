#include "ui/path_name.h"

#include <gtest/gtest.h>

namespace {

TEST(PathName, IsTheLastNameWhicheverSeparatorPrecedesIt)
{
    const struct {
        const char* path;
        const char* name;
    } rows[] = {
        {"/media/card/track.gpx", "track.gpx"},
        {"D:\\phone\\track.gpx", "track.gpx"},
        {"E:\\track.gpx", "track.gpx"},
        {"D:\\phone/track.gpx", "track.gpx"},
        {"/media/card\\track.gpx", "track.gpx"},
        {"track.gpx", "track.gpx"},
        {"E:\\", ""},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(name_of(row.path), row.name) << row.path;
}

TEST(PathName, JoinsANameWithTheFoldersOwnSeparator)
{
    const struct {
        const char* folder;
        const char* path;
    } rows[] = {
        {"/opt/survey", "/opt/survey/saveGPX"},
        {"C:\\Users\\ann\\survey", "C:\\Users\\ann\\survey\\saveGPX"},
        {"E:\\", "E:\\saveGPX"},
        {"/", "/saveGPX"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(path_in(row.folder, "saveGPX"), row.path) << row.folder;
}

}  // namespace
