#include "ClientProcess.h"

#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

bool TClientProcess::Start(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("QTWEBENGINE_CHROMIUM_FLAGS=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu");
    if (geteuid() == 0)
        env.push_back("QTWEBENGINE_DISABLE_SANDBOX=1");
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program;
    std::vector<std::string> argStore = args;
    std::vector<char*> argv = {path.data()};
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    const int rc = posix_spawn(&pid_, path.c_str(), nullptr, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        pid_ = -1;
    return rc == 0;
}

bool TClientProcess::Running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

void TClientProcess::Stop()
{
    if (pid_ <= 0)
        return;
    ::kill(-pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Helpers that outlived the client belong to its group.
    ::kill(-pid_, SIGKILL);
    pid_ = -1;
}

void TClientProcess::Kill()
{
    if (pid_ <= 0)
        return;
    ::kill(-pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}
