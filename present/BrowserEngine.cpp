#include "BrowserEngine.h"

#include <QCoreApplication>
#include <QByteArray>

#include "PageStore.h"

namespace {

// All panes show our own pages or the publisher's; one page process for all
// of them keeps the memory of six panes close to that of one.
constexpr char kEngineFlags[] = "--renderer-process-limit=1";

} // namespace

void PrepareBrowserPanes()
{
    RegisterPageScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", kEngineFlags);
    // The engine keeps the pages away from screen readers on Linux unless
    // told otherwise; it still builds their accessible tree only while an
    // assistive technology listens.
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}
