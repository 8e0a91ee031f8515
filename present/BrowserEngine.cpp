#include "BrowserEngine.h"

#include <QCoreApplication>
#include <QByteArray>

#include "PageStore.h"
#include "PaneScripts.h"

namespace {

// All panes show our own pages or the publisher's; one page process for all
// of them keeps the memory of six panes close to that of one. Its script
// collector is offered to the panes' helper scripts under a name of ours
// (see TIdleCollector). The engine's second zygote, kept for helper
// processes that run without a sandbox, is never used by a program that
// runs its network and drawing in the browser process: it is not started.
QByteArray EngineFlags()
{
    return QByteArrayLiteral("--renderer-process-limit=1 --no-unsandboxed-zygote --js-flags=--expose-gc-as=") + kCollectorName;
}

} // namespace

void PrepareBrowserPanes()
{
    RegisterPageScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Flags already in the environment come last, so they win where both set
    // the same one.
    QByteArray flags = EngineFlags();
    const QByteArray given = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").trimmed();
    if (!given.isEmpty())
        flags += ' ' + given;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // The engine keeps the pages away from screen readers on Linux unless
    // told otherwise; it still builds their accessible tree only while an
    // assistive technology listens.
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}
