// gtest entry for the window tests: an offscreen QApplication that can host
// the browser panes.

#include <gtest/gtest.h>

#include <cstdlib>

#include <unistd.h>

#include <QApplication>

#include "BrowserEngine.h"

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds only: the browser engine library (not built by us) frees
// some of its objects through a base type of another size, which
// AddressSanitizer would report as a new/delete type mismatch and abort on.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
// The engine and the font library keep some allocations until the process
// ends; the leak check looks at everything else.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv)
{
    // Defaults so that a plain run (and test discovery) needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::testing::InitGoogleTest(&argc, argv);
    PrepareBrowserPanes();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
