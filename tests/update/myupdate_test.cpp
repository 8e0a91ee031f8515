#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "CleanupScript.h"
#include "FakeWindow.h"
#include "TempDir.h"
#include "TestServer.h"
#include "ZipMaker.h"
#include "data.h"
#include "myupdate.h"

using namespace std::chrono_literals;
using myupdate::WM_UPDATE_DONE;
using myupdate::WM_UPDATE_FAILED;

namespace {

using Names = std::vector<std::string>;
const std::string kArchivePath = "/downloads/update.zip";

// One updater working in folders of its own, against a local server, with a
// fake window and a launcher that records (and, if asked, really starts).
struct TRig {
    explicit TRig(ILauncher* launcher = nullptr) : scope(launcher ? *launcher : recorder)
    {
        updater = std::make_unique<TMyUpdate>();
        updater->places = {temp, prog, "old-program", cwd};
        WriteFile(prog + "old-program", "old");
    }

    SOFT_INFO Info(const std::string& version = "20100901", const std::string& name = "newprog")
    {
        SOFT_INFO info;
        info.version = version;
        info.update_name = name;
        info.update_url = server.BaseUrl() + kArchivePath.substr(1);
        return info;
    }
    bool Check(const SOFT_INFO& info) { return updater->CheckUpdate(window.Form(), info, kCurrentVersion); }
    void Serve(const TZipMaker& zip) { server.Set(kArchivePath, zip.Bytes()); }

    TTempDir dir;
    std::string temp = dir.Sub("tmp");
    std::string prog = dir.Sub("prog");
    std::string cwd = dir.Sub("cwd");
    TTestServer server;
    TFakeWindow window;
    TRecordingLauncher recorder;
    TLauncherScope scope;
    std::unique_ptr<TMyUpdate> updater; // destroyed first
};

template <class F>
std::chrono::milliseconds Timed(F&& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
}

} // namespace

TEST(CheckUpdate, OnlyAVersionOtherThanTheRunningOneStartsAnUpdate)
{
    for (const std::string& same : std::vector<std::string>{std::string(kCurrentVersion), std::string()}) {
        TRig rig;
        EXPECT_FALSE(rig.Check(rig.Info(same))) << same;
        rig.updater.reset();
        EXPECT_EQ(rig.server.RequestCount(kArchivePath), 0u);
        EXPECT_TRUE(rig.window.Messages().empty());
    }
    // No ordering of versions: lower, higher, or merely different all update.
    for (const std::string& other : std::vector<std::string>{"20100822", "20100824", "2010082", "20100823 ", "v2"}) {
        TRig rig;
        ASSERT_TRUE(rig.Check(rig.Info(other))) << other;
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED) << other; // 404
        EXPECT_EQ(rig.server.RequestCount(kArchivePath), 1u);
        EXPECT_FALSE(rig.Check(rig.Info(other))) << "one update per run";
    }
}

TEST(CheckUpdate, DownloadLimits)
{
    TMyUpdate updater;
    EXPECT_EQ(updater.http->Settings().maxBodyBytes, std::size_t(256) << 20);
    EXPECT_EQ(updater.http->Settings().stallTimeoutMs, 60000);
    EXPECT_EQ(updater.http->Settings().connectTimeoutMs, 10000);
    EXPECT_EQ(updater.maxUnpackedBytes, std::uint64_t(1) << 30);
}

TEST(RunUpdate, SuccessStartsTheNewProgramAndLeavesTheCleanupScript)
{
    TForwardingLauncher launcher;
    TRig rig(&launcher);
    std::string program = ReadFile(UPDATE_TEST_PROGRAM);
    ASSERT_FALSE(program.empty());
    rig.Serve(TZipMaker()
                  .Folder("Pallido/")
                  .File("Pallido/newprog", program, 0100755)
                  .File("Pallido/skins/readme.txt", "hello"));
    ASSERT_TRUE(rig.Check(rig.Info()));
    ASSERT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_DONE) << rig.updater->LastError();
    EXPECT_TRUE(rig.updater->Installed());
    EXPECT_TRUE(ListFolder(rig.temp).empty()) << "the archive is deleted";
    ASSERT_EQ(launcher.started, (Names{rig.prog + "newprog"}));

    bool ran = false;
    for (int i = 0; i < 250 && !ran; ++i) {
        ran = ReadFile(rig.prog + "newprog.ran") == "ran";
        if (!ran)
            std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(ran) << "the new program did not run";
    EXPECT_EQ(ListFolder(rig.prog), (Names{"newprog", "newprog.ran", "old-program", "readme.txt"}));

    EXPECT_TRUE(ListFolder(rig.cwd).empty()) << "no script before the window closes";
    rig.updater.reset();
    const std::string script = rig.cwd + "update.sh";
    const std::string expected = CleanupScriptText(
        TScriptKind::PosixShell, {rig.prog, "old-program", static_cast<long>(getpid()), script});
    EXPECT_EQ(ReadFile(script), expected);
    EXPECT_NE(expected.find("rm -f -- 'old-program'\n"), std::string::npos);
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[1], "/bin/sh");
    EXPECT_EQ(launcher.arguments[1], (Names{script}));
}

TEST(RunUpdate, DownloadFailuresReportFailedAndLeaveNoScript)
{
    {
        TRig rig; // nothing served: 404
        ASSERT_TRUE(rig.Check(rig.Info()));
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
        EXPECT_FALSE(rig.updater->Installed());
        rig.updater.reset();
        EXPECT_TRUE(ListFolder(rig.temp).empty());
        EXPECT_TRUE(ListFolder(rig.cwd).empty());
        EXPECT_TRUE(rig.recorder.calls.empty());
        EXPECT_EQ(rig.window.Messages(), (std::vector<int>{WM_UPDATE_FAILED}));
    }
    {
        TRig rig;
        TCannedReply stalled;
        stalled.body = TZipMaker().File("newprog", "x", 0100755).Bytes();
        stalled.contentType = "application/zip";
        stalled.stallMidBody = true;
        stalled.bytesBeforeStall = 20;
        stalled.stallFor = 20s;
        rig.server.Set(kArchivePath, stalled);
        rig.updater->SetStallTimeoutMs(300);
        ASSERT_TRUE(rig.Check(rig.Info()));
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
        EXPECT_NE(rig.updater->LastError().find("read time-out"), std::string::npos);
        rig.updater.reset();
        EXPECT_TRUE(ListFolder(rig.temp).empty());
        EXPECT_TRUE(ListFolder(rig.prog) == (Names{"old-program"}));
        EXPECT_TRUE(ListFolder(rig.cwd).empty());
        EXPECT_TRUE(rig.recorder.calls.empty());
    }
    {
        TRig rig; // nobody listening
        SOFT_INFO info = rig.Info();
        info.update_url = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/u.zip";
        ASSERT_TRUE(rig.Check(info));
        EXPECT_EQ(rig.window.WaitForMessage(15s), WM_UPDATE_FAILED);
    }
}

TEST(RunUpdate, FailedStartKeepsTheOldProgram)
{
    TRig rig;
    rig.recorder.startResult = false;
    rig.Serve(TZipMaker().File("newprog", "#!/bin/sh\n", 0100755));
    ASSERT_TRUE(rig.Check(rig.Info()));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
    EXPECT_FALSE(rig.updater->Installed());
    rig.updater.reset();
    ASSERT_EQ(rig.recorder.calls.size(), 1u) << "the program start only, no script";
    EXPECT_EQ(rig.recorder.calls[0].program, rig.prog + "newprog");
    EXPECT_TRUE(ListFolder(rig.cwd).empty());

    // The real launcher refuses a program the archive did not make executable.
    TForwardingLauncher launcher;
    TRig plain(&launcher);
    plain.Serve(TZipMaker().File("newprog", "not a program", 0100644));
    ASSERT_TRUE(plain.Check(plain.Info()));
    EXPECT_EQ(plain.window.WaitForMessage(10s), WM_UPDATE_FAILED);
    plain.updater.reset();
    EXPECT_EQ(launcher.started, (Names{plain.prog + "newprog"}));
    EXPECT_TRUE(ListFolder(plain.cwd).empty());
}

TEST(RunUpdate, CorruptArchiveStaysInTheTemporaryFolder)
{
    TRig rig;
    std::string bytes = TZipMaker()
                            .File("first.txt", std::string(4000, 'A'), 0100644, false)
                            .File("newprog", std::string(4000, 'B'), 0100755, false)
                            .Bytes();
    bytes[bytes.find(std::string(4000, 'B')) + 10] = 'x';
    rig.server.Set(kArchivePath, bytes);
    ASSERT_TRUE(rig.Check(rig.Info()));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
    rig.updater.reset();
    EXPECT_EQ(ListFolder(rig.temp), (Names{"newprog"}));
    EXPECT_EQ(ReadFile(rig.temp + "newprog"), bytes);
    EXPECT_EQ(ListFolder(rig.prog), (Names{"first.txt", "old-program"}));
    EXPECT_TRUE(rig.recorder.calls.empty());
}

TEST(RunUpdate, ProgramNameFromTheServerMustBeAPlainFileName)
{
    for (const std::string& bad : std::vector<std::string>{"../newprog", "/tmp/newprog", "sub\\newprog", "..", ""}) {
        TRig rig;
        rig.Serve(TZipMaker().File("newprog", "x", 0100755));
        ASSERT_TRUE(rig.Check(rig.Info("20100901", bad)));
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED) << bad;
        EXPECT_EQ(rig.server.RequestCount(kArchivePath), 0u) << bad;
    }
}

TEST(RunUpdate, ReplaceQuestionIsAnsweredOnTheWindowThread)
{
    TRig rig;
    WriteFile(rig.prog + "config.ini", "old config");
    WriteFile(rig.prog + "skin.dat", "old skin");
    rig.Serve(TZipMaker()
                  .File("config.ini", "new config")
                  .File("skin.dat", "new skin")
                  .File("newprog", "#!/bin/sh\n", 0100755));
    rig.window.answer = [](const std::string& name) { return name == "skin.dat"; };
    ASSERT_TRUE(rig.Check(rig.Info()));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_DONE) << rig.updater->LastError();
    EXPECT_EQ(rig.window.asked, (Names{"config.ini", "skin.dat"}));
    for (auto id : rig.window.askedOn)
        EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(ReadFile(rig.prog + "config.ini"), "old config");
    EXPECT_EQ(ReadFile(rig.prog + "skin.dat"), "new skin");
}

TEST(Shutdown, ClosingDuringTheQuestionNeitherWaitsNorAsksLater)
{
    TRig rig;
    WriteFile(rig.prog + "config.ini", "old config");
    rig.Serve(TZipMaker().File("config.ini", "new").File("newprog", "#!/bin/sh\n", 0100755));
    ASSERT_TRUE(rig.Check(rig.Info()));
    ASSERT_TRUE(rig.window.WaitForQueued(1, 10s));
    // The window is busy closing and never runs the queued question.
    EXPECT_LT(Timed([&] { rig.updater.reset(); }), 2000ms);
    rig.window.RunQueued();
    EXPECT_TRUE(rig.window.asked.empty());
    EXPECT_TRUE(rig.window.Messages().empty());
    EXPECT_EQ(ReadFile(rig.prog + "config.ini"), "old config");
    EXPECT_FALSE(std::filesystem::exists(rig.prog + "newprog"));
    EXPECT_TRUE(rig.recorder.calls.empty());
    EXPECT_TRUE(ListFolder(rig.cwd).empty());
}

TEST(Shutdown, ClosingDuringTheDownloadAbortsIt)
{
    TRig rig;
    TCannedReply slow;
    slow.body = std::string(100000, 'z');
    slow.stallMidBody = true;
    slow.bytesBeforeStall = 100;
    slow.stallFor = 30s;
    rig.server.Set(kArchivePath, slow);
    ASSERT_TRUE(rig.Check(rig.Info()));
    for (int i = 0; i < 500 && rig.server.RequestCount(kArchivePath) == 0; ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(200ms);
    EXPECT_LT(Timed([&] { rig.updater.reset(); }), 3000ms);
    EXPECT_TRUE(rig.window.Messages().empty());
    EXPECT_TRUE(ListFolder(rig.temp).empty());
    EXPECT_TRUE(rig.recorder.calls.empty());
}

TEST(Shutdown, ScriptThatCannotBeWrittenIsNotStarted)
{
    TRig rig;
    rig.updater->places.scriptFolder = rig.dir.Path() + "missing/";
    rig.Serve(TZipMaker().File("newprog", "#!/bin/sh\n", 0100755));
    ASSERT_TRUE(rig.Check(rig.Info()));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_DONE);
    rig.updater.reset();
    ASSERT_EQ(rig.recorder.calls.size(), 1u);
    EXPECT_EQ(rig.recorder.calls[0].program, rig.prog + "newprog");
}

TEST(Shutdown, NoScriptWhenTheNewProgramTookTheOldName)
{
    TRig rig;
    rig.Serve(TZipMaker().File("old-program", "#!/bin/sh\n", 0100755));
    rig.window.answer = [](const std::string&) { return true; };
    ASSERT_TRUE(rig.Check(rig.Info("20100901", "old-program")));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_DONE);
    rig.updater.reset();
    EXPECT_EQ(ReadFile(rig.prog + "old-program"), "#!/bin/sh\n");
    ASSERT_EQ(rig.recorder.calls.size(), 1u);
    EXPECT_TRUE(ListFolder(rig.cwd).empty());
}
