#include "ServerFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "CatalogSeeder.h"
#include "Request.h"
#include "data.h"

const TCatalog& SharedCatalog()
{
    // Never destroyed: server threads may still be parked when the program
    // ends.
    static const TCatalog* catalog = new TCatalog(TCatalogSeeder().Generate());
    return *catalog;
}

TPublisherServer& SharedServer()
{
    static TPublisherServer* server = [] {
        TServerOptions options;
        options.port = 0;
        options.quiet = true;
        auto* s = new TPublisherServer(SharedCatalog(), options);
        std::string error;
        if (!s->Start(error))
            throw std::runtime_error(error);
        return s;
    }();
    return *server;
}

std::string SharedBase() { return SharedServer().BaseUrl(); }

namespace {

struct TFd {
    int fd;
    ~TFd()
    {
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

TRawReply RawGet(int port, const std::string& target, const std::string& headers)
{
    return RawRequest(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
                                headers + "\r\n");
}

TRawReply RawRequest(int port, const std::string& request)
{
    TRawReply reply;
    TFd sock{socket(AF_INET, SOCK_STREAM, 0)};
    if (sock.fd < 0)
        return reply;
    timeval tv{10, 0};
    setsockopt(sock.fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(sock.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return reply;
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = send(sock.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break; // the server may answer and close before reading everything
        sent += static_cast<std::size_t>(n);
    }
    // Reads until the server closes, or until the body announced by
    // Content-Length is complete (the server may keep the connection open).
    std::string data;
    char buf[16384];
    std::size_t need = std::string::npos;
    while (data.size() < need) {
        const ssize_t n = recv(sock.fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        data.append(buf, static_cast<std::size_t>(n));
        const auto end = data.find("\r\n\r\n");
        if (need == std::string::npos && end != std::string::npos) {
            std::string head = data.substr(0, end);
            for (char& c : head)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const auto cl = head.find("\r\ncontent-length:");
            if (cl != std::string::npos)
                need = end + 4 + std::strtoul(head.c_str() + cl + 17, nullptr, 10);
        }
    }
    const auto headEnd = data.find("\r\n\r\n");
    if (data.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos)
        return reply;
    reply.status = std::atoi(data.c_str() + 9);
    std::size_t pos = data.find("\r\n") + 2;
    while (pos < headEnd) {
        const auto end = data.find("\r\n", pos);
        const std::string line = data.substr(pos, end - pos);
        const auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            std::string value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ')
                value.erase(0, 1);
            reply.headers[name] = value;
        }
        pos = end + 2;
    }
    reply.body = data.substr(headEnd + 4);
    return reply;
}

std::string SignedQuery(const std::vector<std::pair<std::string, std::string>>& params,
                        const std::string& signInput, bool encode)
{
    const std::string stamp = std::to_string(Stamp());
    std::string q;
    for (const auto& [k, v] : params) {
        if (!q.empty())
            q += '&';
        q += k + "=" + (encode ? PercentEncode(v) : v);
    }
    q += "&stamp=" + stamp + "&pid=" + kPid;
    return q + "&sign=" + MakeSign(kPid, stamp, signInput);
}
