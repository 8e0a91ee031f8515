#include "ResultPage.h"

#include "ExternalBrowser.h"

TResultPage::TResultPage(TPaneProfile* profile, QObject* parent) : TPanePage(profile, parent) {}

bool TResultPage::AcceptNavigation(const QUrl& url, NavigationType type)
{
    if (type == NavigationTypeTyped)
        return TPanePage::AcceptNavigation(url, type);
    OpenInSystemBrowser(url);
    return false;
}
