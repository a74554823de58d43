#include "tests/support/temp_folder.h"

#include <fstream>
#include <random>
#include <iterator>
#include <stdexcept>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

namespace {

#ifdef _WIN32
// The tree below `path`, removed through the long-path prefix: the C
// runtime's own listing cannot take a folder deeper than 260 characters, and
// under wine it then lists another folder, so that removing never ends.
void remove_tree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE listing = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    RemoveDirectoryW(path.c_str());
}
#endif

}  // namespace

TempFolder::TempFolder()
{
    // A name no other test takes: create_directory makes it only where none stands.
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = std::filesystem::temp_directory_path() / ("survey-test-" + std::to_string(seed()));
        if (std::filesystem::create_directory(path_))
            return;
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
#ifdef _WIN32
    remove_tree(L"\\\\?\\" + std::filesystem::path(path_).make_preferred().wstring());
#else
    std::filesystem::remove_all(path_, ignored);
#endif
}

void write_file(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Tree snapshot(const std::filesystem::path& root)
{
    Tree entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        // As the iterator names it: relative() would ask the disk about each folder on the way.
        const std::string name = entry.path().lexically_relative(root).generic_string();
        entries[name] =
            entry.is_regular_file() ? std::string(file_mark) + read_file(entry.path()) : std::string(folder_mark);
    }
    return entries;
}

std::string tree_in_words(const Tree& tree)
{
    std::string words;
    for (const auto& [name, content] : tree)
        words += "\n  " + name +
                 (content == folder_mark ? "/" : " " + std::to_string(content.size() - file_mark.size()) + " bytes");
    return words;
}

void restore(const std::filesystem::path& root, const Tree& tree)
{
    // Only what differs changes: a test that restores thousands of trees
    // stays quick; a file whose bytes differ is removed and written anew.
    const Tree now = snapshot(root);
    for (const auto& [name, content] : now) {
        const auto wanted = tree.find(name);
        if (wanted == tree.end() || wanted->second != content)
            std::filesystem::remove_all(root / name);
    }
    // The map is sorted, so a folder comes before what it holds.
    for (const auto& [name, content] : tree) {
        const auto found = now.find(name);
        if (found != now.end() && found->second == content)
            continue;
        if (content == folder_mark)
            std::filesystem::create_directory(root / name);
        else
            write_file(root / name, content.substr(file_mark.size()));
    }
}

}  // namespace testing_support
