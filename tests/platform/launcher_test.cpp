#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "Launcher.h"
#include "System.h"

TEST(Launcher, OnlyWebAddressesAreOpened)
{
    EXPECT_TRUE(IsWebUrl("http://127.0.0.1/x"));
    EXPECT_TRUE(IsWebUrl("HTTPS://example.invalid/"));
    EXPECT_FALSE(IsWebUrl("javascript:alert(1)"));
    EXPECT_FALSE(IsWebUrl("file:///etc/passwd"));
    EXPECT_FALSE(IsWebUrl("http://"));
    EXPECT_FALSE(IsWebUrl("about:blank"));
    EXPECT_FALSE(IsWebUrl(" http://x"));
    EXPECT_FALSE(IsWebUrl("http://x\nfile:///"));

    TRecordingLauncher rec;
    SetLauncher(&rec);
    EXPECT_FALSE(Launcher().OpenUrl("file:///etc/passwd"));
    EXPECT_TRUE(Launcher().OpenUrl("http://127.0.0.1/item"));
    SetLauncher(nullptr);
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].url, "http://127.0.0.1/item");
}

TEST(Launcher, StartsADetachedProgramAndReportsAMissingOne)
{
    const std::string marker = platform::TempFolder() + "pallido_launch_" + std::to_string(getpid());
    std::remove(marker.c_str());
    ASSERT_TRUE(Launcher().StartDetached("sh", {"-c", "echo started > '" + marker + "'"}));
    bool seen = false;
    for (int i = 0; i < 200 && !seen; ++i) {
        std::ifstream f(marker);
        std::string line;
        seen = f && std::getline(f, line) && line == "started";
        if (!seen)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(seen);
    std::remove(marker.c_str());
    EXPECT_FALSE(Launcher().StartDetached("no-such-program-pallido", {}));
    EXPECT_FALSE(Launcher().StartDetached("/nonexistent/prog", {}));
}

TEST(System, ExecutableAndFolders)
{
    EXPECT_EQ(platform::ExecutableName(), "platform_tests");
    EXPECT_EQ(platform::ExecutableFolder() + platform::ExecutableName(), platform::ExecutablePath());
    EXPECT_EQ(platform::TempFolder().back(), '/');
    EXPECT_EQ(platform::CurrentFolder().back(), '/');
    EXPECT_STREQ(platform::ExecutableSuffix(), "");
}
