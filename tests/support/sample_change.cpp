#include "tests/support/sample_change.h"

#include "import/waypoint_import.h"
#include "tests/support/test_platform.h"
#include "tests/support/zip_builder.h"

namespace testing_support {

using survey::RecoveryOutcome;

const std::vector<Devices> every_devices = {Devices::Same,          Devices::Cross,
                                            Devices::CrossToFat,    Devices::SameOnFuseFat,
                                            Devices::CrossToFuseFat, Devices::SameWithoutRefusingRenames,
                                            Devices::FromZip,       Devices::FromZipToFuseFat};

bool from_zip(Devices devices)
{
    return devices == Devices::FromZip || devices == Devices::FromZipToFuseFat;
}

std::string name_of(Devices devices)
{
    switch (devices) {
    case Devices::Same: return "SameDevice";
    case Devices::Cross: return "CrossDevice";
    case Devices::CrossToFat: return "CrossDeviceWithoutUnnamedFiles";
    case Devices::SameOnFuseFat: return "SameDeviceOnFuseFat";
    case Devices::CrossToFuseFat: return "CrossDeviceToFuseFat";
    case Devices::SameWithoutRefusingRenames: return "SameDeviceWithoutRefusingRenames";
    case Devices::FromZip: return "FromZip";
    case Devices::FromZipToFuseFat: return "FromZipToFuseFat";
    }
    return "";
}

std::string devices_name(const ::testing::TestParamInfo<Devices>& info)
{
    return name_of(info.param);
}

Devices as_on_this_system(Devices devices)
{
    return on_windows && devices == Devices::Cross ? Devices::CrossToFat : devices;
}

int steps_of(Devices devices)
{
    switch (as_on_this_system(devices)) {
    case Devices::Same: return 32;
    case Devices::Cross: return 71;
    case Devices::CrossToFat: return 76;
    case Devices::SameOnFuseFat: return 52;
    case Devices::CrossToFuseFat: return 106;
    case Devices::SameWithoutRefusingRenames: return 47;
    case Devices::FromZip: return 55;
    case Devices::FromZipToFuseFat: return 87;
    }
    return 0;
}

namespace {

// The sample's files in the phone folder become one ZIP there, as the app
// shares a track.
void share_as_zip(const std::filesystem::path& phone, const std::string& zip_name)
{
    ZipBuilder zip;
    for (const char* name : {"field-day.gpx", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"}) {
        zip.add(name, read_file(phone / name));
        std::filesystem::remove(phone / name);
    }
    write_file(phone / zip_name, zip.finish());
}

}  // namespace

std::string SampleChangeOn::sample_name() const
{
    return from_zip(devices()) ? "field-day.zip" : "field-day.gpx";
}

void SampleChangeOn::SetUp()
{
    put_sample();
    if (from_zip(devices()))
        share_as_zip(phone(), sample_name());
    write_file(survey_csv(), "earlier survey\r\n");
    take_trees();
}

void SampleChangeOn::as_first_import()
{
    restore_before();
    std::filesystem::remove(survey_csv());
    take_trees();
}

void SampleChangeOn::take_trees()
{
    before_ = everything();
    FailingEffects counting;
    act_as_devices(counting);
    ASSERT_FALSE(import_and_archive(counting));
    after_archive_ = everything();
    after_import_ = imported_;
    steps_ = counting.calls();
    imported_.clear();
}

void SampleChangeOn::act_as_devices(FailingEffects& effects) const
{
    const Devices devices = this->devices();
    if (devices == Devices::Cross || devices == Devices::CrossToFat || devices == Devices::CrossToFuseFat ||
        devices == Devices::FromZipToFuseFat)
        effects.cross_devices();
    if (devices != Devices::Same && devices != Devices::Cross)
        effects.no_unnamed_files();
    if (devices == Devices::SameOnFuseFat || devices == Devices::CrossToFuseFat ||
        devices == Devices::FromZipToFuseFat) {
        effects.no_refusing_renames();
        effects.no_hard_links();
        effects.invent_identities();
    }
    if (devices == Devices::SameWithoutRefusingRenames)
        effects.no_refusing_renames();
}

std::optional<survey::RuntimeError> SampleChangeOn::import_and_archive(survey::FileEffects& effects)
{
    if (auto error = import(sample_path(), effects))
        return error;
    imported_ = everything();
    try {
        survey::archive_gpx(effects, sample_path(), sample_name(), app().string());
    } catch (const survey::RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

std::string SampleChangeOn::tree_name(const Tree& tree) const
{
    if (tree == before_)
        return "the tree before the import";
    if (tree == after_import_)
        return "the tree after the import";
    if (tree == after_archive_)
        return "the tree after the archive";
    return "a tree neither before nor after:" + tree_in_words(tree);
}

bool SampleChangeOn::expect_recovered(const survey::Recovery& recovery, const std::string& where)
{
    const Tree now = everything();
    const bool known = now == before_ || now == after_import_ || now == after_archive_;
    const std::string left = "\nrecovery left " + tree_name(now);
    EXPECT_TRUE(known) << where << left;
    // What the start tells the user matches what it did.
    EXPECT_FALSE(recovery.outcome == RecoveryOutcome::Completed && now == before_)
        << where << left << ", said Completed";
    EXPECT_FALSE(recovery.outcome == RecoveryOutcome::Undone && now == after_archive_)
        << where << left << ", said Undone";
    // A journal cut short names nothing yet.
    if (!recovery.gpx_path.empty()) {
        EXPECT_EQ(recovery.archive,
                  now == after_archive_ || (recovery.outcome == RecoveryOutcome::Undone && now == after_import_))
            << where << left;
    }
    return known;
}

void SampleChangeOn::expect_user_can_go_on(survey::FileEffects& effects, const std::string& where)
{
    imported_.clear();
    const Tree now = everything();
    if (now == after_import_) {
        survey::archive_gpx(effects, sample_path(), sample_name(), app().string());
    } else if (now == before_) {
        ASSERT_FALSE(import_and_archive(effects)) << where;
    }
    const Tree end = everything();
    EXPECT_TRUE(end == after_archive_) << where << "\ngoing on from " << tree_name(now) << " left " << tree_name(end);
}

}  // namespace testing_support
