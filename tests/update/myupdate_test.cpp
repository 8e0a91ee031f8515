#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "CleanupScript.h"
#include "FakeWindow.h"
#include "TempDir.h"
#include "TestSigner.h"
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
// fake window, a key made for it and a launcher that records (and, if asked,
// really starts). The new program must keep running for 200 ms.
struct TRig {
    explicit TRig(ILauncher* launcher = nullptr) : scope(launcher ? *launcher : recorder)
    {
        updater = std::make_unique<TMyUpdate>();
        updater->places = {temp, prog, "old-program"};
        updater->publicKey = signer.PublicKeyLine();
        updater->confirmRunningMs = 200;
        updater->runningAsRoot = false; // the suite may run as root
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
    // The archive and its signature, made for `version` and program `name`.
    void Serve(const TZipMaker& zip, const std::string& version = "20100901", const std::string& name = "newprog")
    {
        Serve(zip.Bytes(), version, name);
    }
    void Serve(const std::string& bytes, const std::string& version = "20100901", const std::string& name = "newprog")
    {
        server.Set(kArchivePath, bytes);
        server.Set(kArchivePath + ".minisig", signer.SignUpdate(bytes, version, name));
    }
    // Clean-up scripts left in the temporary folder.
    Names Scripts() const
    {
        Names scripts;
        for (const auto& name : ListFolder(temp))
            if (name.rfind("pallido-cleanup-", 0) == 0)
                scripts.push_back(temp + name);
        return scripts;
    }

    TTempDir dir;
    std::string temp = dir.Sub("tmp");
    std::string prog = dir.Sub("prog");
    TTestSigner signer;
    TTestServer server;
    TFakeWindow window;
    TRecordingLauncher recorder;
    TLauncherScope scope;
    std::unique_ptr<TMyUpdate> updater; // destroyed first
};

// Runs `f` in a child process inside a new user namespace, where files of
// this user are no longer ours to override (even root's): a folder of mode
// 0555 is read-only there. 1 when `f` was true, 0 when false, -1 when no such
// namespace can be made here.
int InUnprivilegedChild(const std::function<bool()>& f)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWUSER) != 0)
            ::_exit(2);
        ::_exit(f() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return -1;
    return WEXITSTATUS(status);
}

template <class F>
std::chrono::milliseconds Timed(F&& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
}

} // namespace

TEST(CheckUpdate, OnlyANewerWholeNumberStartsAnUpdate)
{
    // Equal, older, or not a whole number: nothing is started or requested.
    // Root never updates itself, whatever it is told.
    const std::vector<std::string> never = {std::string(kCurrentVersion), "", "20100822", "2010082", "020100823",
                                            "20100823 ", " 20100901", "+20100901", "-20100901", "2010.0901",
                                            "20100901\n", "v2", "0x20100901", "\xef\xbc\x92\xef\xbc\x90"};
    for (const std::string& version : never) {
        TRig rig;
        rig.Serve(TZipMaker().File("newprog", "#!/bin/sh\n", 0100755), version);
        EXPECT_FALSE(rig.Check(rig.Info(version))) << version;
        rig.updater.reset();
        EXPECT_TRUE(rig.server.Requests().empty()) << version;
        EXPECT_TRUE(rig.window.Messages().empty());
    }
    {
        TRig rig;
        rig.updater->runningAsRoot = true;
        rig.Serve(TZipMaker().File("newprog", "#!/bin/sh\n", 0100755));
        EXPECT_FALSE(rig.Check(rig.Info())) << "as root";
        rig.updater.reset();
        EXPECT_TRUE(rig.server.Requests().empty()) << "as root";
    }
    for (const std::string& version : std::vector<std::string>{"20100824", "020100824", "100000000",
                                                               "99999999999999999999999999"}) {
        TRig rig;
        ASSERT_TRUE(rig.Check(rig.Info(version))) << version;
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED) << version; // 404
        EXPECT_EQ(rig.server.RequestCount(kArchivePath), 1u);
        EXPECT_FALSE(rig.Check(rig.Info(version))) << "one update per run";
    }
}

TEST(CheckUpdate, WithoutAKeyOrAWritableProgramFolderNothingIsRequested)
{
    for (const std::string& key : {std::string(), std::string("RWQ"), std::string(56, 'A')}) {
        TRig rig;
        rig.updater->publicKey = key;
        rig.Serve(TZipMaker().File("newprog", "#!/bin/sh\n", 0100755));
        EXPECT_FALSE(rig.Check(rig.Info())) << key;
        rig.updater.reset();
        EXPECT_TRUE(rig.server.Requests().empty()) << key;
        EXPECT_TRUE(rig.window.Messages().empty());
    }

    TRig rig;
    rig.Serve(TZipMaker().File("newprog", "#!/bin/sh\n", 0100755));
    ASSERT_EQ(::chmod(rig.prog.c_str(), 0555), 0);
    const int started = InUnprivilegedChild([&] { return rig.Check(rig.Info()); });
    ::chmod(rig.prog.c_str(), 0755);
    if (started < 0)
        GTEST_SKIP() << "no user namespace can be made here";
    EXPECT_EQ(started, 0) << "a read-only program folder must not be updated";
    EXPECT_TRUE(rig.server.Requests().empty());
    // It is the folder's mode that counts there: writable again, it may be updated.
    EXPECT_EQ(InUnprivilegedChild([&] { return ::access(rig.prog.c_str(), W_OK) == 0; }), 1);
}

TEST(RunUpdate, AnArchiveWhoseSignatureDoesNotHoldIsNeitherKeptNorUnpacked)
{
    const std::string archive = TZipMaker().File("newprog", "#!/bin/sh\n", 0100755).File("readme.txt", "new").Bytes();
    TTestSigner stranger;
    std::string flipped = archive;
    flipped[flipped.size() / 2] ^= 0x20;
    struct TCase {
        const char* what;
        std::function<void(TRig&)> serve;
        const char* error;
    };
    const std::vector<TCase> cases = {
        {"one flipped byte",
         [&](TRig& r) {
             r.Serve(archive);
             r.server.Set(kArchivePath, flipped);
         },
         "does not match"},
        {"another key", [&](TRig& r) { r.server.Set(kArchivePath, archive); r.server.Set(kArchivePath + ".minisig", stranger.SignUpdate(archive, "20100901", "newprog")); }, "another key"},
        {"no signature (404)", [&](TRig& r) { r.server.Set(kArchivePath, archive); }, "signature failed"},
        {"signed for another version", [&](TRig& r) { r.Serve(archive, "20100902"); }, "does not say version=20100901"},
        {"no version at all", [&](TRig& r) { r.server.Set(kArchivePath, archive); r.server.Set(kArchivePath + ".minisig", r.signer.Sign(archive, "timestamp:1 name=newprog")); }, "does not say version=20100901"},
        {"signed for another program", [&](TRig& r) { r.Serve(archive, "20100901", "helper"); }, "does not say name=newprog"},
        {"no program named", [&](TRig& r) { r.server.Set(kArchivePath, archive); r.server.Set(kArchivePath + ".minisig", r.signer.SignVersion(archive, "20100901")); }, "does not say name=newprog"},
        {"garbage", [&](TRig& r) { r.server.Set(kArchivePath, archive); r.server.Set(kArchivePath + ".minisig", std::string(300, '\xff')); }, "not a minisign"},
        {"truncated",
         [&](TRig& r) {
             r.server.Set(kArchivePath, archive);
             const std::string sig = r.signer.SignUpdate(archive, "20100901", "newprog");
             r.server.Set(kArchivePath + ".minisig", sig.substr(0, sig.size() - 30));
         },
         "not a minisign"},
        {"over 4 KiB",
         [&](TRig& r) {
             r.server.Set(kArchivePath, archive);
             r.server.Set(kArchivePath + ".minisig", r.signer.SignUpdate(archive, "20100901", "newprog") + std::string(4096, '\n'));
         },
         "signature failed"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TRig rig;
        c.serve(rig);
        ASSERT_TRUE(rig.Check(rig.Info()));
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
        EXPECT_NE(rig.updater->LastError().find(c.error), std::string::npos) << rig.updater->LastError();
        EXPECT_FALSE(rig.updater->Installed());
        rig.updater.reset();
        EXPECT_EQ(rig.server.RequestCount(kArchivePath + ".minisig"), 1u);
        EXPECT_TRUE(ListFolder(rig.temp).empty()) << "nothing of the download is kept";
        EXPECT_EQ(ListFolder(rig.prog), (Names{"old-program"}));
        EXPECT_TRUE(rig.recorder.calls.empty());
    }
}

TEST(RunUpdate, ANewProgramThatEndsWithinTwoSecondsIsAFailedUpdate)
{
    const std::string program = ReadFile(UPDATE_TEST_PROGRAM);
    for (const char* stay : {"0", "800"}) {
        SCOPED_TRACE(stay);
        TForwardingLauncher launcher;
        TRig rig(&launcher);
        rig.updater->confirmRunningMs = 2000; // as the program has it
        rig.Serve(TZipMaker().File("newprog", program, 0100755).File("newprog.stay", stay));
        ASSERT_TRUE(rig.Check(rig.Info()));
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
        EXPECT_NE(rig.updater->LastError().find("did not keep running"), std::string::npos)
            << rig.updater->LastError();
        EXPECT_FALSE(rig.updater->Installed());
        rig.updater.reset();
        EXPECT_EQ(launcher.started, (Names{rig.prog + "newprog"})) << "no clean-up script";
        EXPECT_EQ(ReadFile(rig.prog + "old-program"), "old");
        EXPECT_EQ(ReadFile(rig.prog + "newprog.ran"), "ran");
        EXPECT_TRUE(rig.Scripts().empty());
    }
}

TEST(RunUpdate, DownloadLimits)
{
    // The updater's own limits are the ones that hold: one byte under the
    // archive refuses the download, one byte under its content the unpacking.
    const std::string bytes = TZipMaker().File("newprog", std::string(4000, 'B'), 0100755, false).Bytes();
    for (const bool download : {true, false}) {
        TRig rig;
        rig.Serve(bytes);
        if (download)
            rig.updater->http->Settings().maxBodyBytes = bytes.size() - 1;
        else
            rig.updater->maxUnpackedBytes = 3999;
        ASSERT_TRUE(rig.Check(rig.Info()));
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED) << download;
        const std::string error = rig.updater->LastError();
        EXPECT_NE(error.find(download ? "reply too large" : "more than 3999 bytes"), std::string::npos) << error;
        rig.updater.reset();
        EXPECT_EQ(ListFolder(rig.prog), (Names{"old-program"})) << download;
        EXPECT_TRUE(rig.recorder.calls.empty()) << download;
    }
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

    EXPECT_TRUE(rig.Scripts().empty()) << "no script before the window closes";
    rig.updater.reset();
    ASSERT_EQ(rig.Scripts().size(), 1u);
    const std::string script = rig.Scripts()[0];
    const std::string expected = CleanupScriptText(
        TScriptKind::PosixShell, {rig.prog, "old-program", static_cast<long>(getpid()), script});
    EXPECT_EQ(ReadFile(script), expected);
    struct stat st {};
    ASSERT_EQ(::stat(script.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
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
    EXPECT_TRUE(ListFolder(rig.temp).empty());

    // The real launcher refuses a program the archive did not make executable.
    TForwardingLauncher launcher;
    TRig plain(&launcher);
    plain.Serve(TZipMaker().File("newprog", "not a program", 0100644));
    ASSERT_TRUE(plain.Check(plain.Info()));
    EXPECT_EQ(plain.window.WaitForMessage(10s), WM_UPDATE_FAILED);
    plain.updater.reset();
    EXPECT_EQ(launcher.started, (Names{plain.prog + "newprog"}));
    EXPECT_TRUE(ListFolder(plain.temp).empty());
}

TEST(RunUpdate, ACorruptArchiveLeavesNothingInTheTemporaryFolder)
{
    TRig rig;
    std::string bytes = TZipMaker()
                            .File("first.txt", std::string(4000, 'A'), 0100644, false)
                            .File("newprog", std::string(4000, 'B'), 0100755, false)
                            .Bytes();
    bytes[bytes.find(std::string(4000, 'B')) + 10] = 'x';
    rig.Serve(bytes); // signed as it is: broken before it was signed
    ASSERT_TRUE(rig.Check(rig.Info()));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
    rig.updater.reset();
    EXPECT_TRUE(ListFolder(rig.temp).empty());
    EXPECT_EQ(ListFolder(rig.prog), (Names{"first.txt", "old-program"}));
    EXPECT_TRUE(rig.recorder.calls.empty());
}

TEST(RunUpdate, OnlyAProgramTheArchiveBroughtIsStarted)
{
    // The folder already holds a program of the announced name; the archive
    // (signed for that name) does not bring it, or the user kept the old one.
    for (bool asked : {false, true}) {
        SCOPED_TRACE(asked ? "the user kept the old file" : "not in the archive");
        TRig rig;
        WriteFile(rig.prog + "helper", "#!/bin/sh\n");
        TZipMaker zip;
        zip.File("readme.txt", "new");
        if (asked)
            zip.File("helper", "#!/bin/sh\necho new\n", 0100755);
        rig.Serve(zip, "20100901", "helper");
        ASSERT_TRUE(rig.Check(rig.Info("20100901", "helper")));
        EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_FAILED);
        EXPECT_NE(rig.updater->LastError().find("did not bring helper"), std::string::npos)
            << rig.updater->LastError();
        rig.updater.reset();
        EXPECT_EQ(rig.window.asked, asked ? Names{"helper"} : Names{});
        EXPECT_TRUE(rig.recorder.calls.empty());
        EXPECT_TRUE(rig.Scripts().empty());
    }
}

TEST(RunUpdate, ProgramNameFromTheServerMustBeAPlainFileName)
{
    for (const std::string& bad : std::vector<std::string>{"../newprog", "/tmp/newprog", "sub\\newprog", "..", "",
                                                           "new..prog", std::string("newprog\0x", 9)}) {
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
    EXPECT_TRUE(rig.Scripts().empty());
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
    rig.Serve(TZipMaker().File("newprog", "#!/bin/sh\n", 0100755));
    ASSERT_TRUE(rig.Check(rig.Info()));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_DONE);
    rig.updater->places.tempFolder = rig.dir.Path() + "missing/";
    rig.updater.reset();
    ASSERT_EQ(rig.recorder.calls.size(), 1u);
    EXPECT_EQ(rig.recorder.calls[0].program, rig.prog + "newprog");
}

TEST(Shutdown, NoScriptWhenTheNewProgramTookTheOldName)
{
    TRig rig;
    rig.Serve(TZipMaker().File("old-program", "#!/bin/sh\n", 0100755), "20100901", "old-program");
    rig.window.answer = [](const std::string&) { return true; };
    ASSERT_TRUE(rig.Check(rig.Info("20100901", "old-program")));
    EXPECT_EQ(rig.window.WaitForMessage(10s), WM_UPDATE_DONE);
    rig.updater.reset();
    EXPECT_EQ(ReadFile(rig.prog + "old-program"), "#!/bin/sh\n");
    ASSERT_EQ(rig.recorder.calls.size(), 1u);
    EXPECT_TRUE(rig.Scripts().empty());
}
