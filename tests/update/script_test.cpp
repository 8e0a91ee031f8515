#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

#include "CleanupScript.h"
#include "TempDir.h"

extern char** environ;

using namespace std::chrono_literals;

namespace {

pid_t Spawn(const std::vector<std::string>& argv, const std::string& cwd = {})
{
    std::vector<std::string> args = argv;
    if (!cwd.empty())
        args = {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", cwd};
    if (!cwd.empty())
        args.insert(args.end(), argv.begin(), argv.end());
    std::vector<char*> raw;
    for (auto& a : args)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawn(&pid, raw[0], nullptr, nullptr, raw.data(), environ) == 0 ? pid : -1;
}

// Waits up to `limit` for `pid` to end; true when it did.
bool WaitFor(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

} // namespace

TEST(CleanupScript, BatchIsTheFiveClassicLines)
{
    TCleanupJob job{"C:/Program Files/Pallido/", "Pallido.exe", 4242, "C:/work/update.bat"};
    EXPECT_EQ(CleanupScriptText(TScriptKind::WindowsBatch, job),
              "@echo off\r\n"
              ":loop\r\n"
              "del \"Pallido.exe\"\r\n"
              "if exist \"Pallido.exe\" goto loop\r\n"
              "del update.bat\r\n");
    EXPECT_STREQ(CleanupScriptName(TScriptKind::WindowsBatch), "update.bat");
    EXPECT_STREQ(CleanupScriptName(TScriptKind::PosixShell), "update.sh");
    EXPECT_EQ(NativeScriptKind(), TScriptKind::PosixShell);

    // "%" would be expanded by the batch interpreter; doubled it is literal.
    job.programName = "100%off.exe";
    EXPECT_NE(CleanupScriptText(TScriptKind::WindowsBatch, job).find("del \"100%%off.exe\"\r\n"),
              std::string::npos);
    for (const std::string& bad : std::vector<std::string>{"", "a\"b.exe", "a\r\ndel x", "dir\\a.exe", std::string("a\0b", 3)}) {
        job.programName = bad;
        EXPECT_EQ(CleanupScriptText(TScriptKind::WindowsBatch, job), "") << bad;
    }
}

TEST(CleanupScript, ShellScriptWaitsForTheProcessAndQuotesEveryName)
{
    TCleanupJob job{"/opt/pallido/", "pallido", 4242, "/home/u/update.sh"};
    EXPECT_EQ(CleanupScriptText(TScriptKind::PosixShell, job),
              "#!/bin/sh\n"
              "# Deletes the previous program once its process 4242 has ended, then this script.\n"
              "while kill -0 4242 2>/dev/null; do sleep 1; done\n"
              "cd -- '/opt/pallido/' && rm -f -- 'pallido'\n"
              "rm -f -- '/home/u/update.sh'\n");
    EXPECT_EQ(ShellQuote("it's $HOME"), "'it'\\''s $HOME'");
    for (auto bad : {TCleanupJob{"/opt/", "", 1, "/s"}, TCleanupJob{"/opt/", "a/b", 1, "/s"},
                     TCleanupJob{"/opt/", "..", 1, "/s"}, TCleanupJob{"/opt/", "p", 0, "/s"},
                     TCleanupJob{"", "p", 1, "/s"}, TCleanupJob{"/opt/", "p", 1, ""}})
        EXPECT_EQ(CleanupScriptText(TScriptKind::PosixShell, bad), "") << bad.programName;
}

TEST(CleanupScript, ShellScriptDeletesTheOldProgramOnlyAfterItExited)
{
    TTempDir dir;
    const std::string prog = dir.Sub("it's $prog dir");
    const std::string scripts = dir.Sub("scripts");
    const std::string name = "old \"pallido\" $(touch pwned) `touch pwned2`";
    WriteFile(prog + name, "old program");
    WriteFile(prog + "other", "stays");

    const pid_t oldProcess = Spawn({"/bin/sleep", "30"});
    ASSERT_GT(oldProcess, 0);
    TCleanupJob job{prog, name, static_cast<long>(oldProcess), scripts + "update.sh"};
    const std::string text = CleanupScriptText(TScriptKind::PosixShell, job);
    ASSERT_FALSE(text.empty());
    WriteFile(job.scriptPath, text);

    const pid_t script = Spawn({"/bin/sh", job.scriptPath}, scripts);
    ASSERT_GT(script, 0);
    EXPECT_FALSE(WaitFor(script, 1500ms)) << "the script must wait for the old process";
    EXPECT_TRUE(std::filesystem::exists(prog + name));

    ::kill(oldProcess, SIGKILL);
    ASSERT_TRUE(WaitFor(oldProcess, 5s));
    ASSERT_TRUE(WaitFor(script, 10s));
    EXPECT_FALSE(std::filesystem::exists(prog + name));
    EXPECT_FALSE(std::filesystem::exists(job.scriptPath));
    EXPECT_EQ(ListFolder(prog), (std::vector<std::string>{"other"}));
    EXPECT_TRUE(ListFolder(scripts).empty());
}

TEST(CleanupScript, IsWrittenUnderANewPrivateNameAndNeverOverAnotherFile)
{
    TTempDir dir;
    const std::string folder = dir.Sub("tmp");
    WriteFile(folder + "update.sh", "the user's own file");
    WriteFile(folder + "pallido-cleanup-XXXXXX", "another");

    TCleanupJob first{"/opt/pallido/", "pallido", 4242, ""};
    TCleanupJob second = first;
    std::string error;
    ASSERT_TRUE(WriteCleanupScript(folder, first, &error)) << error;
    ASSERT_TRUE(WriteCleanupScript(folder.substr(0, folder.size() - 1), second, &error)) << error;
    EXPECT_NE(first.scriptPath, second.scriptPath);
    for (const TCleanupJob& job : {first, second}) {
        EXPECT_EQ(job.scriptPath.rfind(folder + "pallido-cleanup-", 0), 0u) << job.scriptPath;
        EXPECT_EQ(ReadFile(job.scriptPath), CleanupScriptText(TScriptKind::PosixShell, job));
        struct stat st {};
        ASSERT_EQ(::stat(job.scriptPath.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0700u);
    }
    EXPECT_EQ(ReadFile(folder + "update.sh"), "the user's own file");
    EXPECT_EQ(ReadFile(folder + "pallido-cleanup-XXXXXX"), "another");
    EXPECT_EQ(ListFolder(folder).size(), 4u);

    // A job that cannot be written safely, or a folder that is not there,
    // leaves nothing behind.
    TCleanupJob unsafe{"/opt/pallido/", "a/b", 4242, ""};
    EXPECT_FALSE(WriteCleanupScript(folder, unsafe, &error));
    EXPECT_TRUE(unsafe.scriptPath.empty());
    EXPECT_EQ(ListFolder(folder).size(), 4u);
    TCleanupJob nowhere{"/opt/pallido/", "pallido", 4242, ""};
    EXPECT_FALSE(WriteCleanupScript(dir.Path() + "missing/", nowhere, &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}
