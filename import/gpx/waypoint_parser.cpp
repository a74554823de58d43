#include "import/gpx/waypoint_parser.h"

#include "import/gpx/chunk_reader.h"
#include "import/gpx/fault_sentence.h"
#include "import/gpx/not_gpx_sentence.h"
#include "import/gpx/phone_text.h"
#include "import/gpx/survey_record.h"
#include "import/gpx/text_conversion.h"
#include "import/gpx/waypoint_chunks.h"

#include <limits>
#include <utility>

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

    // In place, keeping the texts' room for the next sighting.
    void reset()
    {
        subject = unset;
        c_label = unset;
        skin_label = unset;
        tally = 0;
        photos.clear();
    }
};

// Where and when the current waypoint was recorded. The coordinates are
// checked on every waypoint and kept as text, views into a copy of their
// line, since only a committing one writes them.
struct Fix {
    std::string wpt_line;
    std::string_view latitude;
    std::string_view longitude;
    CalendarDate date;
};

// The layout's own text around each value cut from a chunk.
constexpr std::string_view lat_opening = "lat=\"";
constexpr std::string_view lat_closing = "\"";
constexpr std::string_view lon_opening = "lon=\"";
constexpr std::string_view lon_closing = "\">\n";
constexpr std::string_view time_opening = "<time>";
constexpr std::ptrdiff_t date_length = 10;  // yyyy-mm-dd, the time of day left out
constexpr std::string_view name_opening = "<name><![CDATA[";
// An integer element's tag is taken to be five characters long, as <sat> is.
constexpr std::string_view integer_opening = "<sat>";
constexpr std::string_view link_opening = "<link href=\"";
constexpr std::string_view picture_photo_end = "jpg";

std::ptrdiff_t length_of(std::string_view text)
{
    return static_cast<std::ptrdiff_t>(text.size());
}

// The 1-based position just past `opening`, where its value starts.
constexpr std::ptrdiff_t after(std::string_view opening)
{
    return static_cast<std::ptrdiff_t>(opening.size()) + 1;
}

// What each chunk should hold, for the sentence of a fault met there.
constexpr const char* waypoint_start = "start a waypoint (<wpt lat=\"..\" lon=\"..\">) or the track (<trk>)";
constexpr const char* elevation = "give the waypoint's elevation (<ele>..</ele>)";
constexpr const char* time_of_fix = "give the waypoint's date and time (<time>yyyy-mm-ddThh:mm:ssZ</time>)";
constexpr const char* name_element = "give the waypoint's name (<name><![CDATA[..]]></name>)";
constexpr const char* integer_element = "give a whole number from -32768 to 32767 in an element such as <sat>..</sat>";
constexpr const char* photo_link = "link a photo whose name ends in \"jpg\" (<link href=\"...jpg\">)";
constexpr const char* media_link = "link a photo or sound file (<link href=\"...\">)";
constexpr const char* not_looked_at = "continue the waypoint";

constexpr const char* too_many_waypoints =
    "The file holds more waypoints than one import can read (at most 32765): import a shorter track.";
constexpr const char* too_many_sightings =
    "The file holds more sightings than one import can write (at most 32767): import a shorter track.";

// Counts are 16-bit: stepping past 32767 is an overflow, never a wrap.
void step_up(std::int16_t& count, const char* why)
{
    if (count == std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(ErrorKind::Overflow).with_detail(why);
    ++count;
}

// The <metadata> line, "<" eaten, with nothing after it but the line end. A
// chunk with more, such as "metadata> lat=.. lon=..>", reads as a waypoint's
// first line and always has, so it must go on doing so.
bool opens_metadata(std::string_view chunk)
{
    constexpr std::string_view tag = "metadata>";
    return chunk.starts_with(tag) && chunk.find_first_not_of(" \r\n", tag.size()) == std::string_view::npos;
}

class WaypointParser {
public:
    explicit WaypointParser(ByteStream& gpx) : chunks_(gpx) {}

    ImportPlan run()
    {
        try {
            read_waypoints();
        } catch (const RuntimeError& error) {
            plan_.error = placed(error);
        }
        return std::move(plan_);
    }

private:
    // Failures of the content carry no path: unless they placed and explained
    // themselves, they are placed at their chunk and say what it should hold.
    RuntimeError placed(const RuntimeError& error)
    {
        if (!error.path().empty())
            return error;
        const RuntimeError at = error.line() > 0 ? error : error.at_line(chunk_line_);
        if (!at.detail().empty())
            return at;
        // The chunk is a view into the stream's block, which asking for the
        // file's end may read over.
        const std::string found(chunk_);
        const bool at_end = file_ended();
        return at.with_detail(fault_sentence(chunk_line_, expected_, found, at_end));
    }

    // Whether the file has ended, asked while a fault is being explained: a
    // read failing now must not hide that fault.
    bool file_ended()
    {
        try {
            return chunks_.at_end();
        } catch (const RuntimeError&) {
            return false;
        }
    }

    void read_waypoints()
    {
        std::int16_t chunk_no = 0;
        bool metadata_checked = false;
        for (;;) {
            // The phone app always ends the waypoints with the track line, so
            // a file that ends first was cut off, and its last sighting may be too.
            if (chunks_.at_end())
                throw RuntimeError::at_gpx_line(ErrorKind::InputPastEndOfFile, chunks_.line())
                    .with_detail(cut_off_sentence(chunks_.line()));
            // The first chunk is the XML declaration and root tag, never looked at.
            if (chunk_no == 0) {
                chunk_line_ = chunks_.line();
                chunks_.skip();
            } else {
                next_chunk(waypoint_start);
            }
            if (chunk_no == 1 && !std::exchange(metadata_checked, true) && opens_metadata(chunk_)) {
                skip_metadata();
                continue;
            }
            step_up(chunk_no, too_many_waypoints);
            if (chunk_no <= 1)
                continue;
            // The track's "<trk>" line, its "<" eaten by the tab before it, ends the waypoints.
            if (chunk_.starts_with("trk"))
                return;
            read_waypoint();
        }
    }

    // The block the phone app has written before the waypoints since 2021
    // holds nothing a sighting needs; its chunks are not counted.
    void skip_metadata()
    {
        while (!chunk_.starts_with("/metadata>") && !chunks_.at_end())
            next_chunk(not_looked_at);
    }

    void read_waypoint()
    {
        read_fix();
        read_name();
        const std::string_view name = name_;
        const int name_line = chunk_line_;
        // The fifth chunk is read before the name rules: a link makes a photo
        // or sound waypoint whatever the phone's language named it, and a name
        // rule takes this chunk as its integer element.
        next_body_chunk(integer_element);
        if (name == "Picture") {
            read_link(photo_in_picture_link());
        } else if (chunk_.starts_with(link_opening)) {
            read_link(file_in_link());
        } else if (is_numeric(name)) {
            sighting_.tally = tally_from(name, name_line);
            finish_waypoint();
        } else if (name.starts_with('C')) {
            sighting_.c_label = name;
            finish_waypoint();
        } else if (name.find("Skin") != std::string_view::npos) {
            sighting_.skin_label = name;
            finish_waypoint();
        } else if (name == "record sighting" && sighting_.subject != unset && sighting_.subject != name) {
            commit();
        } else {
            sighting_.subject = name;
            finish_waypoint();
        }
    }

    // The position from the <wpt> line, the elevation line skipped where
    // the fix had one, and the date from the <time> line.
    void read_fix()
    {
        fix_.wpt_line.assign(chunk_);
        const SpacePieces wpt(fix_.wpt_line);
        fix_.latitude = value_between(wpt.token(1), lat_opening, lat_closing);
        check_double(fix_.latitude);
        fix_.longitude = value_between(wpt.token(2), lon_opening, lon_closing);
        check_double(fix_.longitude);
        next_body_chunk(elevation);
        if (chunk_.starts_with(time_opening)) {
            expected_ = time_of_fix;
        } else {
            check_pieces(chunk_);
            next_body_chunk(time_of_fix);
        }
        const std::string_view time = with_latin_digits(chunk_, time_text_);
        fix_.date = text_to_date(mid(SpacePieces(time).token(0), after(time_opening), date_length));
    }

    static std::string_view value_between(std::string_view token, std::string_view opening, std::string_view closing)
    {
        return mid(token, after(opening), length_of(token) - length_of(opening) - length_of(closing));
    }

    void read_name()
    {
        next_body_chunk(name_element);
        name_.assign(mid(chunk_, after(name_opening), instr(chunk_, "]") - after(name_opening)));
        tidy_waypoint_name(name_);
    }

    std::int16_t tally_from(std::string_view name, int name_line)
    {
        try {
            return text_to_int16(name);
        } catch (const RuntimeError& error) {
            throw error.at_line(name_line).with_detail(
                "The waypoint name \"" + shortened(name) + "\" on line " + std::to_string(name_line) +
                " is a number, so it is read as a tally, which must lie between -32768 and 32767: rename the "
                "waypoint on the phone and export the track again.");
        }
    }

    // The integer element, a line such as <sat>7</sat> whose value follows a
    // five-character tag, already read; then the closing </wpt> line.
    std::int16_t finish_waypoint()
    {
        const std::int16_t value =
            text_to_int16(mid(chunk_, after(integer_opening), instr(chunk_, "</") - after(integer_opening)));
        next_body_chunk(not_looked_at);
        return value;
    }

    // A "Picture" link, <link href="p1.jpg">: the name runs up to its first
    // "jpg". Names are URL-encoded by the app, as in every link.
    std::string photo_in_picture_link()
    {
        expected_ = photo_link;
        const std::ptrdiff_t photo_end = instr(chunk_, picture_photo_end) + length_of(picture_photo_end);
        return url_decoded(mid(chunk_, after(link_opening), photo_end - after(link_opening)));
    }

    // Any other link, <link href="2017-11-27_14-58-15.3gpp">: the name runs up to the next quote.
    std::string file_in_link()
    {
        expected_ = media_link;
        const std::size_t quote = chunk_.find('"', link_opening.size());
        if (quote == std::string_view::npos)
            throw RuntimeError(ErrorKind::InvalidArgument);
        return url_decoded(chunk_.substr(link_opening.size(), quote - link_opening.size()));
    }

    // The link chunk just read, then its nested <text> line (an empty chunk
    // and the text) and </link>, then the rest of the waypoint. Photos and
    // sound recordings alike go into the photo folder and the photo list.
    void read_link(const std::string& file)
    {
        const int link_line = chunk_line_;
        for (int skipped = 0; skipped < 3; ++skipped)
            next_body_chunk(not_looked_at);
        next_body_chunk(integer_element);
        finish_waypoint();
        plan_.photo_moves.push_back({file, link_line});
        if (!sighting_.photos.empty())
            sighting_.photos += ',';
        sighting_.photos += file;
    }

    void commit()
    {
        const std::int16_t aux_value = finish_waypoint();
        append_survey_line({fix_.date, {fix_.latitude}, {fix_.longitude},
                            sighting_.subject, aux_value, sighting_.c_label, sighting_.skin_label, sighting_.tally,
                            sighting_.photos.empty() ? std::string_view("none") : sighting_.photos},
                           plan_.survey_text);
        sighting_.reset();
        step_up(plan_.record_count, too_many_sightings);
    }

    // A chunk outside a waypoint's body: where one starts, or the metadata's.
    void next_chunk(const char* expected)
    {
        take(chunks_.next(), expected);
    }

    void next_body_chunk(const char* expected)
    {
        take(chunks_.next_in_body(), expected);
    }

    void take(std::string_view chunk, const char* expected)
    {
        expected_ = expected;
        chunk_line_ = chunks_.line_read();
        chunk_ = chunk;
    }

    WaypointChunks chunks_;
    // The chunk last read, valid until the next read.
    std::string_view chunk_;
    int chunk_line_ = 0;
    const char* expected_ = waypoint_start;
    Fix fix_{};
    std::string name_;
    // The time chunk with Latin digits, where the phone wrote others.
    std::string time_text_;
    SightingState sighting_;
    ImportPlan plan_;
};

}  // namespace

ImportPlan plan_import(ByteStream& gpx)
{
    const std::optional<std::string> not_gpx = not_gpx_sentence(gpx);
    ImportPlan plan = WaypointParser(gpx).run();
    // A fault in the content of a file chosen by mistake keeps its kind and place, and says so.
    if (plan.error && plan.error->path().empty() && not_gpx)
        plan.error = plan.error->with_detail(*not_gpx);
    return plan;
}

}  // namespace survey
