// The whole self-update as a user meets it: the built client, started from a
// folder of its own against the built publisher server that announces a new
// version. A client built with the test key downloads the archive and its
// signature (made with the minisign tool), unpacks it only when the
// signature holds, starts the new program, quits once that keeps running,
// and the clean-up script then deletes the old executable and itself. The
// publisher server sits behind a recording forwarder on the client's
// built-in address, so the tests see what the client asked for.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

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
    void Sign(const std::string& comment = "version=" + kVersion, bool legacy = false,
              const std::string& key = UPDATE_TEST_KEY)
    {
        ASSERT_TRUE(Shell(std::string(MINISIGN_PROGRAM) + " -S" + (legacy ? " -l" : "") + " -s " + Quoted(key) +
                          " -m " + Quoted(archive) + " -t '" + comment + "'"));
    }

    void StartServer()
    {
        const int upstream = FreePort();
        ASSERT_TRUE(server->Start(PALLIDO_SERVER,
                                 {"--port", std::to_string(upstream), "--catalog", (root / "cat.sqlite").string(),
                                  "--announce-version", kVersion, "--update-archive", archive.string(),
                                  "--update-name", kName, "--quiet"}));
        ASSERT_TRUE(WaitFor([&] { return !PortFree(upstream); }, 30s));
        forwarder->SetHandler("/*", Forwarder(upstream, kPrimary));
        ASSERT_TRUE(forwarder->Listen(kPrimary));
    }

    // Starts a copy of `program` from the program folder; with `readOnly` the
    // folder is made read-only for it (in a user namespace of its own, where
    // even root cannot override that).
    void StartClient(const char* program, bool readOnly = false)
    {
        fs::copy_file(program, prog / "pallido", fs::copy_options::overwrite_existing);
        fs::permissions(prog / "pallido", fs::perms::owner_all);
        std::string command = (prog / "pallido").string();
        std::vector<std::string> args;
        if (readOnly) {
            if (!Shell("unshare -U true"))
                GTEST_SKIP() << "no user namespace can be made here";
            fs::permissions(prog, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
            args = {"-U", command};
            command = "/usr/bin/unshare";
        }
        // The archive is kept in the temporary folder and the clean-up script
        // written there.
        setenv("TMPDIR", temp.c_str(), 1);
        const bool started = client->Start(command, args);
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

    std::vector<std::string> Scripts() const
    {
        std::vector<std::string> scripts;
        for (const auto& name : ListFolder(temp.string() + "/"))
            if (name.rfind("pallido-cleanup-", 0) == 0)
                scripts.push_back(name);
        return scripts;
    }

    // The update ran and succeeded: the new program ran, the old client quit
    // and its executable and the script are gone.
    void ExpectInstalled()
    {
        EXPECT_TRUE(WaitFor([&] { return fs::exists(prog / (kName + ".ran")); }, 60s)) << "the new program did not run";
        EXPECT_EQ(ReadAll(prog / "readme.txt"), "new version");
        EXPECT_TRUE(WaitFor([&] { return !client->Running(); }, 30s)) << "the old client did not quit";
        EXPECT_TRUE(WaitFor([&] { return !fs::exists(prog / "pallido"); }, 20s)) << "the old executable was not deleted";
        EXPECT_TRUE(WaitFor([&] { return Scripts().empty(); }, 10s)) << "the clean-up script did not delete itself";
        EXPECT_TRUE(fs::exists(prog / kName));
        EXPECT_FALSE(fs::exists(temp / kName)) << "the downloaded archive was not deleted";
    }

    // The update was refused once the signature arrived (or never started):
    // nothing was unpacked or kept, and the client goes on as it was.
    void ExpectRefused()
    {
        ASSERT_TRUE(WaitFor([&] { return Asked(".minisig"); }, 60s)) << "the signature was never asked for";
        std::this_thread::sleep_for(1500ms);
        EXPECT_TRUE(client->Running());
        EXPECT_EQ(ListFolder(prog.string() + "/"), (std::vector<std::string>{"pallido"}));
        EXPECT_FALSE(fs::exists(temp / kName)) << "the refused archive was kept";
        EXPECT_TRUE(Scripts().empty());
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
        Sign("timestamp:1291334400 file:update.zip version=" + kVersion, legacy);
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
        {"another key", [&] { Sign("version=" + kVersion, false, otherKey.string()); }},
        {"no signature", [] {}},
        {"signed for another version", [&] { Sign("version=20100902"); }},
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

TEST_F(TUpdateEndToEnd, WithoutAKeyOrAWritableFolderTheArchiveIsNeverRequested)
{
    MakeArchive();
    Sign();
    StartServer();
    for (bool keyed : {false, true}) {
        SCOPED_TRACE(keyed ? "read-only program folder" : "no key built in");
        const std::size_t searches = Count("/tbk_items.php");
        StartClient(keyed ? PALLIDO_KEYED_CLIENT : PALLIDO_CLIENT, keyed);
        if (IsSkipped())
            return;
        ASSERT_TRUE(WaitFor([&] { return Count("/tbk_items.php") > searches; }, 60s)) << "the client did not start up";
        std::this_thread::sleep_for(1500ms);
        EXPECT_FALSE(AskedForAnyUpdateFile());
        EXPECT_TRUE(client->Running());
        client->Stop();
        EXPECT_EQ(ListFolder(prog.string() + "/"), (std::vector<std::string>{"pallido"}));
    }
}
