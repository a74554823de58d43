#include "import/zip/shared_track.h"

#include "import/zip/zip_fault.h"

#include <algorithm>

namespace survey {

namespace {

bool at_root(const ZipEntry& entry)
{
    return entry.name.find('/') == std::string::npos;
}

bool is_gpx(const ZipEntry& entry)
{
    const std::string& name = entry.name;
    if (name.size() < 4)
        return false;
    std::string ending = name.substr(name.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return ending == ".gpx";
}

// The first few names, enough to recognise the ZIP by.
std::string some_names(const std::vector<const ZipEntry*>& entries)
{
    constexpr std::size_t shown = 4;
    std::string names;
    for (std::size_t i = 0; i < std::min(entries.size(), shown); ++i)
        names += (i ? ", \"" : "\"") + entries[i]->name + "\"";
    return entries.size() > shown ? names + ", …" : names;
}

}  // namespace

const ZipEntry& the_track_entry(const std::vector<ZipEntry>& entries, const std::string& zip_path)
{
    std::vector<const ZipEntry*> tracks;
    std::vector<const ZipEntry*> all;
    for (const ZipEntry& entry : entries) {
        all.push_back(&entry);
        if (at_root(entry) && is_gpx(entry))
            tracks.push_back(&entry);
    }
    if (tracks.size() == 1)
        return *tracks.front();
    const std::string to_do = " Unpack it and choose the GPX file of the track you want to import.";
    if (tracks.empty())
        throw zip_fault(zip_path, "This ZIP holds no GPX file at its top level (it holds " +
                                      std::to_string(entries.size()) + " files" +
                                      (entries.empty() ? "" : ": " + some_names(all)) + "), so it is no track the "
                                      "phone app shared." + to_do);
    throw zip_fault(zip_path, "This ZIP holds " + std::to_string(tracks.size()) + " GPX files (" + some_names(tracks) +
                                  "), so which to import cannot be told." + to_do);
}

const ZipEntry* root_entry_named(const std::vector<ZipEntry>& entries, std::string_view name)
{
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [name](const ZipEntry& entry) { return at_root(entry) && entry.name == name; });
    return found == entries.end() ? nullptr : &*found;
}

}  // namespace survey
