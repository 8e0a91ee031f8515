#include "HttpServer.h"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>

#include "HttpConnection.h"

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

constexpr std::size_t kIoThreads = 2;

} // namespace

THttpServer::THttpServer(const THttpLimits& limits, std::size_t computeThreads, THandler handler,
                         TLogger logger)
    : limits_(limits), handler_(std::move(handler)), logger_(std::move(logger)),
      counter_(limits.maxConnections, limits.maxPerClient), acceptor_(io_),
      retry_(io_), compute_(computeThreads)
{
}

THttpServer::~THttpServer() { Stop(); }

bool THttpServer::Bind(const std::string& address, int port, std::string& error)
{
    boost::system::error_code ec;
    const auto ip = asio::ip::make_address(address, ec);
    if (ec) {
        error = "cannot listen on " + address;
        return false;
    }
    const tcp::endpoint where(ip, static_cast<unsigned short>(port));
    // Only SO_REUSEADDR: a second server must fail on a port in use, not
    // share it.
    acceptor_.open(where.protocol(), ec);
    if (!ec)
        acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec)
        acceptor_.bind(where, ec);
    if (!ec)
        acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = port == 0 ? "cannot listen on any port of " + address
                          : "cannot listen on " + address + ":" + std::to_string(port) + " (is it in use?)";
        return false;
    }
    port_ = acceptor_.local_endpoint().port();
    Accept();
    return true;
}

void THttpServer::Accept()
{
    acceptor_.async_accept(asio::make_strand(io_), [this](boost::system::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted)
            return;
        if (ec) {
            // Out of descriptors, most likely: try again a little later
            // rather than spinning.
            retry_.expires_after(std::chrono::milliseconds(20));
            retry_.async_wait([this](boost::system::error_code e) {
                if (!e)
                    Accept();
            });
            return;
        }
        boost::system::error_code peerError;
        const auto peer = socket.remote_endpoint(peerError);
        if (!peerError) {
            if (auto slot = counter_.Take(peer.address().to_string())) {
                socket.set_option(tcp::no_delay(true), peerError);
                std::make_shared<THttpConnection>(std::move(socket), *this, std::move(slot))->Start();
            }
        }
        // A connection past a limit is closed here, with its socket.
        Accept();
    });
}

void THttpServer::Run()
{
    std::vector<std::thread> others;
    for (std::size_t i = 1; i < kIoThreads; ++i)
        others.emplace_back([this] { io_.run(); });
    io_.run();
    for (auto& t : others)
        t.join();
    // Replies that went out just before the stop still have their
    // completions queued: they finish (and are logged) rather than being
    // dropped with the queue.
    io_.restart();
    io_.poll();
}

void THttpServer::Stop()
{
    std::lock_guard lock(stopMutex_);
    io_.stop();
    compute_.Shutdown();
}
