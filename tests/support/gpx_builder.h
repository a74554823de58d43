#pragma once

#include <optional>
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
    // The app writes an elevation only when the fix had one.
    std::optional<std::string> ele = "12.5";
    // The lines its optional outputs add after the name (a comment) and
    // after the satellites (HDOP, extensions).
    std::string after_name = "";
    std::string after_sat = "";
};

inline std::string waypoint_start(const std::string& name, const Fix& fix)
{
    return "\t<wpt lat=\"" + fix.lat + "\" lon=\"" + fix.lon + "\">\n" +
           (fix.ele ? "\t\t<ele>" + *fix.ele + "</ele>\n" : "") +
           "\t\t<time>" + fix.date + "T10:11:12Z</time>\n"
           "\t\t<name><![CDATA[" + name + "]]></name>\n" + fix.after_name;
}

inline std::string waypoint_end(const Fix& fix)
{
    return "\t\t<sat>" + fix.sat + "</sat>\n" + fix.after_sat + "\t</wpt>\n";
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

// The optional outputs' lines as the app's versions write them: comments of
// one to three lines, the later ones indented by three tabs, some with a
// space after them; extensions at two and three tabs until 2020, at four
// and five since, with the phone's decimal comma in the pressure.
inline const std::string compass_comment =
    "\t\t<cmt><![CDATA[compass: 132.9270477294922\n\t\t\tcompass accuracy: 0]]></cmt>\n";
inline const std::string accuracy_comment = "\t\t<cmt><![CDATA[accuracy: 12.0m]]></cmt>\n";
inline const std::string accuracy_compass_comment =
    "\t\t<cmt><![CDATA[accuracy: 3.0m\n\t\t\t compass heading: 289.77deg\n\t\t\t compass accuracy: 3]]></cmt>\n";
inline const std::string hdop = "\t\t<hdop>0.7580000162124634</hdop>\n";
inline const std::string extensions_2013 =
    "\t\t<extensions>\n\t\t\t<compass>204.0</compass>\n\t\t\t<compass_accuracy>2</compass_accuracy>\n"
    "\t\t</extensions>\n";
inline const std::string extensions_2021 =
    "\t\t\t\t<extensions>\n\t\t\t\t\t<compass>204.029998779297</compass>\n"
    "\t\t\t\t\t<compass_accuracy>2.0</compass_accuracy>\n\t\t\t\t\t<baro>1013,2</baro>\n"
    "\t\t\t\t</extensions>\n";

inline std::string track()
{
    return "\t<trk>\n\t\t<name>track</name>\n\t\t<trkseg>\n\t\t</trkseg>\n\t</trk>\n</gpx>\n";
}

}  // namespace gpx
