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
}
