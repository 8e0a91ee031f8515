#pragma once
// Places among the open connections: at most `maxConnections` in all and
// `maxPerClient` from one address (0: no such limit). Loopback addresses are
// never limited per address: a front on the same machine brings every
// client through them.

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class TConnectionCounter {
public:
    // A place, given back with the object; it must not outlive the counter.
    class TSlot {
    public:
        TSlot(TConnectionCounter& counter, std::string client, bool counted)
            : counter_(counter), client_(std::move(client)), counted_(counted)
        {
        }
        ~TSlot() { counter_.Release(client_, counted_); }
        TSlot(const TSlot&) = delete;
        TSlot& operator=(const TSlot&) = delete;
        const std::string& Client() const { return client_; }

    private:
        TConnectionCounter& counter_;
        std::string client_;
        bool counted_; // counted against its address
    };

    TConnectionCounter(std::size_t maxConnections, std::size_t maxPerClient)
        : maxConnections_(maxConnections), maxPerClient_(maxPerClient)
    {
    }

    // A place for a connection from `client` (an IPv4 or IPv6 address as
    // text); nothing when either limit is reached.
    std::unique_ptr<TSlot> Take(const std::string& client);
    std::size_t Open() const;

private:
    void Release(const std::string& client, bool counted);

    const std::size_t maxConnections_, maxPerClient_;
    mutable std::mutex mutex_;
    std::size_t open_ = 0;
    std::map<std::string, std::size_t> perClient_;
};

// 127.0.0.0/8, ::1, or an IPv4-mapped loopback address.
bool IsLoopbackAddress(const std::string& address);
