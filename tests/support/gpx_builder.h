#pragma once

#include <string>

// GPX text in the phone app's layout: one tab per nesting level, line feeds,
// names in CDATA, a <sat> count last in each waypoint.
namespace gpx {

inline std::string header()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
           "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" creator=\"test\">\n";
}

struct Fix {
    std::string lat = "51.5";
    std::string lon = "-0.25";
    std::string date = "2014-02-14";
    std::string sat = "7";
};

inline std::string waypoint_start(const std::string& name, const Fix& fix)
{
    return "\t<wpt lat=\"" + fix.lat + "\" lon=\"" + fix.lon + "\">\n" +
           "\t\t<ele>12.5</ele>\n"
           "\t\t<time>" + fix.date + "T10:11:12Z</time>\n"
           "\t\t<name><![CDATA[" + name + "]]></name>\n";
}

inline std::string waypoint_end(const Fix& fix)
{
    return "\t\t<sat>" + fix.sat + "</sat>\n\t</wpt>\n";
}

inline std::string waypoint(const std::string& name, const Fix& fix = {})
{
    return waypoint_start(name, fix) + waypoint_end(fix);
}

// A waypoint linking a photo or sound file, as the phone app writes every
// photo and voice note, whatever name the phone's language gives it.
inline std::string linked(const std::string& name, const std::string& file, const Fix& fix = {})
{
    return waypoint_start(name, fix) + "\t\t<link href=\"" + file + "\">\n" + "\t\t\t<text>" + file +
           "</text>\n" + "\t\t</link>\n" + waypoint_end(fix);
}

inline std::string picture(const std::string& photo, const Fix& fix = {})
{
    return linked("Picture", photo, fix);
}

// The block the phone app has written between the root tag and the first
// waypoint since 2021.
inline std::string metadata()
{
    return "\t<metadata>\n\t\t<name>2025-02-06_17-34-02</name>\n\t\t<keywords>osmtracker</keywords>\n\t</metadata>\n";
}

inline std::string track()
{
    return "\t<trk>\n\t\t<name>track</name>\n\t\t<trkseg>\n\t\t</trkseg>\n\t</trk>\n</gpx>\n";
}

}  // namespace gpx
