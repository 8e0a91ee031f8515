#include "ComputePool.h"

#include <algorithm>

TComputePool::TComputePool(std::size_t threads)
{
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i)
        threads_.emplace_back([this] { Work(); });
}

TComputePool::~TComputePool() { Shutdown(); }

void TComputePool::Post(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void TComputePool::Shutdown()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_)
        if (t.joinable())
            t.join();
}

void TComputePool::Work()
{
    while (true) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}
