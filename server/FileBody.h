#pragma once
// A file on disk as a reply body, read in pieces while it is sent: memory
// stays bounded whatever the file's size and however many requests ask for
// it at once.

#include <string>

namespace httplib {
struct Response;
}

class TFileBody {
public:
    static constexpr std::size_t kChunk = 64 * 1024;

    // Sets the reply to the regular file at `path`; false (reply untouched)
    // when there is no such file or it cannot be opened.
    static bool Serve(const std::string& path, const char* contentType, httplib::Response& res);
};
