#pragma once
// The server's workers. A connection keeps its worker while it is open, idle
// ones included, until it sends a request or its idle time runs out; so a
// worker is started whenever a connection arrives and none is free, up to
// kMaxThreads. Connections that one client holds open never leave another
// waiting, and finished workers stay for the next burst.

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TWorkerPool : public httplib::TaskQueue {
public:
    static constexpr std::size_t kMaxThreads = 256;

    TWorkerPool() = default;
    ~TWorkerPool() override { shutdown(); }
    TWorkerPool(const TWorkerPool&) = delete;
    TWorkerPool& operator=(const TWorkerPool&) = delete;

    void enqueue(std::function<void()> task) override;
    // Runs what is queued, then ends every worker.
    void shutdown() override;

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool stopping_ = false;
};
