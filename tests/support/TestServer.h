#pragma once
// An in-process HTTP server on 127.0.0.1 and a free port, for tests: serves
// canned replies per path, can delay or stall them, and records every request.

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

struct TRecordedRequest {
    std::string path;   // without the query
    std::string query;  // raw query text after "?", as sent
    std::string target; // path and query as sent
    std::map<std::string, std::string> params; // decoded
};

struct TCannedReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/xml";
    std::chrono::milliseconds delayBeforeHeaders{0};
    // Sends the headers and this many body bytes, then nothing more for `stallFor`.
    bool stallMidBody = false;
    std::size_t bytesBeforeStall = 0;
    std::chrono::milliseconds stallFor{0};
};

class TTestServer {
public:
    TTestServer();
    ~TTestServer();
    TTestServer(const TTestServer&) = delete;
    TTestServer& operator=(const TTestServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:PORT/"
    std::string BaseUrl() const;

    // Replies for a path such as "/taobao/tbk_items.php"; unknown paths get 404.
    void Set(const std::string& path, const TCannedReply& reply);
    void Set(const std::string& path, const std::string& body, int status = 200);
    // A handler that computes the reply from the request.
    void SetHandler(const std::string& path,
                    std::function<TCannedReply(const TRecordedRequest&)> handler);

    std::vector<TRecordedRequest> Requests() const;
    std::size_t RequestCount(const std::string& path) const;
    void ClearRequests();

    // Stops the server now (requests in progress are cut off).
    void Stop();

private:
    // Sleeps in small steps so that Stop() is never held up by a stalled reply.
    void Pause(std::chrono::milliseconds total) const;

    std::unique_ptr<httplib::Server> server_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, std::function<TCannedReply(const TRecordedRequest&)>> handlers_;
    std::vector<TRecordedRequest> requests_;
};

// A port on 127.0.0.1 with nothing listening on it.
int UnusedPort();
