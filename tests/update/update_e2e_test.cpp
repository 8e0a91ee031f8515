// The whole self-update as a user meets it: the built client, started from a
// folder of its own against the built publisher server that announces a new
// version, downloads the archive, unpacks it, starts the new program and
// quits; the clean-up script then deletes the old executable and itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ClientProcess.h"
#include "TempDir.h"
#include "ZipMaker.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bool PortOpen(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return open;
}

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

} // namespace

TEST(UpdateEndToEnd, NewVersionIsInstalledStartedAndTheOldExecutableRemoved)
{
    if (PortOpen(8700))
        GTEST_SKIP() << "port 8700 is in use; the client's built-in server address is needed";
    TTempDir tmp;
    const fs::path root = tmp.Path();
    const fs::path prog = root / "prog";
    const fs::path temp = root / "temp";
    fs::create_directories(prog);
    fs::create_directories(temp);
    fs::copy_file(PALLIDO_CLIENT, prog / "pallido");
    fs::permissions(prog / "pallido", fs::perms::owner_all);

    TZipMaker()
        .File("release/pallido-update", ReadAll(UPDATE_TEST_PROGRAM), 0100755)
        .File("release/readme.txt", "new version")
        .Save((root / "update.zip").string());

    TClientProcess server;
    ASSERT_TRUE(server.Start(PALLIDO_SERVER, {"--port", "8700", "--catalog", (root / "cat.sqlite").string(),
                                              "--announce-version", "20100901", "--update-archive",
                                              (root / "update.zip").string(), "--update-name",
                                              "pallido-update", "--quiet"}));
    ASSERT_TRUE(WaitFor([] { return PortOpen(8700); }, 20s));

    // The client writes its clean-up script into its working folder and keeps
    // the archive in the temporary folder.
    const fs::path here = fs::current_path();
    fs::current_path(prog);
    setenv("TMPDIR", temp.c_str(), 1);
    TClientProcess client;
    const bool started = client.Start((prog / "pallido").string());
    fs::current_path(here);
    unsetenv("TMPDIR");
    ASSERT_TRUE(started);

    EXPECT_TRUE(WaitFor([&] { return fs::exists(prog / "pallido-update.ran"); }, 60s))
        << "the new program did not run";
    EXPECT_TRUE(fs::exists(prog / "readme.txt"));
    EXPECT_TRUE(WaitFor([&] { return !client.Running(); }, 30s)) << "the old client did not quit";
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(prog / "pallido"); }, 20s))
        << "the old executable was not deleted";
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(prog / "update.sh"); }, 10s))
        << "the clean-up script did not delete itself";
    EXPECT_TRUE(fs::exists(prog / "pallido-update"));
    EXPECT_FALSE(fs::exists(temp / "pallido-update")) << "the downloaded archive was not deleted";
    server.Stop();
}
