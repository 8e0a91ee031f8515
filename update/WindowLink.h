#pragma once
// The update worker's only channel to the main window: posting the result
// message and asking the replace question on the GUI thread. Once Close() has
// been called (the updater is being destroyed) nothing more is posted, every
// pending or later question is answered "No" at once, and a question already
// queued on the GUI thread is dropped without showing its box. So the
// destructor never waits for the GUI thread and shutdown cannot deadlock.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "UpdateForm.h"

class TWindowLink {
public:
    TWindowLink() = default;
    TWindowLink(const TWindowLink&) = delete;
    TWindowLink& operator=(const TWindowLink&) = delete;

    // Set before the worker starts.
    void Attach(const TUpdateForm& form) { form_ = form; }

    // Posts `message` unless closed.
    void Post(int message);
    // Blocks the calling (worker) thread until the window answers, or until
    // Close(); true only for an answered Yes.
    bool Ask(const std::string& fileName);
    // Runs `action` unless closed, holding off Close() meanwhile; false when
    // closed (the action did not run) or when the action returned false.
    bool RunUnlessClosed(const std::function<bool()>& action);

    void Close();
    bool Closed() const;

private:
    struct TState {
        mutable std::mutex mutex;
        std::condition_variable answered;
        bool closed = false;
        std::uint64_t lastAsked = 0;
        std::uint64_t lastAnswered = 0;
        bool answer = false;
    };

    TUpdateForm form_;
    // Shared with tasks queued on the GUI thread, which may outlive the link.
    std::shared_ptr<TState> state_ = std::make_shared<TState>();
};
