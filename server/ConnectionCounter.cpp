#include "ConnectionCounter.h"

#include <arpa/inet.h>
#include <netinet/in.h>

bool IsLoopbackAddress(const std::string& address)
{
    unsigned char v4[4];
    in6_addr v6{};
    if (inet_pton(AF_INET, address.c_str(), v4) == 1)
        return v4[0] == 127;
    if (inet_pton(AF_INET6, address.c_str(), &v6) != 1)
        return false;
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
}

std::unique_ptr<TConnectionCounter::TSlot> TConnectionCounter::Take(const std::string& client)
{
    const bool counted = maxPerClient_ > 0 && !IsLoopbackAddress(client);
    std::lock_guard lock(mutex_);
    if (open_ >= maxConnections_)
        return nullptr;
    if (counted) {
        auto& n = perClient_[client];
        if (n >= maxPerClient_)
            return nullptr;
        ++n;
    }
    ++open_;
    return std::make_unique<TSlot>(*this, client, counted);
}

std::size_t TConnectionCounter::Open() const
{
    std::lock_guard lock(mutex_);
    return open_;
}

void TConnectionCounter::Release(const std::string& client, bool counted)
{
    std::lock_guard lock(mutex_);
    --open_;
    if (counted) {
        const auto it = perClient_.find(client);
        if (it != perClient_.end() && --it->second == 0)
            perClient_.erase(it);
    }
}
