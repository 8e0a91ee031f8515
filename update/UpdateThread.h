#pragma once
// The update worker: one thread that runs TMyUpdate::RunUpdate once. It
// starts at construction; destruction waits for the body to end, so the
// updater it works on outlives it (the updater aborts the download first).

#include <thread>

class TMyUpdate;

namespace myupdate {

class TMyThread {
public:
    explicit TMyThread(TMyUpdate& update);
    ~TMyThread();
    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    TMyUpdate& update;

private:
    void Execute();

    std::thread thread_;
};

} // namespace myupdate
