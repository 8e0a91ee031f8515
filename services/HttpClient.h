#pragma once
// A small blocking HTTP GET over libcurl: one request per call, the body
// bytes returned unchanged. Any failure (name lookup, connect, stall, size
// cap, a status outside 2xx, an abort) is reported as false, never as a body,
// and told apart by Failure(): the request itself failed, or an answer came
// that is of no use.

#include <atomic>
#include <cstddef>
#include <string>

// Why the last request gave nothing usable.
enum class TFailure {
    None,
    // No answer: the name did not resolve, the connection was refused or
    // broke, there was no route, or the server did not answer in time.
    Unreachable,
    // The server answered, but not with something usable: a status outside
    // 2xx, a reply over the size cap, not the expected document.
    BadReply,
};

class THttpClient {
public:
    struct Options {
        long connectTimeoutMs = 10000;      // 0: no connect limit
        long stallTimeoutMs = 15000;        // fail when no data arrives for this long; 0: none
        std::size_t maxBodyBytes = 8u << 20; // larger replies fail
    };

    THttpClient();
    explicit THttpClient(const Options& options);
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    bool Get(const std::string& url, std::string& body);

    // Makes a running Get fail at its next progress check and every later
    // Get fail at once. Safe to call from any thread.
    void Abort() { aborted_.store(true); }
    bool Aborted() const { return aborted_.load(); }

    Options& Settings() { return options_; }
    const std::string& LastError() const { return lastError_; }
    long LastStatus() const { return lastStatus_; }
    // TFailure::None after a successful Get.
    TFailure Failure() const { return failure_; }

private:
    Options options_;
    std::atomic<bool> aborted_{false};
    std::string lastError_;
    long lastStatus_ = 0;
    TFailure failure_ = TFailure::None;
};
