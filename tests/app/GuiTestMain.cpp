// gtest entry for the window tests: an offscreen QApplication that can host
// the browser panes.

#include <gtest/gtest.h>

#include <cstdlib>

#include <unistd.h>

#include <QApplication>

int main(int argc, char** argv)
{
    // Defaults so that a plain run (and test discovery) needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
