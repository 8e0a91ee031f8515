#pragma once
// Runs the built client as a separate process, offscreen, in a process group
// of its own so that stopping it also ends the browser helper processes it
// started.

#include <string>
#include <sys/types.h>

class TClientProcess {
public:
    // Starts `program` with no arguments; false when it cannot be started.
    bool Start(const std::string& program);
    // True while it has not exited.
    bool Running();
    // SIGTERM to its group, then SIGKILL after a grace period; reaps it.
    void Stop();
    ~TClientProcess() { Stop(); }

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};
