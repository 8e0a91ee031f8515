#include "BrowserEngine.h"

#include <QCoreApplication>
#include <QByteArray>

#include <malloc.h>
#include <utility>

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

// The C library gives each thread that allocates its own heap, up to eight
// per core; the engine's many threads then keep memory that was freed in
// heaps no other thread can reuse. One heap per process keeps the memory of
// the client and of the page process about 5 MB lower after a few dozen
// result pages, at no measurable cost to the page time. The engine's
// processes take the limit from the environment they start with; programs
// the user starts from here (browser, calculator) must not.
bool arenaLimitInEnvironment = false;

void LimitMallocArenas()
{
    if (qEnvironmentVariableIsSet("MALLOC_ARENA_MAX"))
        return;
    mallopt(M_ARENA_MAX, 1);
    qputenv("MALLOC_ARENA_MAX", "1");
    arenaLimitInEnvironment = true;
}

} // namespace

void PrepareBrowserPanes()
{
    LimitMallocArenas();
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

void BrowserEngineStarted()
{
    if (std::exchange(arenaLimitInEnvironment, false))
        qunsetenv("MALLOC_ARENA_MAX");
}
