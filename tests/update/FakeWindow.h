#pragma once
// Plays the main window's part for the updater: collects posted messages,
// queues "GUI thread" tasks that the test thread runs, and answers the
// replace question there.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Launcher.h"
#include "UpdateForm.h"

class TFakeWindow {
public:
    TUpdateForm Form();

    // Runs queued tasks on the calling thread until a message has been posted
    // or `limit` has passed; the first message, or 0.
    int WaitForMessage(std::chrono::milliseconds limit);
    // Waits until at least `count` tasks are queued (not running them).
    bool WaitForQueued(std::size_t count, std::chrono::milliseconds limit);
    // Runs the tasks queued so far.
    void RunQueued();

    std::vector<int> Messages() const;

    // The test's answer to the question; called on the thread running tasks.
    std::function<bool(const std::string&)> answer = [](const std::string&) { return false; };
    std::vector<std::string> asked;
    std::vector<std::thread::id> askedOn;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    std::vector<int> messages_;
};

// A launcher that records every start and really starts everything except
// the clean-up script.
class TForwardingLauncher : public ILauncher {
public:
    TForwardingLauncher() : real_(Launcher()) {}
    bool StartDetached(const std::string& program, const std::vector<std::string>& args) override;
    long StartChild(const std::string& program, const std::vector<std::string>& args) override;
    bool ChildRunning(long pid) override { return real_.ChildRunning(pid); }
    bool OpenUrl(const std::string&) override { return false; }
    std::string Query(const std::string&, const std::vector<std::string>&) override { return {}; }

    std::vector<std::string> started;
    std::vector<std::vector<std::string>> arguments;

private:
    ILauncher& real_;
};

// Installs a launcher for its lifetime.
class TLauncherScope {
public:
    explicit TLauncherScope(ILauncher& launcher) { SetLauncher(&launcher); }
    ~TLauncherScope() { SetLauncher(nullptr); }
};
