#pragma once
// A client connection to 127.0.0.1 that sends bytes as they are and reads
// whatever comes back, for the tests of hostile clients.

#include <chrono>
#include <string>
#include <vector>

class TClient {
public:
    explicit TClient(int port);
    ~TClient();
    TClient(const TClient&) = delete;
    TClient& operator=(const TClient&) = delete;
    bool Connected() const { return connected_; }

    // Sends what it can of `bytes` (the server may close before the end);
    // false once the connection failed.
    bool Send(const std::string& bytes);
    // Everything received until the server closes or `limit` passes;
    // `closed` says which.
    std::string ReceiveAll(std::chrono::milliseconds limit, bool& closed);

    // Has the server closed (or reset) the connection? Never waits; data
    // that came sets `replied`.
    bool Closed(bool& replied);

private:
    int fd_;
    bool connected_ = false;
};

// The status codes of the replies in `data`, in order.
std::vector<int> Statuses(const std::string& data);
