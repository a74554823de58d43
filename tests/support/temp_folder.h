#pragma once

#include <filesystem>
#include <map>
#include <string>

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

// Every file below `root` with its content, and every folder with an empty
// content, to compare a tree before and after.
std::map<std::string, std::string> snapshot(const std::filesystem::path& root);

// Makes the tree below `root` what `snapshot` took.
void restore(const std::filesystem::path& root, const std::map<std::string, std::string>& entries);

}  // namespace testing_support
