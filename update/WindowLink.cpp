#include "WindowLink.h"

void TWindowLink::Post(int message)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (!state_->closed && form_.post)
        form_.post(message);
}

bool TWindowLink::Ask(const std::string& fileName)
{
    if (!form_.askReplace)
        return false;
    if (!form_.runOnGui) {
        // Asked on this thread; the lock is not held meanwhile, so Close()
        // never waits for the answer.
        if (Closed())
            return false;
        bool yes = false;
        form_.askReplace(fileName, [&yes](bool answer) { yes = answer; });
        return yes && !Closed();
    }

    std::uint64_t id;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->closed)
            return false;
        id = ++state_->lastAsked;
    }
    // Queued without holding the lock, so a runOnGui that runs the task at
    // once cannot deadlock.
    form_.runOnGui([state = state_, ask = form_.askReplace, fileName, id] {
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->closed)
                return;
        }
        // The answer may come later, from the question's own box; the worker
        // waits for it, or for Close().
        ask(fileName, [state, id](bool yes) {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->lastAnswered < id) {
                state->lastAnswered = id;
                state->answer = yes;
            }
            state->answered.notify_all();
        });
    });

    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->answered.wait(lock, [&] { return state_->closed || state_->lastAnswered >= id; });
    return !state_->closed && state_->answer;
}

bool TWindowLink::RunUnlessClosed(const std::function<bool()>& action)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return !state_->closed && action();
}

void TWindowLink::Close()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->closed = true;
    state_->answered.notify_all();
}

bool TWindowLink::Closed() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->closed;
}
