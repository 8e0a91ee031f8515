#pragma once
// Writes a file so that it appears complete or not at all: the bytes go to a
// fresh hidden file in the same folder, which Commit() renames over the
// target. A target that is a symbolic link is replaced, never followed. The
// hidden file is removed if the object dies uncommitted.

#include <cstddef>
#include <string>
#include <sys/types.h>

class TReplacingFile {
public:
    // `mode` is the creation mode, narrowed by the process umask.
    explicit TReplacingFile(std::string path, mode_t mode = 0666);
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    bool Ok() const { return fd_ >= 0; }
    bool Write(const char* data, std::size_t size);
    // Sets exactly these permission bits (no umask).
    bool SetMode(mode_t mode);
    // Clears the write bits of the file's current mode.
    bool MakeReadOnly();
    // Closes the file and renames it over the target.
    bool Commit();
    const std::string& Error() const { return error_; }

    // Writes `data` to `path` in one go; false (and no file change) on failure.
    static bool WriteAll(const std::string& path, const std::string& data, std::string* error = nullptr);

private:
    bool Fail(const char* what);

    std::string path_;
    std::string temp_;
    int fd_ = -1;
    std::string error_;
};
