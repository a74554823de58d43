#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with all it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void write_file(const std::filesystem::path& path, const std::string& bytes);
std::string read_file(const std::filesystem::path& path);

// A tree below a root as `snapshot` takes it: each path with its content.
using Tree = std::map<std::string, std::string>;

// What `snapshot` gives a folder, and puts before a file's bytes.
inline constexpr std::string_view folder_mark = "folder";
inline constexpr std::string_view file_mark = "file:";

// Every file below `root` with its content, and every folder marked as one,
// to compare a tree before and after.
Tree snapshot(const std::filesystem::path& root);

// A tree `snapshot` took, in words: names and sizes only, since a whole
// GPX file or journal in a message hides the rest.
std::string tree_in_words(const Tree& tree);

// Makes the tree below `root` what `snapshot` took.
void restore(const std::filesystem::path& root, const Tree& tree);

}  // namespace testing_support
