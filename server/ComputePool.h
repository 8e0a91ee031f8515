#pragma once
// A fixed set of threads for the work of building replies (searches,
// pictures, pages), apart from the threads that serve connections: a long
// search never holds up accepting, slow clients or kept-alive connections.
// Its queue holds at most one task per open connection.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TComputePool {
public:
    explicit TComputePool(std::size_t threads);
    ~TComputePool();
    TComputePool(const TComputePool&) = delete;
    TComputePool& operator=(const TComputePool&) = delete;

    void Post(std::function<void()> task);
    // Runs what is queued, then ends every thread; safe more than once.
    void Shutdown();

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};
