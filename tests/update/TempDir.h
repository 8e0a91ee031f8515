#pragma once
// A fresh folder under the temporary folder, removed with everything in it.

#include <filesystem>
#include <string>
#include <vector>

class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // The folder, ending with "/".
    const std::string& Path() const { return path_; }
    // A subfolder, created; ends with "/".
    std::string Sub(const std::string& name) const;

private:
    std::string path_;
};

// Names in `folder` (not recursive), sorted.
std::vector<std::string> ListFolder(const std::string& folder);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);
