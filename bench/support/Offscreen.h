#pragma once
// Start of every benchmark or tool that shows browser panes, before its
// application object exists: offscreen unless a platform is chosen, the
// engine's sandbox off when running as root (it refuses to start otherwise),
// then the panes' own engine preparation.

#include <QtGlobal>
#include <unistd.h>

#include "BrowserEngine.h"

namespace bench {

inline void PrepareOffscreenPanes()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    PrepareBrowserPanes();
}

} // namespace bench
