#pragma once
// A file on disk as a reply body, read in pieces while it is sent: memory
// stays bounded whatever the file's size and however many requests ask for
// it at once.

#include <cstddef>
#include <string>
#include <sys/types.h>

class THttpReply;

// An open file descriptor, closed with the object.
class TOpenFile {
public:
    explicit TOpenFile(int fd) : fd_(fd) {}
    ~TOpenFile();
    TOpenFile(const TOpenFile&) = delete;
    TOpenFile& operator=(const TOpenFile&) = delete;
    int Get() const { return fd_; }
    // Up to `size` bytes at `offset`; -1 on an error, 0 at the end.
    ssize_t Read(std::size_t offset, char* out, std::size_t size) const;

private:
    int fd_;
};

class TFileBody {
public:
    static constexpr std::size_t kChunk = 64 * 1024;

    // Sets the reply to the regular file at `path`; false (reply untouched)
    // when there is no such file or it cannot be opened.
    static bool Serve(const std::string& path, const char* contentType, THttpReply& res);
};
