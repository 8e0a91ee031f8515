#pragma once
// The access log: one line per request in the combined log format, then the
// time taken in microseconds and the platform error code of an error reply
// ("-" when there is none):
//   127.0.0.1 - - [09/Dec/2026:10:00:00 +0000] "GET /x HTTP/1.1" 200 512 "-" "agent" 830 -
// Written to stdout or to a file, which is opened again on request (after
// the file was moved away for rotation).

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

struct TAccessEntry {
    std::string client;        // "" when unknown
    std::string requestLine;   // "" when the request line could not be read
    int status = 0;
    std::int64_t bytes = 0;    // body bytes sent
    std::string referer;
    std::string userAgent;
    std::int64_t micros = -1;  // -1 when unknown
    int apiError = -1;         // platform error code, -1 for none
    std::time_t time = 0;
};

// The log line, without its line end. Control characters, bytes above
// 0x7e, quotes and backslashes in the request's texts are written as \xHH,
// so one request is always one line and every field can be split off.
std::string FormatAccessLine(const TAccessEntry& e);

// The code of a platform error reply (the document element
// "<error_response><code>N</code>..." right after the declaration);
// -1 for any other body.
int ApiErrorCode(std::string_view body);

class TAccessLog {
public:
    // An empty path: stdout.
    explicit TAccessLog(std::string path) : path_(std::move(path)) {}
    ~TAccessLog();
    TAccessLog(const TAccessLog&) = delete;
    TAccessLog& operator=(const TAccessLog&) = delete;

    // (Re)opens the file for appending; on failure the old one stays in use.
    bool Open(std::string& error);
    void Write(const TAccessEntry& entry);

private:
    std::mutex mutex_;
    std::string path_;
    std::FILE* file_ = nullptr;
};
