#pragma once
// Builds ZIP archives for tests with libzip: any entry names (traversal
// attempts included), Unix modes, symbolic links, folders, stored or
// deflated data.

#include <cstdint>
#include <string>
#include <vector>

class TZipMaker {
public:
    // A file entry; `unixMode` 0 stores no Unix attributes (MS-DOS style).
    TZipMaker& File(const std::string& name, const std::string& data, std::uint32_t unixMode = 0100644,
                    bool deflate = true);
    TZipMaker& Folder(const std::string& name);
    TZipMaker& Symlink(const std::string& name, const std::string& target);

    // The archive's bytes; throws on a libzip failure.
    std::string Bytes() const;
    void Save(const std::string& path) const;

private:
    struct TEntry {
        std::string name;
        std::string data;
        std::uint32_t unixMode;
        bool folder;
        bool deflate;
    };
    std::vector<TEntry> entries_;
};
