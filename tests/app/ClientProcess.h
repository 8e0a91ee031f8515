#pragma once
// Runs a built program (the client, or the publisher server) as a separate
// process, with Qt set to offscreen, in a process group of its own so that
// stopping it also ends the browser helper processes it started.

#include <string>
#include <vector>

#include <sys/types.h>

class TClientProcess {
public:
    // Starts `program` with `args`; false when it cannot be started.
    bool Start(const std::string& program, const std::vector<std::string>& args = {});
    // True while it has not exited.
    bool Running();
    // SIGTERM to its group, then SIGKILL after a grace period; reaps it.
    void Stop();
    // SIGKILL to its group at once, as a crash would end it; reaps it.
    void Kill();
    ~TClientProcess() { Stop(); }

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};
