#pragma once

#include "tests/support/recording_effects.h"
#include "tests/support/temp_folder.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// What a POSIX file system may keep of a run's changes after a power cut.
// A change that a later sync made durable stays; each other one is kept or
// lost on its own: a write whole or not at all, leaving the file what its
// kept writes made it; a name change whole or not at all, so a rename is
// never in both folders or in neither. A name change is durable once every
// folder it changes has been synced after it. A kept change that needs a
// name or file that a lost one never made does nothing.
class PowerCutModel {
public:
    // `before` is the tree below `root` when the run that made `changes` began.
    PowerCutModel(const std::filesystem::path& root, Tree before, std::vector<RecordedChange> changes);

    std::size_t changes() const { return changes_.size(); }
    // The changes made before a cut just after the change numbered `cut`
    // (from 1) that no sync since made durable, by their index.
    std::vector<std::size_t> pending(std::size_t cut) const;
    // What that cut leaves when, of its pending changes, those in `lost` are lost.
    Tree tree_after(std::size_t cut, const std::vector<std::size_t>& lost) const;
    // The change at `index`, in words, for a failure message.
    std::string describe(std::size_t index) const;

private:
    std::vector<std::string> folders_changed(const RecordedChange& change) const;
    // The first cut after which every folder (or the file) that `index`
    // changed has been synced since it; past the end when none is.
    std::size_t durable_from(std::size_t index) const;

    Tree before_;
    std::vector<RecordedChange> changes_;
    std::vector<std::size_t> durable_from_;
};

}  // namespace testing_support
