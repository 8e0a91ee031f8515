// The whole self-update as a user meets it: the built client, started from a
// folder of its own against the built publisher server that announces a new
// version. A client built with the test key downloads the archive and its
// signature (made with the minisign tool), unpacks it only when the
// signature holds, starts the new program, quits once that keeps running,
// and the clean-up script then deletes the old executable and itself. The
// publisher server sits behind a recording forwarder on the client's
// built-in address, so the tests see what the client asked for. Root never
// updates itself: run as root, the tests start the client in a user
// namespace of its own, where it is not root.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ClientProcess.h"
#include "PortServer.h"
#include "TempDir.h"
#include "ZipMaker.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const int kPrimary = LoopbackPort(PALLIDO_PRIMARY_URL);
const std::string kVersion = "20100901";
const std::string kName = "pallido-update";

template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (pred())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return pred();
}

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

class TUpdateEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (kPrimary == 0 || !PortFree(kPrimary))
            GTEST_SKIP() << "the client's built-in primary address is not a free port on 127.0.0.1";
        if (::geteuid() == 0 && !Shell("unshare -U true"))
            GTEST_SKIP() << "as root the client never updates itself, and no user namespace can be made here";
        fs::create_directories(prog);
        fs::create_directories(temp);
    }

    void TearDown() override { StopAll(); }

    // Stops the client, the forwarder and the server; the next run gets new ones.
    void StopAll()
    {
        client = std::make_unique<TClientProcess>();
        forwarder = std::make_unique<TPortServer>();
        server = std::make_unique<TClientProcess>();
        fs::permissions(prog, fs::perms::owner_all, fs::perm_options::add);
    }

    // The update archive: the new program (staying `stay` ms) and a text file.
    void MakeArchive(const std::string& stay = "4000")
    {
        TZipMaker()
            .File("release/" + kName, ReadAll(UPDATE_TEST_PROGRAM), 0100755)
            .File("release/" + kName + ".stay", stay)
            .File("release/readme.txt", "new version")
            .Save(archive.string());
    }

    // Signs the archive with the minisign tool and `key` (the test client's
    // own by default) for `comment`; `legacy` for the "Ed" algorithm.
    void Sign(const std::string& comment = "version=" + kVersion + " name=" + kName, bool legacy = false,
              const std::string& key = UPDATE_TEST_KEY)
    {
        ASSERT_TRUE(Shell(std::string(MINISIGN_PROGRAM) + " -S" + (legacy ? " -l" : "") + " -s " + Quoted(key) +
                          " -m " + Quoted(archive) + " -t '" + comment + "'"));
    }

    void StartServer(const std::string& version = kVersion, const std::string& name = kName)
    {
        const int upstream = FreePort();
        ASSERT_TRUE(server->Start(PALLIDO_SERVER,
                                 {"--port", std::to_string(upstream), "--catalog", (root / "cat.sqlite").string(),
                                  "--announce-version", version, "--update-archive", archive.string(),
                                  "--update-name", name, "--quiet"}));
        ASSERT_TRUE(WaitFor([&] { return !PortFree(upstream); }, 30s));
        forwarder->SetHandler("/*", Forwarder(upstream, kPrimary));
        ASSERT_TRUE(forwarder->Listen(kPrimary));
    }

    enum class TAs {
        User,         // as a user (run as root, in a user namespace where it is not)
        ReadOnlyUser, // the same, with the program folder read-only for it
        Root,         // with effective uid 0
    };

    // Starts a copy of `program` from the program folder. For a read-only
    // folder it runs in a user namespace of its own, where even root cannot
    // override the folder's mode.
    void StartClient(const char* program, TAs as = TAs::User)
    {
        fs::copy_file(program, prog / "pallido", fs::copy_options::overwrite_existing);
        fs::permissions(prog / "pallido", fs::perms::owner_all);
        const std::string command = (prog / "pallido").string();
        const bool root = ::geteuid() == 0;
        std::vector<std::string> args;
        if (as == TAs::ReadOnlyUser || (as == TAs::User && root))
            args = {"-U"};
        else if (as == TAs::Root && !root)
            args = {"-U", "-r"};
        std::string probe = "unshare";
        for (const auto& flag : args)
            probe += " " + flag;
        if (!args.empty() && !Shell(probe + " true"))
            GTEST_SKIP() << "no user namespace can be made here";
        args.push_back(command);
        if (as == TAs::ReadOnlyUser)
            fs::permissions(prog, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
        // The clean-up script is written in the temporary folder.
        setenv("TMPDIR", temp.c_str(), 1);
        const bool started = args.size() == 1 ? client->Start(command) : client->Start("/usr/bin/unshare", args);
        unsetenv("TMPDIR");
        ASSERT_TRUE(started);
    }

    // Requests so far for paths ending in `suffix`.
    std::size_t Count(const std::string& suffix) const
    {
        std::size_t n = 0;
        for (const auto& r : forwarder->Requests())
            if (r.path.size() >= suffix.size() && r.path.compare(r.path.size() - suffix.size(), suffix.size(), suffix) == 0)
                ++n;
        return n;
    }
    bool Asked(const std::string& suffix) const { return Count(suffix) > 0; }
    bool AskedForAnyUpdateFile() const
    {
        for (const auto& r : forwarder->Requests())
            if (r.path.rfind("/update/", 0) == 0)
                return true;
        return false;
    }

    // The temporary folder's files, less the runtime folder that Qt makes
    // there for a user without XDG_RUNTIME_DIR.
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> files;
        for (const auto& name : ListFolder(temp.string() + "/"))
            if (name.rfind("runtime-", 0) != 0)
                files.push_back(name);
        return files;
    }

    std::vector<std::string> Scripts() const
    {
        std::vector<std::string> scripts;
        for (const auto& name : ListFolder(temp.string() + "/"))
            if (name.rfind("pallido-cleanup-", 0) == 0)
                scripts.push_back(name);
        return scripts;
    }

    // The update ran and succeeded: the new program ran, the old client quit
    // and its executable and the script are gone; the temporary folder holds
    // what it held before.
    void ExpectInstalled(const std::vector<std::string>& tempBefore = {})
    {
        EXPECT_TRUE(WaitFor([&] { return fs::exists(prog / (kName + ".ran")); }, 60s)) << "the new program did not run";
        EXPECT_EQ(ReadAll(prog / "readme.txt"), "new version");
        EXPECT_TRUE(WaitFor([&] { return !client->Running(); }, 30s)) << "the old client did not quit";
        EXPECT_TRUE(WaitFor([&] { return !fs::exists(prog / "pallido"); }, 20s)) << "the old executable was not deleted";
        EXPECT_TRUE(WaitFor([&] { return Scripts().empty(); }, 10s)) << "the clean-up script did not delete itself";
        EXPECT_TRUE(fs::exists(prog / kName));
        EXPECT_EQ(TempFiles(), tempBefore);
    }

    // The update was refused once the signature arrived (or never started):
    // nothing was unpacked or kept, and the client goes on as it was.
    void ExpectRefused()
    {
        ASSERT_TRUE(WaitFor([&] { return Asked(".minisig"); }, 60s)) << "the signature was never asked for";
        std::this_thread::sleep_for(1500ms);
        EXPECT_TRUE(client->Running());
        EXPECT_EQ(ListFolder(prog.string() + "/"), (std::vector<std::string>{"pallido"}));
        EXPECT_TRUE(TempFiles().empty()) << "something of the refused archive was kept";
    }

    // Starts the client and checks that it starts up without asking for any
    // update file.
    void ExpectNoUpdateRequested(const char* program, TAs as)
    {
        const std::size_t searches = Count("/tbk_items.php");
        StartClient(program, as);
        if (IsSkipped())
            return;
        ASSERT_TRUE(WaitFor([&] { return Count("/tbk_items.php") > searches; }, 60s)) << "the client did not start up";
        std::this_thread::sleep_for(1500ms);
        EXPECT_FALSE(AskedForAnyUpdateFile());
        EXPECT_TRUE(client->Running());
        client->Stop();
        EXPECT_EQ(ListFolder(prog.string() + "/"), (std::vector<std::string>{"pallido"}));
    }

    TTempDir tmp;
    fs::path root = tmp.Path();
    fs::path prog = root / "prog";
    fs::path temp = root / "temp";
    fs::path archive = root / "update.zip";
    // Destroyed in this order: the client before what it talks to.
    std::unique_ptr<TClientProcess> server = std::make_unique<TClientProcess>();
    std::unique_ptr<TPortServer> forwarder = std::make_unique<TPortServer>();
    std::unique_ptr<TClientProcess> client = std::make_unique<TClientProcess>();
};

} // namespace

TEST_F(TUpdateEndToEnd, AGoodSignatureOfEitherAlgorithmInstallsTheNewVersion)
{
    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "Ed" : "ED");
        MakeArchive();
        Sign("timestamp:1291334400 file:update.zip version=" + kVersion + " name=" + kName, legacy);
        StartServer();
        StartClient(PALLIDO_KEYED_CLIENT);
        ExpectInstalled();
        StopAll();
        fs::remove_all(prog);
        fs::create_directories(prog);
    }
}

TEST_F(TUpdateEndToEnd, ArchivesWhoseSignatureDoesNotHoldAreRefused)
{
    const fs::path otherKey = root / "other.key";
    ASSERT_TRUE(Shell(std::string(MINISIGN_PROGRAM) + " -G -W -p " + Quoted(root / "other.pub") + " -s " +
                      Quoted(otherKey)));
    struct TCase {
        const char* what;
        std::function<void()> prepare;
    };
    const std::vector<TCase> cases = {
        {"one flipped byte",
         [&] {
             Sign();
             std::string bytes = ReadAll(archive);
             bytes[bytes.size() / 2] ^= 0x01;
             std::ofstream(archive, std::ios::binary) << bytes;
         }},
        {"another key", [&] { Sign("version=" + kVersion + " name=" + kName, false, otherKey.string()); }},
        {"no signature", [] {}},
        {"signed for another version", [&] { Sign("version=20100902 name=" + kName); }},
        {"signed for another program", [&] { Sign("version=" + kVersion + " name=helper"); }},
        {"signed without a program name", [&] { Sign("version=" + kVersion); }},
        {"truncated signature",
         [&] {
             Sign();
             const std::string sig = ReadAll(archive.string() + ".minisig");
             std::ofstream(archive.string() + ".minisig", std::ios::binary) << sig.substr(0, sig.size() / 2);
         }},
        {"garbage signature", [&] { std::ofstream(archive.string() + ".minisig", std::ios::binary) << "\x01\xff garbage\n"; }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(archive.string() + ".minisig");
        MakeArchive();
        c.prepare();
        StartServer();
        StartClient(PALLIDO_KEYED_CLIENT);
        ExpectRefused();
        StopAll();
    }
}

TEST_F(TUpdateEndToEnd, ANewProgramThatExitsAtOnceLeavesTheOldOneInPlace)
{
    MakeArchive("0");
    Sign();
    StartServer();
    StartClient(PALLIDO_KEYED_CLIENT);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(prog / (kName + ".ran")); }, 60s)) << "the new program did not run";
    std::this_thread::sleep_for(3500ms);
    EXPECT_TRUE(client->Running()) << "the client quit for an update that failed";
    EXPECT_TRUE(fs::exists(prog / "pallido"));
    client->Stop();
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(fs::exists(prog / "pallido")) << "the old program was deleted";
    EXPECT_TRUE(Scripts().empty());
}

TEST_F(TUpdateEndToEnd, WithoutAKeyOrAWritableFolderOrAsRootTheArchiveIsNeverRequested)
{
    MakeArchive();
    Sign();
    StartServer();
    struct TCase {
        const char* what;
        const char* program;
        TAs as;
    };
    for (const TCase& c : {TCase{"no key built in", PALLIDO_CLIENT, TAs::User},
                           TCase{"read-only program folder", PALLIDO_KEYED_CLIENT, TAs::ReadOnlyUser},
                           TCase{"as root", PALLIDO_KEYED_CLIENT, TAs::Root}}) {
        SCOPED_TRACE(c.what);
        ExpectNoUpdateRequested(c.program, c.as);
        if (IsSkipped())
            return;
        fs::permissions(prog, fs::perms::owner_all, fs::perm_options::add);
    }
}

TEST_F(TUpdateEndToEnd, OnlyANewerVersionIsRequested)
{
    // Archives the key really signed, for the versions they are announced as.
    for (const std::string version : {"20100822", "20100823"}) {
        SCOPED_TRACE(version);
        MakeArchive();
        Sign("version=" + version + " name=" + kName);
        StartServer(version);
        ExpectNoUpdateRequested(PALLIDO_KEYED_CLIENT, TAs::User);
        if (IsSkipped())
            return;
        StopAll();
    }
}

TEST_F(TUpdateEndToEnd, AnAnnouncedNameTheSignatureDoesNotNameStartsNothing)
{
    // The folder holds another program; the server announces its name for an
    // archive signed for the real one.
    fs::copy_file(UPDATE_TEST_PROGRAM, prog / "helper");
    MakeArchive();
    Sign();
    StartServer(kVersion, "helper");
    StartClient(PALLIDO_KEYED_CLIENT);
    ASSERT_TRUE(WaitFor([&] { return Asked(".minisig"); }, 60s)) << "the signature was never asked for";
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(client->Running());
    EXPECT_EQ(ListFolder(prog.string() + "/"), (std::vector<std::string>{"helper", "pallido"}));
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(TUpdateEndToEnd, WhatOthersPutInTheTemporaryFolderNeitherBlocksNorReplacesTheUpdate)
{
    // Somebody's folder under the name the archive was once written to.
    fs::create_directory(temp / kName);
    std::ofstream(temp / kName / "theirs") << "theirs";
    fs::permissions(temp / kName, fs::perms::owner_all);

    // While the update runs, a local process keeps writing an unsigned
    // archive over every file that appears in the temporary folder.
    const std::string unsigned_ = TZipMaker()
                                      .File(kName, "#!/bin/sh\necho evil > \"$0.ran\"\nsleep 4\n", 0100755)
                                      .File("readme.txt", "evil version")
                                      .Bytes();
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop.load()) {
            for (const auto& name : TempFiles()) {
                const std::string path = (temp / name).string();
                struct stat st {};
                if (name.rfind("pallido-cleanup-", 0) == 0 || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                    continue;
                const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
                if (fd < 0)
                    continue;
                if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, unsigned_.data(), unsigned_.size(), 0) < 0)
                    ADD_FAILURE() << "cannot write " << path;
                ::close(fd);
            }
        }
    });
    MakeArchive();
    Sign();
    StartServer();
    StartClient(PALLIDO_KEYED_CLIENT);
    const bool ran = WaitFor([&] { return fs::exists(prog / (kName + ".ran")); }, 60s);
    stop.store(true);
    swapper.join();
    ASSERT_TRUE(ran) << "the new program did not run";
    EXPECT_EQ(ReadAll(prog / (kName + ".ran")), "ran") << "an unsigned program ran";
    ExpectInstalled({kName});
    EXPECT_EQ(ReadAll(temp / kName / "theirs"), "theirs");
}
