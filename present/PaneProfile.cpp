#include "PaneProfile.h"

#include <QWebEngineSettings>

#include "BrowserEngine.h"
#include "IdleCollector.h"
#include "PageStore.h"
#include "RequestFilter.h"

namespace {

// The in-memory cache of pictures; the result pages show at most 80.
constexpr int kHttpCacheBytes = 16 * 1024 * 1024;

} // namespace

TPaneProfile::TPaneProfile(QObject* parent)
    : QWebEngineProfile(parent), FPages(new TPageStore(this)), FCollector(new TIdleCollector(this))
{
    BrowserEngineStarted();
    setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    setHttpCacheMaximumSize(kHttpCacheBytes);
    setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    installUrlSchemeHandler(kPageScheme, FPages);
    setUrlRequestInterceptor(new TRequestFilter(this));

    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    // Loading a page must not take the keyboard focus from the window.
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // The panes scroll only through their own scroll bars.
    s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    s->setAttribute(QWebEngineSettings::ScrollAnimatorEnabled, false);
    // Pages written for the 8-bit code page without a declaration.
    s->setDefaultTextEncoding(QStringLiteral("GBK"));
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
}
