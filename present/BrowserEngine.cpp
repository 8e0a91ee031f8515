#include "BrowserEngine.h"

#include <QCoreApplication>
#include <QByteArray>

#include "PageStore.h"
#include "PaneScripts.h"

namespace {

// All panes show our own pages or the publisher's; one page process for all
// of them keeps the memory of six panes close to that of one. Its script
// collector is offered to the panes' helper scripts under a name of ours
// (see TIdleCollector).
QByteArray EngineFlags()
{
    return QByteArrayLiteral("--renderer-process-limit=1 --js-flags=--expose-gc-as=") + kCollectorName;
}

} // namespace

void PrepareBrowserPanes()
{
    RegisterPageScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", EngineFlags());
    // The engine keeps the pages away from screen readers on Linux unless
    // told otherwise; it still builds their accessible tree only while an
    // assistive technology listens.
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}
