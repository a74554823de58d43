#include "import/gpx/waypoint_parser.h"

#include "import/gpx/chunk_reader.h"
#include "import/gpx/survey_record.h"
#include "import/gpx/text_conversion.h"

#include <limits>

namespace survey {

namespace {

const std::string unset = "unset";

// The sighting gathered from consecutive waypoints until one commits it.
struct SightingState {
    std::string subject = unset;
    std::string c_label = unset;
    std::string skin_label = unset;
    std::int16_t tally = 0;
    std::string photos;
};

// Where and when the current waypoint was recorded.
struct Fix {
    double latitude;
    double longitude;
    CalendarDate date;
};

// Counts are 16-bit: stepping past 32767 is an overflow, never a wrap.
void step_up(std::int16_t& count)
{
    if (count == std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(ErrorKind::Overflow);
    ++count;
}

std::ptrdiff_t length_of(const std::string& text)
{
    return static_cast<std::ptrdiff_t>(text.size());
}

class WaypointParser {
public:
    explicit WaypointParser(ByteStream& gpx) : gpx_(gpx) {}

    ImportPlan run()
    {
        try {
            read_waypoints();
        } catch (const RuntimeError& error) {
            // Failures of the content carry no path; place them at their chunk.
            plan_.error = error.path().empty() ? error.at_line(chunk_line_) : error;
        }
        return std::move(plan_);
    }

private:
    void read_waypoints()
    {
        std::int16_t chunk_no = 0;
        while (!gpx_.at_end()) {
            // The first chunk is the XML declaration and root tag, never looked at.
            if (chunk_no == 0) {
                chunk_line_ = gpx_.line();
                skip_a_line(gpx_);
            } else {
                next_chunk();
            }
            step_up(chunk_no);
            if (chunk_no <= 1)
                continue;
            // The track's "<trk>" line, its "<" eaten by the tab before it, ends the waypoints.
            if (chunk_.starts_with("trk"))
                return;
            read_waypoint();
        }
    }

    void read_waypoint()
    {
        const Fix fix = read_fix();
        next_chunk();
        const std::string name(mid(chunk_, 16, instr(chunk_, "]") - 16));
        // A line break inside a name would split its survey record in two.
        if (name.find_first_of("\r\n") != std::string::npos)
            throw RuntimeError(ErrorKind::InvalidArgument);
        if (is_numeric(name)) {
            sighting_.tally = text_to_int16(name);
            finish_waypoint();
        } else if (name == "Picture") {
            read_picture();
        } else if (name.starts_with('C')) {
            sighting_.c_label = name;
            finish_waypoint();
        } else if (name.find("Skin") != std::string::npos) {
            sighting_.skin_label = name;
            finish_waypoint();
        } else if (name == "record sighting" && sighting_.subject != unset && sighting_.subject != name) {
            commit(fix);
        } else {
            sighting_.subject = name;
            finish_waypoint();
        }
    }

    // The position from the <wpt> line, the elevation line skipped, and the
    // date from the <time> line.
    Fix read_fix()
    {
        Fix fix{};
        split_on_spaces(chunk_, tokens_);
        const std::string& lat = token(1);
        fix.latitude = text_to_double(mid(lat, 6, length_of(lat) - 6));
        const std::string& lon = token(2);
        fix.longitude = text_to_double(mid(lon, 6, length_of(lon) - 8));
        next_chunk();
        split_on_spaces(chunk_, tokens_);
        next_chunk();
        split_on_spaces(chunk_, tokens_);
        fix.date = text_to_date(mid(token(0), 7, 10));
        return fix;
    }

    // The integer element, a line such as <sat>7</sat> whose value follows a
    // five-character tag, then the closing </wpt> line.
    std::int16_t finish_waypoint()
    {
        next_chunk();
        const std::int16_t value = text_to_int16(mid(chunk_, 6, instr(chunk_, "</") - 6));
        next_chunk();
        return value;
    }

    // <link href="p1.jpg">, then its nested <text> line (an empty chunk and
    // the text) and </link>, then the rest of the waypoint.
    void read_picture()
    {
        next_chunk();
        const int link_line = chunk_line_;
        const std::string photo(mid(chunk_, 13, instr(chunk_, "jpg") - 10));
        for (int skipped = 0; skipped < 3; ++skipped)
            next_chunk();
        finish_waypoint();
        plan_.photo_moves.push_back({photo, link_line});
        if (!sighting_.photos.empty())
            sighting_.photos += ',';
        sighting_.photos += photo;
    }

    void commit(const Fix& fix)
    {
        const std::int16_t aux_value = finish_waypoint();
        append_survey_line({fix.date, fix.latitude, fix.longitude, sighting_.subject, aux_value, sighting_.c_label,
                            sighting_.skin_label, sighting_.tally,
                            sighting_.photos.empty() ? "none" : sighting_.photos},
                           plan_.survey_text);
        sighting_ = SightingState{};
        step_up(plan_.record_count);
    }

    void next_chunk()
    {
        chunk_line_ = gpx_.line();
        read_a_line(gpx_, chunk_);
    }

    const std::string& token(std::size_t index) const
    {
        if (index >= tokens_.size())
            throw RuntimeError(ErrorKind::IndexOutOfRange);
        return tokens_[index];
    }

    ByteStream& gpx_;
    std::string chunk_;
    int chunk_line_ = 0;
    std::vector<std::string> tokens_;
    SightingState sighting_;
    ImportPlan plan_;
};

}  // namespace

ImportPlan plan_import(ByteStream& gpx)
{
    return WaypointParser(gpx).run();
}

}  // namespace survey
