#include "TestServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

TTestServer::TTestServer() : server_(std::make_unique<httplib::Server>())
{
    server_->set_keep_alive_max_count(1);
    server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        TRecordedRequest r;
        r.path = req.path;
        r.target = req.target;
        const auto q = req.target.find('?');
        if (q != std::string::npos)
            r.query = req.target.substr(q + 1);
        for (const auto& [k, v] : req.params)
            r.params[k] = v;
        std::function<TCannedReply(const TRecordedRequest&)> handler;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(r);
            auto it = handlers_.find(r.path);
            if (it != handlers_.end())
                handler = it->second;
        }
        if (!handler) {
            res.status = 404;
            res.set_content("<html><body>not found</body></html>", "text/html");
            return;
        }
        const TCannedReply reply = handler(r);
        if (reply.delayBeforeHeaders.count() > 0)
            Pause(reply.delayBeforeHeaders);
        res.status = reply.status;
        if (!reply.stallMidBody) {
            res.set_content(reply.body, reply.contentType.c_str());
            return;
        }
        const std::string body = reply.body;
        const std::size_t head = std::min(reply.bytesBeforeStall, body.size());
        const auto stall = reply.stallFor;
        res.set_content_provider(
            body.size(), reply.contentType.c_str(),
            [this, body, head, stall](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset < head)
                    return sink.write(body.data() + offset, head - offset);
                Pause(stall);
                if (stopping_.load())
                    return false;
                return sink.write(body.data() + offset, body.size() - offset);
            });
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TTestServer::~TTestServer() { Stop(); }

void TTestServer::Pause(std::chrono::milliseconds total) const
{
    const auto end = std::chrono::steady_clock::now() + total;
    while (!stopping_.load() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void TTestServer::Stop()
{
    stopping_.store(true);
    if (server_)
        server_->stop();
    if (thread_.joinable())
        thread_.join();
}

std::string TTestServer::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

void TTestServer::Set(const std::string& path, const TCannedReply& reply)
{
    SetHandler(path, [reply](const TRecordedRequest&) { return reply; });
}

void TTestServer::Set(const std::string& path, const std::string& body, int status)
{
    TCannedReply r;
    r.body = body;
    r.status = status;
    Set(path, r);
}

void TTestServer::SetHandler(const std::string& path,
                             std::function<TCannedReply(const TRecordedRequest&)> handler)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handlers_[path] = std::move(handler);
}

std::vector<TRecordedRequest> TTestServer::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::size_t TTestServer::RequestCount(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t n = 0;
    for (const auto& r : requests_)
        if (r.path == path)
            ++n;
    return n;
}

void TTestServer::ClearRequests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

int UnusedPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    socklen_t len = sizeof(addr);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}
