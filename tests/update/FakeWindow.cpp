#include "FakeWindow.h"

TUpdateForm TFakeWindow::Form()
{
    TUpdateForm form;
    form.post = [this](int message) {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(message);
        changed_.notify_all();
    };
    form.runOnGui = [this](std::function<void()> task) {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
        changed_.notify_all();
    };
    form.askReplace = [this](const std::string& name, std::function<void(bool)> reply) {
        asked.push_back(name);
        askedOn.push_back(std::this_thread::get_id());
        reply(answer(name));
    };
    return form;
}

int TFakeWindow::WaitForMessage(std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        while (!tasks_.empty()) {
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
        if (!messages_.empty())
            return messages_.front();
        if (changed_.wait_until(lock, end) == std::cv_status::timeout && tasks_.empty())
            return messages_.empty() ? 0 : messages_.front();
    }
}

bool TFakeWindow::WaitForQueued(std::size_t count, std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return tasks_.size() >= count; });
}

void TFakeWindow::RunQueued()
{
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks.swap(tasks_);
    }
    for (auto& task : tasks)
        task();
}

std::vector<int> TFakeWindow::Messages() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

bool TForwardingLauncher::StartDetached(const std::string& program,
                                        const std::vector<std::string>& args)
{
    started.push_back(program);
    arguments.push_back(args);
    if (program == "/bin/sh")
        return true;
    return real_.StartDetached(program, args);
}

long TForwardingLauncher::StartChild(const std::string& program, const std::vector<std::string>& args)
{
    started.push_back(program);
    arguments.push_back(args);
    return real_.StartChild(program, args);
}
