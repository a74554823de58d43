// How fast a GPX file imports, against what the file system alone needs for
// the same reads, writes and renames; and how fast it is read, against a
// plain scan for the tabs of the same bytes.
#include "import/gpx/chunk_reader.h"
#include "import/files/file_effects.h"
#include "import/files/chosen_file.h"
#include "import/files/program_folders.h"
#include "import/waypoint_import.h"
#include "import/gpx/waypoint_parser.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/zip_builder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;
using testing_support::TempFolder;

namespace {

// 1092 sightings of 5 waypoints is 32,761 chunks in all, about 900 KB.
constexpr int typical_sightings = 1092;
// The waypoint count limit: 6553 sightings of 5 is 32,765 waypoints.
constexpr int largest_sightings = 6553;
constexpr int photo_count = 820;

// Coordinates as long as the phone app writes them.
gpx::Fix fix_for(int n)
{
    return {.lat = "-31.710102330030" + std::to_string(10 + n % 90),
            .lon = "105.97661334809" + std::to_string(10 + n % 90),
            .date = "2014-09-" + std::to_string(10 + n % 19),
            .sat = std::to_string(n % 20)};
}

// A sighting of five waypoints: subject, two labels, a tally and the commit;
// with `photo` set, a Picture waypoint replaces the tally.
std::string sighting(int n, const std::string& photo)
{
    const gpx::Fix fix = fix_for(n);
    return gpx::waypoint("roe deer " + std::to_string(n), fix) + gpx::waypoint("Calf", fix) +
           gpx::waypoint("wetSkin", fix) + (photo.empty() ? gpx::waypoint("3", fix) : gpx::picture(photo, fix)) +
           gpx::waypoint("record sighting", fix);
}

// A fix as the phone app writes it: Java's shortest text of each double,
// 16 or 17 significant digits, and with `optional_lines` what its accuracy,
// compass and barometer outputs add to every waypoint.
gpx::Fix phone_fix_for(int n, bool optional_lines)
{
    const auto java_text = [](double value) {
        char text[32];
        return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
    };
    // Spread over the digits as a walk's fixes are, the same every run.
    const double step = static_cast<double>((n * 2654435761u) % 1000003u) / 1000003.0;
    gpx::Fix fix{.lat = java_text(52.390936746066224 + step * 0.01),
                 .lon = java_text(13.040484398739443 - step * 0.01),
                 .date = "2017-07-" + std::to_string(10 + n % 19),
                 .sat = std::to_string(n % 20),
                 .ele = java_text(84.87601224758882 + step * 10)};
    if (optional_lines) {
        fix.after_name = gpx::compass_comment;
        fix.after_sat = gpx::hdop + gpx::extensions_2021;
    }
    return fix;
}

// The sighting above with the phone's fixes, its names ending in an
// accuracy where the optional lines are on.
std::string phone_sighting(int n, bool optional_lines)
{
    const gpx::Fix fix = phone_fix_for(n, optional_lines);
    const std::string accuracy = optional_lines ? " (3.7899999618530273m)" : "";
    return gpx::waypoint("roe deer " + std::to_string(n) + accuracy, fix) + gpx::waypoint("Calf" + accuracy, fix) +
           gpx::waypoint("wetSkin" + accuracy, fix) + gpx::waypoint("3" + accuracy, fix) +
           gpx::waypoint("record sighting" + accuracy, fix);
}

std::string photo_name(int n)
{
    return "IMG_" + std::to_string(100000 + n) + ".jpg";
}

// A file that imports: `sightings`, the first `photos` of them with a photo each.
std::string gpx_text(int sightings, int photos)
{
    std::string text = gpx::header();
    for (int n = 0; n < sightings; ++n)
        text += sighting(n, n < photos ? photo_name(n) : "");
    return text + gpx::track();
}

// A program folder and a phone folder holding a GPX of `sightings`, the
// first `photos` of them with a photo each.
struct Setup {
    TempFolder root;
    fs::path app = root.path() / "app";
    fs::path phone = root.path() / "phone";
    fs::path gpx_path = phone / "track.gpx";
    int photos;

    Setup(int sightings, int photos) : photos(photos)
    {
        fs::create_directories(app / "photosound");
        fs::create_directories(phone);
        testing_support::write_file(gpx_path, gpx_text(sightings, photos));
        for (int n = 0; n < photos; ++n)
            testing_support::write_file(phone / photo_name(n), "jpeg");
    }

    void return_photos() const
    {
        for (int n = 0; n < photos; ++n)
            fs::rename(app / "photosound" / photo_name(n), phone / photo_name(n));
    }
};

void run_import(benchmark::State& state, int sightings, int photos)
{
    const Setup setup(sightings, photos);
    std::int16_t obs_count = 0;
    for (auto _ : state) {
        survey::import_waypoints(setup.gpx_path.string(), setup.phone.string() + "/", setup.app.string(),
                                 obs_count);
        state.PauseTiming();
        if (photos > 0)
            setup.return_photos();
        state.ResumeTiming();
    }
    state.counters["records"] = obs_count;
    state.counters["gpx_bytes"] = static_cast<double>(fs::file_size(setup.gpx_path));
}

// The whole file through the import's own reader. A stream iterator costs
// ten times the read itself, which would lift the floor above the import.
std::size_t read_whole(const fs::path& path)
{
    survey::ChosenFile gpx(survey::system_file_effects(), path.string());
    survey::ByteStream stream = gpx.stream();
    std::size_t total = 0;
    while (!stream.at_end()) {
        const std::size_t size = stream.buffered().size();
        total += size;
        stream.consume(size, 0);
    }
    return total;
}

void write_synced(const fs::path& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) < 0 || ::fsync(fd) != 0)
        throw std::runtime_error("floor write failed");
    ::close(fd);
}

void sync_folder(const std::string& folder)
{
    if (survey::system_file_effects().sync_folder(folder) != 0)
        throw std::runtime_error("floor folder sync failed");
}

// The reads, writes and renames of an import with no parsing at all: the
// survey it writes, and a journal as long as the photo list.
class Floor {
public:
    explicit Floor(const Setup& setup) : setup_(setup)
    {
        std::int16_t obs_count = 0;
        survey::import_waypoints(setup.gpx_path.string(), setup.phone.string() + "/", setup.app.string(),
                                 obs_count);
        survey_text_ = testing_support::read_file(survey::survey_path(setup.app.string()));
        setup.return_photos();
        for (int n = 0; n < setup.photos; ++n)
            journal_text_ += (setup.phone / photo_name(n)).string() + '\0';
    }

    // One synced write and the renames.
    void plain() const
    {
        benchmark::DoNotOptimize(read_whole(setup_.gpx_path));
        write_synced(temp_, survey_text_);
        move_photos();
        fs::rename(temp_, survey_);
    }

    // What a crash-safe import must do besides: a journal before the first
    // move, synced under a draft name and renamed, on disk with its folder;
    // the photo folders synced after the moves; the program folder after the
    // survey's rename and after the journal goes. Folders are read only for
    // copies across file systems, which these moves are not.
    void crash_safe() const
    {
        benchmark::DoNotOptimize(read_whole(setup_.gpx_path));
        write_synced(temp_, survey_text_);
        const std::string app = setup_.app.string();
        if (setup_.photos > 0) {
            write_synced(journal_draft_, journal_text_);
            fs::rename(journal_draft_, journal_);
            sync_folder(app);
            move_photos();
            sync_folder(setup_.phone.string());
            sync_folder((setup_.app / "photosound").string());
        }
        fs::rename(temp_, survey_);
        sync_folder(app);
        if (setup_.photos > 0) {
            fs::remove(journal_);
            sync_folder(app);
        }
    }

private:
    void move_photos() const
    {
        for (int n = 0; n < setup_.photos; ++n)
            fs::rename(setup_.phone / photo_name(n), setup_.app / "photosound" / photo_name(n));
    }

    const Setup& setup_;
    std::string survey_text_;
    std::string journal_text_;
    fs::path temp_ = setup_.app / "floor.tmp";
    fs::path survey_ = setup_.app / "floor.csv";
    fs::path journal_ = setup_.app / "floor.journal";
    fs::path journal_draft_ = setup_.app / "floor.journal.draft";
};

template <typename Step>
void run_floor(benchmark::State& state, Step step)
{
    const Setup setup(typical_sightings, photo_count);
    const Floor floor(setup);
    for (auto _ : state) {
        step(floor);
        state.PauseTiming();
        setup.return_photos();
        state.ResumeTiming();
    }
}

// On a shared machine a run is only ever slowed, never sped up, by its
// neighbours: the fastest of the repetitions is the steadiest figure.
double fastest(const std::vector<double>& times)
{
    return *std::min_element(times.begin(), times.end());
}

void BM_ImportNoPhotos(benchmark::State& state)
{
    run_import(state, static_cast<int>(state.range(0)), 0);
}
BENCHMARK(BM_ImportNoPhotos)->Arg(typical_sightings)->Arg(largest_sightings)->Unit(benchmark::kMillisecond);

void BM_ImportWithPhotos(benchmark::State& state)
{
    run_import(state, typical_sightings, photo_count);
}
BENCHMARK(BM_ImportWithPhotos)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

void BM_FileSystemFloorWithPhotos(benchmark::State& state)
{
    run_floor(state, [](const Floor& floor) { floor.plain(); });
}
BENCHMARK(BM_FileSystemFloorWithPhotos)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

void BM_CrashSafeFloorWithPhotos(benchmark::State& state)
{
    run_floor(state, [](const Floor& floor) { floor.crash_safe(); });
}
BENCHMARK(BM_CrashSafeFloorWithPhotos)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

double seconds_of(const auto& step)
{
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times the steps in turn on every iteration, each followed by `reset`,
// untimed, and keeps the fastest of each: a neighbour's load then slows each
// alike. The first step's time is the iteration's.
std::vector<double> fastest_in_turns(benchmark::State& state, const auto& reset, const auto&... steps)
{
    std::vector<double> fastest(sizeof...(steps), std::numeric_limits<double>::infinity());
    const auto timed = [&reset](const auto& step) {
        const double seconds = seconds_of(step);
        reset();
        return seconds;
    };
    for (auto _ : state) {
        const double turn[] = {timed(steps)...};
        for (std::size_t i = 0; i < fastest.size(); ++i)
            fastest[i] = std::min(fastest[i], turn[i]);
        state.SetIterationTime(turn[0]);
    }
    return fastest;
}

// The photo import against both floors, in turns.
void BM_ImportAgainstFloors(benchmark::State& state)
{
    const Setup setup(typical_sightings, photo_count);
    const Floor floor(setup);
    std::int16_t obs_count = 0;
    const std::vector<double> fastest = fastest_in_turns(
        state, [&] { setup.return_photos(); },
        [&] {
            survey::import_waypoints(setup.gpx_path.string(), setup.phone.string() + "/", setup.app.string(),
                                     obs_count);
        },
        [&] { floor.plain(); }, [&] { floor.crash_safe(); });
    state.counters["import_ms"] = fastest[0] * 1e3;
    state.counters["floor_ms"] = fastest[1] * 1e3;
    state.counters["crash_safe_floor_ms"] = fastest[2] * 1e3;
    state.counters["import_per_floor"] = fastest[0] / fastest[1];
    state.counters["import_per_crash_safe_floor"] = fastest[0] / fastest[2];
}
BENCHMARK(BM_ImportAgainstFloors)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ChunkReaderAndSplitter(benchmark::State& state)
{
    std::string text = gpx::header();
    for (int n = 0; n < typical_sightings; ++n)
        text += sighting(n, "");
    std::string chunk;
    std::vector<std::string> tokens;
    for (auto _ : state) {
        survey::ByteStream stream(text);
        while (!stream.at_end()) {
            survey::read_a_line(stream, chunk);
            if (!chunk.empty())
                benchmark::DoNotOptimize(survey::split_on_spaces(chunk, tokens));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ChunkReaderAndSplitter)->Unit(benchmark::kMicrosecond);

survey::ImportPlan plan_of(std::string_view text)
{
    survey::ByteStream stream(text);
    return survey::plan_import(stream);
}

// The pure step alone: GPX bytes in memory to survey lines and photo moves.
void BM_PlanFromMemory(benchmark::State& state)
{
    const std::string text = gpx_text(typical_sightings, static_cast<int>(state.range(0)));
    if (plan_of(text).error)
        state.SkipWithError("the file does not import");
    for (auto _ : state)
        benchmark::DoNotOptimize(plan_of(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PlanFromMemory)->Arg(0)->Arg(photo_count)->Unit(benchmark::kMicrosecond);

// What any reader of the file must do at least: find every tab.
std::size_t count_tabs(std::string_view bytes)
{
    std::size_t tabs = 0;
    const char* end = bytes.data() + bytes.size();
    for (const char* at = bytes.data(); (at = static_cast<const char*>(std::memchr(at, '\t', end - at))); ++at)
        ++tabs;
    return tabs;
}

// The parse of `text` against the tab scan of its bytes, in turns.
void plan_against_tab_scan(benchmark::State& state, const std::string& text)
{
    if (plan_of(text).error)
        state.SkipWithError("the file does not import");
    const std::vector<double> fastest =
        fastest_in_turns(state, [] {}, [&] { benchmark::DoNotOptimize(plan_of(text)); },
                         [&] { benchmark::DoNotOptimize(count_tabs(text)); });
    state.counters["plan_us"] = fastest[0] * 1e6;
    state.counters["scan_us"] = fastest[1] * 1e6;
    state.counters["plan_per_scan"] = fastest[0] / fastest[1];
    state.counters["gpx_bytes"] = static_cast<double>(text.size());
}

// A file with no photos.
void BM_PlanAgainstTabScan(benchmark::State& state)
{
    plan_against_tab_scan(state, gpx_text(static_cast<int>(state.range(0)), 0));
}
BENCHMARK(BM_PlanAgainstTabScan)
    ->Arg(typical_sightings)
    ->Arg(largest_sightings)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// A day's sightings with the phone's own fixes, with or without the lines
// of its optional outputs.
std::string phone_track(bool optional_lines)
{
    std::string text = gpx::header();
    for (int n = 0; n < typical_sightings; ++n)
        text += phone_sighting(n, optional_lines);
    return text + gpx::track();
}

// The phone's track, without and with its optional lines.
void BM_PhonePlanAgainstTabScan(benchmark::State& state)
{
    plan_against_tab_scan(state, phone_track(state.range(0) != 0));
}
BENCHMARK(BM_PhonePlanAgainstTabScan)->ArgName("optional_lines")->Arg(0)->Arg(1)->UseManualTime()->Unit(
    benchmark::kMicrosecond);

// The phone's sightings read from the GPX file itself, against the same
// file read in place from a shared track's ZIP, deflated: the ZIP's
// directory, inflate and CRC-32 on top of the plan, in turns.
void BM_PlanFromFileAgainstSharedTrack(benchmark::State& state)
{
    const std::string text = phone_track(false);
    const TempFolder folder;
    const fs::path gpx_path = folder.path() / "track.gpx";
    const fs::path zip_path = folder.path() / "track.zip";
    testing_support::write_file(gpx_path, text);
    testing_support::ZipBuilder zip;
    zip.add("track.gpx", text);
    testing_support::write_file(zip_path, zip.finish());
    const auto plan_from = [](const fs::path& path) {
        survey::ChosenFile chosen(survey::system_file_effects(), path.string());
        survey::ByteStream stream = chosen.stream();
        return survey::plan_import(stream);
    };
    if (plan_from(gpx_path).error || plan_from(zip_path).error)
        state.SkipWithError("the file does not import");
    const std::vector<double> fastest =
        fastest_in_turns(state, [] {}, [&] { benchmark::DoNotOptimize(plan_from(gpx_path)); },
                         [&] { benchmark::DoNotOptimize(plan_from(zip_path)); });
    state.counters["file_us"] = fastest[0] * 1e6;
    state.counters["zip_us"] = fastest[1] * 1e6;
    state.counters["zip_per_file"] = fastest[1] / fastest[0];
    state.counters["zip_bytes"] = static_cast<double>(fs::file_size(zip_path));
}
BENCHMARK(BM_PlanFromFileAgainstSharedTrack)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
