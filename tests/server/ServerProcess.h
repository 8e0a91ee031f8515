#pragma once
// The pallido-server program run by a test: its arguments, its stdout and
// stderr in files, its signals, exit code and peak memory.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class TProcess {
public:
    // Starts the server binary with `args`. With `stackKiB`, every thread
    // of the program gets stacks of that size (the limit is set before it
    // starts).
    explicit TProcess(const std::vector<std::string>& args, int stackKiB = 0);
    ~TProcess();
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;

    void Signal(int sig);
    // Exit code, or -1 when it did not end in time (or died of a signal).
    int Wait(std::chrono::milliseconds limit);
    // Still running (not ended, not killed by a signal)?
    bool Running();
    // Peak resident memory so far in KiB (VmHWM); -1 when unknown.
    long PeakKiB() const;

    std::string Out() const;
    std::string Err() const;

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    std::string out_, err_;
};

// Waits until the server on `port` answers the software information.
bool Answers(int port, std::chrono::milliseconds limit);

// A file name in the temporary folder, unique to this test process.
std::string TestTempPath(const std::string& name);
