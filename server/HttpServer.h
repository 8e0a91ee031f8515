#pragma once
// The HTTP/1.1 server: a listener and its connections on a small fixed set
// of I/O threads (no thread per connection), the replies built on a pool of
// compute threads. Connections past --max-connections, or past
// --max-per-client from one address other than loopback, are closed as
// soon as they are accepted; the others keep being served.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include "ComputePool.h"
#include "ConnectionCounter.h"
#include "HttpLimits.h"
#include "HttpReply.h"
#include "HttpRequest.h"

class THttpServer {
public:
    // Builds the reply of a request, on a compute thread. A request whose
    // head was refused comes with the reply's status set (400, 405, 414,
    // 431): only its body is left to give.
    using THandler = std::function<void(THttpRequest&, THttpReply&)>;
    // Called once a reply has gone out; `micros` is -1 for a refused head.
    using TLogger = std::function<void(const THttpRequest&, const THttpReply&, std::int64_t micros)>;

    THttpServer(const THttpLimits& limits, std::size_t computeThreads, THandler handler, TLogger logger);
    ~THttpServer();
    THttpServer(const THttpServer&) = delete;
    THttpServer& operator=(const THttpServer&) = delete;

    // Binds and listens; port 0 takes any free port.
    bool Bind(const std::string& address, int port, std::string& error);
    int Port() const { return port_; }
    // Serves on the calling thread and the other I/O threads until Stop().
    void Run();
    // Safe from any thread, and more than once.
    void Stop();

    const THttpLimits& Limits() const { return limits_; }

private:
    friend class THttpConnection;

    void Accept();
    void Answer(THttpRequest& req, THttpReply& res) { handler_(req, res); }
    void Log(const THttpRequest& req, const THttpReply& res, std::int64_t micros)
    {
        if (logger_)
            logger_(req, res, micros);
    }
    TComputePool& Compute() { return compute_; }

    THttpLimits limits_;
    THandler handler_;
    TLogger logger_;
    // The counter outlives the I/O context, whose connections give their
    // places back when it is destroyed.
    TConnectionCounter counter_;
    std::mutex stopMutex_;
    boost::asio::io_context io_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer retry_;
    TComputePool compute_;
    int port_ = 0;
};
