#include "tests/support/power_cut_model.h"

#include "tests/support/temp_folder.h"

#include <algorithm>

namespace testing_support {

namespace {

using Kind = RecordedChange::Kind;

// A path as the tree names it: below `root`, without a trailing "/".
std::string name_below(const std::filesystem::path& root, const std::string& path)
{
    if (path.empty())
        return path;
    std::filesystem::path name = std::filesystem::path(path).lexically_normal().lexically_relative(root);
    return name.has_filename() ? name.generic_string() : name.parent_path().generic_string();
}

std::string folder_of(const std::string& name)
{
    return std::filesystem::path(name).parent_path().generic_string();
}

// The names of a file system and the bytes of each file they name.
class Disk {
public:
    explicit Disk(const Tree& before, std::size_t files_made)
    {
        for (const auto& [name, content] : before) {
            if (!content.starts_with(file_mark))
                continue;
            names_[name] = bytes_.size();
            bytes_.push_back(content.substr(file_mark.size()));
        }
        made_from_ = bytes_.size();
        bytes_.resize(made_from_ + files_made);
    }

    void replay(const RecordedChange& change)
    {
        switch (change.kind) {
        case Kind::NewFile:
            if (!change.path.empty())
                names_.try_emplace(change.path, made(change));
            break;
        case Kind::Write: bytes_[made(change)] += change.bytes; break;
        case Kind::SyncFile:
        case Kind::SyncFolder: break;
        case Kind::Rename:
            if (names_.contains(change.path) && names_.try_emplace(change.to, names_[change.path]).second)
                names_.erase(change.path);
            break;
        case Kind::RenameOver:
            if (const auto from = names_.find(change.path); from != names_.end()) {
                names_[change.to] = from->second;
                names_.erase(change.path);
            }
            break;
        case Kind::HardLink:
            if (names_.contains(change.path))
                names_.try_emplace(change.to, names_[change.path]);
            break;
        case Kind::LinkUnnamed: names_.try_emplace(change.to, made(change)); break;
        case Kind::Remove: names_.erase(change.path); break;
        }
    }

    // The folders of `before`, and each name with its file's bytes.
    Tree tree(const Tree& before) const
    {
        Tree tree;
        for (const auto& [name, content] : before)
            if (!content.starts_with(file_mark))
                tree.emplace(name, content);
        for (const auto& [name, file] : names_)
            tree.emplace(name, std::string(file_mark) + bytes_[file]);
        return tree;
    }

private:
    std::size_t made(const RecordedChange& change) const
    {
        return made_from_ + static_cast<std::size_t>(change.file);
    }

    std::map<std::string, std::size_t> names_;
    std::vector<std::string> bytes_;
    std::size_t made_from_ = 0;
};

}  // namespace

PowerCutModel::PowerCutModel(const std::filesystem::path& root, Tree before, std::vector<RecordedChange> changes)
    : before_(std::move(before)), changes_(std::move(changes))
{
    for (RecordedChange& change : changes_) {
        change.path = name_below(root, change.path);
        change.to = name_below(root, change.to);
    }
    for (std::size_t i = 0; i < changes_.size(); ++i)
        durable_from_.push_back(durable_from(i));
}

std::vector<std::string> PowerCutModel::folders_changed(const RecordedChange& change) const
{
    switch (change.kind) {
    case Kind::NewFile:
        return change.path.empty() ? std::vector<std::string>{} : std::vector{folder_of(change.path)};
    case Kind::Rename:
    case Kind::RenameOver: return {folder_of(change.path), folder_of(change.to)};
    case Kind::HardLink:
    case Kind::LinkUnnamed: return {folder_of(change.to)};
    case Kind::Remove: return {folder_of(change.path)};
    default: return {};
    }
}

std::size_t PowerCutModel::durable_from(std::size_t index) const
{
    const RecordedChange& change = changes_[index];
    const auto synced_after = [&](Kind kind, auto matches) {
        for (std::size_t j = index + 1; j < changes_.size(); ++j)
            if (changes_[j].kind == kind && matches(changes_[j]))
                return j + 1;
        return changes_.size() + 1;
    };
    if (change.kind == Kind::Write)
        return synced_after(Kind::SyncFile, [&](const RecordedChange& sync) { return sync.file == change.file; });
    // An unnamed file, or a sync, is nothing a cut could lose.
    std::size_t durable = index + 1;
    for (const std::string& folder : folders_changed(change))
        durable = std::max(durable, synced_after(Kind::SyncFolder,
                                                 [&](const RecordedChange& sync) { return sync.path == folder; }));
    return durable;
}

std::vector<std::size_t> PowerCutModel::pending(std::size_t cut) const
{
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < cut; ++i)
        if (durable_from_[i] > cut)
            pending.push_back(i);
    return pending;
}

Tree PowerCutModel::tree_after(std::size_t cut, const std::vector<std::size_t>& lost) const
{
    std::size_t files_made = 0;
    for (const RecordedChange& change : changes_)
        files_made += change.kind == Kind::NewFile;
    Disk disk(before_, files_made);
    for (std::size_t i = 0; i < cut; ++i)
        if (std::find(lost.begin(), lost.end(), i) == lost.end())
            disk.replay(changes_[i]);
    return disk.tree(before_);
}

std::string PowerCutModel::describe(std::size_t index) const
{
    static const std::map<Kind, std::string> verbs = {
        {Kind::NewFile, "create"},         {Kind::Write, "write"},         {Kind::SyncFile, "sync"},
        {Kind::SyncFolder, "sync folder"}, {Kind::Rename, "rename"},       {Kind::RenameOver, "rename over"},
        {Kind::HardLink, "hard link"},     {Kind::LinkUnnamed, "link unnamed"}, {Kind::Remove, "remove"},
    };
    const RecordedChange& change = changes_[index];
    std::string words = std::to_string(index + 1) + " " + verbs.at(change.kind);
    if (change.file >= 0)
        words += " file#" + std::to_string(change.file);
    for (const std::string* path : {&change.path, &change.to})
        if (!path->empty())
            words += " " + *path;
    if (change.kind == Kind::Write)
        words += " (" + std::to_string(change.bytes.size()) + " bytes)";
    return words;
}

}  // namespace testing_support
