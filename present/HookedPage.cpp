#include "HookedPage.h"

#include <QWebEngineScript>

#include "PageStore.h"
#include "PaneScripts.h"

THookedPage::THookedPage(TPaneProfile* profile, QObject* parent) : TPanePage(profile, parent) {}

bool THookedPage::AcceptNavigation(const QUrl& url, NavigationType type)
{
    bool cancel = false;
    Q_EMIT BeforeNavigate(url.toString(), cancel);
    return !cancel && TPanePage::AcceptNavigation(url, type);
}

void THookedPage::FragmentLinkClicked(const QUrl& url)
{
    bool cancel = false;
    Q_EMIT BeforeNavigate(url.toString(), cancel);
    if (cancel || !TPageStore::IsPageUrl(url))
        return;
    // Not cancelled: follow the link within the document after all.
    runJavaScript(QStringLiteral("location.hash = %1;").arg(JsStringLiteral(url.fragment())),
                  QWebEngineScript::ApplicationWorld);
}
