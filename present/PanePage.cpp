#include "PanePage.h"

#include <QRandomGenerator>
#include <QWebEngineNewWindowRequest>

#include "ExternalBrowser.h"
#include "PageStore.h"
#include "PaneProfile.h"
#include "PaneScripts.h"

namespace {

bool IsWebAddress(const QUrl& url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

// Frames inside a page may show web content, inline content or nothing.
bool IsFrameAddress(const QUrl& url)
{
    return IsWebAddress(url) || url.scheme() == QLatin1String("about") || url.scheme() == QLatin1String("data") ||
           url.scheme() == QLatin1String("blob");
}

} // namespace

TPanePage::TPanePage(TPaneProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { NewWindowRequested(request.requestedUrl()); });
}

const QString& TPanePage::ScriptToken()
{
    static const QString token = [] {
        QString t = QStringLiteral("pallido-");
        for (int i = 0; i < 4; ++i)
            t += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
        return t + QLatin1Char(':');
    }();
    return token;
}

void TPanePage::ExpectOwnLoad(const QUrl& url)
{
    FOwnUrl = url;
}

bool TPanePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (!isMainFrame)
        return IsFrameAddress(url);
    if (TPageStore::IsPageUrl(url)) {
        // The pane's own current page: its first load and a reload. Older
        // pages and the targets of relative links are never loaded, but
        // hooked panes hear of the latter first.
        if (url == FOwnUrl && type != NavigationTypeBackForward)
            return true;
        if (type == NavigationTypeBackForward || type == NavigationTypeReload)
            return false;
        AcceptNavigation(url, type);
        return false;
    }
    if (type == NavigationTypeBackForward || !AcceptNavigation(url, type))
        return false;
    FOwnUrl = QUrl(); // the pane leaves its generated page
    return true;
}

bool TPanePage::AcceptNavigation(const QUrl& url, NavigationType)
{
    return IsWebAddress(url);
}

QWebEnginePage* TPanePage::createWindow(WebWindowType)
{
    // No window ever opens inside the client; the request itself is handled
    // in NewWindowRequested.
    return nullptr;
}

void TPanePage::NewWindowRequested(const QUrl& url)
{
    OpenInSystemBrowser(url);
}

void TPanePage::FragmentLinkClicked(const QUrl&) {}

void TPanePage::ReadyReported(const QString& report)
{
    const QStringList parts = report.split(QLatin1Char(' '));
    bool heightOk = false, viewportOk = false;
    if (parts.size() != 3)
        return;
    const int height = parts[0].toInt(&heightOk);
    const int viewport = parts[1].toInt(&viewportOk);
    if (heightOk && viewportOk)
        Q_EMIT OwnDocumentReady(QUrl(parts[2]), height, viewport);
}

void TPanePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                         const QString&)
{
    // Page messages are not logged; the helper scripts' reports are acted on.
    if (!message.startsWith(ScriptToken()))
        return;
    const QString report = message.mid(ScriptToken().size());
    if (report.startsWith(QLatin1String(kLinkReport)))
        FragmentLinkClicked(QUrl(report.mid(int(qstrlen(kLinkReport)))));
    else if (report.startsWith(QLatin1String(kReadyReport)))
        ReadyReported(report.mid(int(qstrlen(kReadyReport))));
    else if (report.startsWith(QLatin1String(kLoadedReport)))
        Q_EMIT OwnContentLoaded(report.mid(int(qstrlen(kLoadedReport))).toULongLong());
}
