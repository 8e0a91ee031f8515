#include "RawClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

TClient::TClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0))
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

TClient::~TClient() { close(fd_); }

bool TClient::Send(const std::string& bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string TClient::ReceiveAll(std::chrono::milliseconds limit, bool& closed)
{
    std::string data;
    closed = false;
    const auto end = std::chrono::steady_clock::now() + limit;
    char buf[16384];
    while (std::chrono::steady_clock::now() < end) {
        timeval tv{0, 50'000};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        const ssize_t n = recv(fd_, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            closed = true;
            break;
        }
        if (n > 0)
            data.append(buf, static_cast<std::size_t>(n));
    }
    return data;
}

bool TClient::Closed(bool& replied)
{
    char c;
    const ssize_t n = recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0)
        replied = true;
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

std::vector<int> Statuses(const std::string& data)
{
    std::vector<int> out;
    for (auto at = data.find("HTTP/1.1 "); at != std::string::npos; at = data.find("HTTP/1.1 ", at + 1))
        out.push_back(std::atoi(data.c_str() + at + 9));
    return out;
}
