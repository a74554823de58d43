// How fast a GPX file imports, against what the file system alone needs for
// the same reads, writes and renames.
#include "import/gpx/chunk_reader.h"
#include "import/files/gpx_file.h"
#include "import/files/program_folders.h"
#include "import/waypoint_import.h"
#include "import/gpx/waypoint_parser.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/temp_folder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;
using testing_support::TempFolder;

namespace {

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

std::string photo_name(int n)
{
    return "IMG_" + std::to_string(100000 + n) + ".jpg";
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
        std::string text = gpx::header();
        for (int n = 0; n < sightings; ++n)
            text += sighting(n, n < photos ? photo_name(n) : "");
        testing_support::write_file(gpx_path, text + gpx::track());
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
    const survey::GpxFile gpx(path.string());
    survey::ByteStream stream(gpx.fd(), path.string());
    std::size_t total = 0;
    while (!stream.at_end()) {
        const std::size_t size = stream.buffered().size();
        total += size;
        stream.consume(size, 0);
    }
    return total;
}

// The same reads, synced write and renames with no parsing at all.
void run_floor(benchmark::State& state, int sightings, int photos)
{
    const Setup setup(sightings, photos);
    std::int16_t obs_count = 0;
    survey::import_waypoints(setup.gpx_path.string(), setup.phone.string() + "/", setup.app.string(), obs_count);
    const std::string survey_text = testing_support::read_file(survey::survey_path(setup.app.string()));
    setup.return_photos();
    const std::string temp = setup.app / "floor.tmp";
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_whole(setup.gpx_path));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, survey_text.data(), survey_text.size()) < 0 || ::fsync(fd) != 0)
            throw std::runtime_error("floor write failed");
        ::close(fd);
        for (int n = 0; n < photos; ++n)
            fs::rename(setup.phone / photo_name(n), setup.app / "photosound" / photo_name(n));
        fs::rename(temp, setup.app / "floor.csv");
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

// 1092 sightings of 5 waypoints is 32,761 chunks in all, about 900 KB.
constexpr int typical_sightings = 1092;
// The waypoint count limit: 6553 sightings of 5 is 32,765 waypoints.
constexpr int largest_sightings = 6553;
constexpr int photo_count = 820;

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
    run_floor(state, typical_sightings, photo_count);
}
BENCHMARK(BM_FileSystemFloorWithPhotos)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

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

// The pure step alone: GPX bytes in memory to survey lines and photo moves.
void BM_PlanFromMemory(benchmark::State& state)
{
    const int photos = static_cast<int>(state.range(0));
    std::string text = gpx::header();
    for (int n = 0; n < typical_sightings; ++n)
        text += sighting(n, n < photos ? photo_name(n) : "");
    for (auto _ : state) {
        survey::ByteStream stream(text);
        benchmark::DoNotOptimize(survey::plan_import(stream));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PlanFromMemory)->Arg(0)->Arg(photo_count)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
