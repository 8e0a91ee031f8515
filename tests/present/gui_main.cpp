// Test entry for the browser pane tests: the engine is prepared before the
// application object exists, pages render offscreen, and the engine runs
// without its sandbox when the tests run as root (it refuses to start
// otherwise).

#include <gtest/gtest.h>

#include <QApplication>
#include <unistd.h>

#include "BrowserEngine.h"
#include "PaneTestKit.h"

// Under AddressSanitizer: the engine's own library frees some objects with a
// sized delete of another size (a fault inside the engine, not in this
// program, and harmless there); that one check is turned off for these
// tests. Options given in ASAN_OPTIONS still apply on top.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    PrepareBrowserPanes();
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    kit::ReleaseProfile();
    return result;
}
