#include "WorkerPool.h"

#include <system_error>

void TWorkerPool::enqueue(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (idle_ < tasks_.size() && threads_.size() < kMaxThreads) {
            try {
                threads_.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                // No thread to be had: the task waits for a busy worker.
            }
        }
    }
    // Woken after the lock is released, the worker takes the task at once
    // instead of sleeping again on the mutex (one connection a task: this
    // runs for every GET of a client).
    wake_.notify_one();
}

void TWorkerPool::shutdown()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        threads.swap(threads_);
    }
    wake_.notify_all();
    for (auto& t : threads)
        t.join();
}

void TWorkerPool::Work()
{
    while (true) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            ++idle_;
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            --idle_;
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}
