#pragma once

#include "import/files/recovery.h"
#include "tests/support/failing_effects.h"
#include "tests/support/import_fixture.h"

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// Where the photos and the GPX file go from: the same file system, another
// one, or another one while the program folder's has no unnamed files, as
// FAT; and a program folder on FAT through FUSE or exFAT, which has no
// renames that refuse a taken name, no hard links, and makes up a file's
// inode number on each look, with the phone folder on it or on a card.
// A program folder, with the phone folder on it, whose file system has no
// renames that refuse a taken name but hard links, as some network shares.
// And the sample shared as a ZIP, its photos copied out under their working
// names, as on Windows: from a phone folder on the program folder's file
// system, or from a card, with the program folder on FAT through FUSE.
enum class Devices {
    Same,
    Cross,
    CrossToFat,
    SameOnFuseFat,
    CrossToFuseFat,
    SameWithoutRefusingRenames,
    FromZip,
    FromZipToFuseFat,
};

bool from_zip(Devices devices);

extern const std::vector<Devices> every_devices;
std::string name_of(Devices devices);
std::string devices_name(const ::testing::TestParamInfo<Devices>& info);

// What the devices amount to on this system: Windows has no unnamed files,
// so across devices it copies as onto FAT.
Devices as_on_this_system(Devices devices);

// How many changes the sample import and archive make, each a step a kill
// or a failure can stop: staging the survey, the journal, each photo, the
// syncs, the replace that commits, then the journal's end; and the same for
// the archive's one move; and the close of the GPX file. A named copy first
// asks for an unnamed file: one more step each; without refusing renames,
// each rename reserves its name first.
int steps_of(Devices devices);

// The sample imported and then archived, by renames or by copies, with the
// trees before, between and after; and what a start after a crash must do.
class SampleChangeOn : public ImportFixture {
protected:
    using Tree = testing_support::Tree;

    // The devices this test acts on.
    virtual Devices devices() const = 0;

    void SetUp() override;
    // From here on the sample is a first import: no survey file before it.
    void as_first_import();
    // The trees below, and the steps, from an import and archive of the
    // sample as it stands.
    void take_trees();

    // Makes `effects` act as the file systems of this test's devices.
    void act_as_devices(FailingEffects& effects) const;

    // Imports the sample, then archives it as the window does at close.
    std::optional<survey::RuntimeError> import_and_archive(survey::FileEffects& effects);
    // The file the window would choose: the sample's GPX file, or its ZIP.
    std::string sample_name() const;
    std::string sample_path() const { return (phone() / sample_name()).string(); }

    void restore_before() { restore(app().parent_path(), before_); }

    // Which of the trees above `tree` is, in words, or what it holds when it is none.
    std::string tree_name(const Tree& tree) const;
    // After a start's `recovery`, whether every file is as before the import,
    // after it or after the archive, as the outcome says.
    bool expect_recovered(const survey::Recovery& recovery, const std::string& where);
    // From there, importing and archiving through `effects` reaches the end.
    void expect_user_can_go_on(survey::FileEffects& effects, const std::string& where);

    Tree before_;
    Tree imported_;
    Tree after_import_;
    Tree after_archive_;
    int steps_ = 0;
};

// The same, for each kind of devices in turn.
class SampleChange : public SampleChangeOn, public ::testing::WithParamInterface<Devices> {
protected:
    Devices devices() const override { return GetParam(); }
};

}  // namespace testing_support
