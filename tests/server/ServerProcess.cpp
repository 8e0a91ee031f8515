#include "ServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "ServerFixture.h"
#include "System.h"

using namespace std::chrono_literals;

namespace {

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

std::string TestTempPath(const std::string& name)
{
    return platform::TempFolder() + "pallido-server-test-" + std::to_string(getpid()) + "-" + name;
}

TProcess::TProcess(const std::vector<std::string>& args, int stackKiB)
{
    static int counter = 0;
    ++counter;
    out_ = TestTempPath(std::to_string(counter) + ".out");
    err_ = TestTempPath(std::to_string(counter) + ".err");
    std::vector<std::string> all;
    if (stackKiB > 0) // the shell sets the limit, then becomes the server
        all = {"/bin/sh", "-c", "ulimit -s " + std::to_string(stackKiB) + " && exec \"$0\" \"$@\""};
    all.push_back(PALLIDO_SERVER_BINARY);
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

TProcess::~TProcess()
{
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::remove(out_.c_str());
    std::remove(err_.c_str());
}

void TProcess::Signal(int sig)
{
    if (pid_ > 0 && !exited_)
        kill(pid_, sig);
}

int TProcess::Wait(std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    return -1;
}

bool TProcess::Running()
{
    int status = 0;
    if (!exited_ && waitpid(pid_, &status, WNOHANG) == pid_)
        exited_ = true;
    return pid_ > 0 && !exited_;
}

long TProcess::PeakKiB() const
{
    std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

std::string TProcess::Out() const { return Read(out_); }
std::string TProcess::Err() const { return Read(err_); }

bool Answers(int port, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (RawGet(port, "/taobao/III/OK/ok_list.php?pid=mm_10000001_0_0").status == 200)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}
