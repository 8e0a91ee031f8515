// The user's own calculator and browser, found through desktop entries in a
// made-up set of data folders, started through a recording launcher.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "DesktopApps.h"
#include "FakeDesktop.h"
#include "Launcher.h"
#include "Process.h"

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

TEST(DesktopApps, FoldersFollowTheXdgVariablesWithTheirDefaults)
{
    TEnvironment env;
    env.Set("HOME", "/home/u");
    env.Set("XDG_DATA_HOME", "");
    env.Set("XDG_DATA_DIRS", "");
    EXPECT_EQ(platform::ApplicationFolders(),
              (Args{"/home/u/.local/share/applications/", "/usr/local/share/applications/", "/usr/share/applications/"}));
    env.Set("XDG_DATA_HOME", "/data/");
    env.Set("XDG_DATA_DIRS", "/a::relative:/b/");
    EXPECT_EQ(platform::ApplicationFolders(), (Args{"/data/applications/", "/a/applications/", "/b/applications/"}));
    env.Set("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    EXPECT_EQ(platform::CurrentDesktops(), (Args{"ubuntu", "GNOME"}));
}

TEST(DesktopApps, TheCurrentDesktopsCalculatorComesFirst)
{
    TFakeDesktop fake;
    const std::string gnome = fake.Entry("usr", "org.gnome.Calculator.desktop");
    const std::string kde = fake.Entry("usr", "org.kde.kcalc.desktop");
    const std::string mate = fake.Entry("local", "mate-calc.desktop");

    const std::map<std::string, std::string> expected = {
        {"", gnome}, {"KDE", kde}, {"MATE", mate}, {"X-Cinnamon", gnome}, {"ubuntu:GNOME", gnome}, {"XFCE:KDE", kde}};
    for (const auto& [desktop, path] : expected) {
        SCOPED_TRACE(desktop);
        fake.Desktop(desktop);
        fake.recorder.calls.clear();
        EXPECT_TRUE(StartCalculator());
        ASSERT_EQ(fake.recorder.calls.size(), 1u);
        EXPECT_EQ(fake.recorder.calls[0].program, "gio");
        EXPECT_EQ(fake.recorder.calls[0].args, (Args{"launch", path}));
    }
}

TEST(DesktopApps, HiddenUnshownAndUninstalledEntriesAreSkipped)
{
    TFakeDesktop fake;
    fake.Desktop("GNOME");
    fake.Entry("usr", "org.gnome.Calculator.desktop");
    // The user's own copy hides the system's.
    fake.Entry("home", "org.gnome.Calculator.desktop", "Hidden=true");
    fake.Entry("usr", "org.kde.kcalc.desktop", "OnlyShowIn=KDE;");
    fake.Entry("usr", "mate-calc.desktop", "NotShowIn=GNOME;Unity;");
    fake.Entry("usr", "galculator.desktop", "TryExec=galculator");
    const std::string qalculate = fake.Entry("usr", "qalculate-gtk.desktop", "TryExec=qalculate-gtk");
    fake.Program("qalculate-gtk");
    ASSERT_TRUE(StartCalculator());
    EXPECT_EQ(fake.recorder.calls.back().args, (Args{"launch", qalculate}));

    // Without gio the entry goes to gtk-launch by its id.
    fake.RemoveProgram("gio");
    fake.Program("gtk-launch");
    ASSERT_TRUE(StartCalculator());
    EXPECT_EQ(fake.recorder.calls.back().program, "gtk-launch");
    EXPECT_EQ(fake.recorder.calls.back().args, (Args{"qalculate-gtk"}));
}

TEST(DesktopApps, WithoutEntriesAKnownCalculatorProgramOrNothing)
{
    TFakeDesktop fake;
    EXPECT_FALSE(StartCalculator());
    EXPECT_TRUE(fake.recorder.calls.empty());
    fake.Program("xcalc");
    EXPECT_TRUE(StartCalculator());
    ASSERT_EQ(fake.recorder.calls.size(), 1u);
    EXPECT_EQ(fake.recorder.calls[0].program, "xcalc");
    EXPECT_TRUE(fake.recorder.calls[0].args.empty());
}

TEST(DesktopApps, TheBrowserIsTheUsersDefaultElseXWwwBrowserElseNothing)
{
    TFakeDesktop fake;
    const std::string firefox = fake.Entry("usr", "firefox-esr.desktop");
    fake.recorder.answers["xdg-settings"] = "firefox-esr.desktop\n";
    ASSERT_TRUE(StartWebBrowser());
    ASSERT_EQ(fake.recorder.queries.size(), 1u);
    EXPECT_EQ(fake.recorder.queries[0].program, "xdg-settings");
    EXPECT_EQ(fake.recorder.queries[0].args, (Args{"get", "default-web-browser"}));
    ASSERT_EQ(fake.recorder.calls.size(), 1u);
    EXPECT_EQ(fake.recorder.calls[0].program, "gio");
    EXPECT_EQ(fake.recorder.calls[0].args, (Args{"launch", firefox}));

    // No default, an unknown one, or one naming a file elsewhere: x-www-browser.
    fake.Program("x-www-browser");
    for (const std::string answer : {"", "chromium.desktop", "../../../etc/firefox-esr.desktop", "firefox-esr"}) {
        SCOPED_TRACE(answer);
        fake.recorder.answers["xdg-settings"] = answer;
        fake.recorder.calls.clear();
        EXPECT_TRUE(StartWebBrowser());
        ASSERT_EQ(fake.recorder.calls.size(), 1u);
        EXPECT_EQ(fake.recorder.calls[0].program, "x-www-browser");
        EXPECT_TRUE(fake.recorder.calls[0].args.empty());
    }
    // Neither: nothing at all, silently.
    fake.RemoveProgram("x-www-browser");
    fake.recorder.calls.clear();
    EXPECT_FALSE(StartWebBrowser());
    EXPECT_TRUE(fake.recorder.calls.empty());
}

TEST(DesktopApps, EntriesAreReadFromTheirDesktopEntryGroupOnly)
{
    TFakeDesktop fake;
    const std::string path = fake.Entry("usr", "a.desktop", "  TryExec = a-prog \nOnlyShowIn=KDE;LXQt\n# Hidden=true");
    const auto entry = platform::ReadDesktopEntry(path, "a.desktop");
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->application);
    EXPECT_FALSE(entry->hidden);
    EXPECT_EQ(entry->exec, "a.desktop %U") << "the action's Exec must not win";
    EXPECT_EQ(entry->tryExec, "a-prog");
    EXPECT_EQ(entry->onlyShowIn, (Args{"KDE", "LXQt"}));

    std::ofstream(path) << "[Desktop Action x]\nType=Application\nExec=x\n";
    EXPECT_FALSE(platform::ReadDesktopEntry(path, "a.desktop"));
    std::ofstream(path) << "[Desktop Entry]\nType=Link\nURL=http://x/\nExec=x\n";
    EXPECT_FALSE(platform::Launchable(*platform::ReadDesktopEntry(path, "a.desktop"), {}));
    EXPECT_FALSE(platform::ReadDesktopEntry(path + ".missing", "a.desktop"));
    EXPECT_FALSE(platform::FindDesktopEntry(".desktop"));
    EXPECT_FALSE(platform::FindDesktopEntry("sub/a.desktop"));
}

TEST(Process, OutputOfAProgramThatEndsWellInTime)
{
    EXPECT_EQ(platform::RunForOutput("/bin/sh", {"-c", "printf 'a b\\n'"}, 3000, 4096), std::optional<std::string>("a b\n"));
    EXPECT_EQ(platform::RunForOutput("/bin/sh", {"-c", "head -c 100000 /dev/zero"}, 3000, 10)->size(), 10u);
    EXPECT_FALSE(platform::RunForOutput("/bin/sh", {"-c", "echo partial; exit 3"}, 3000, 4096));
    EXPECT_FALSE(platform::RunForOutput("/nonexistent/program", {}, 3000, 4096));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::RunForOutput("/bin/sh", {"-c", "echo early; exec sleep 30"}, 300, 4096));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "a hung program is killed";
    EXPECT_EQ(Launcher().Query("sh", {"-c", "echo through the launcher"}), "through the launcher\n");
    EXPECT_EQ(Launcher().Query("no-such-program-pallido", {}), "");
}
