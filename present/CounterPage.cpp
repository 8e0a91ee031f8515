#include "CounterPage.h"

TCounterPage::TCounterPage(TPaneProfile* profile, QObject* parent) : TPanePage(profile, parent)
{
    setAudioMuted(true);
}

void TCounterPage::NewWindowRequested(const QUrl&) {}

void TCounterPage::javaScriptAlert(const QUrl&, const QString&) {}

bool TCounterPage::javaScriptConfirm(const QUrl&, const QString&)
{
    return false;
}

bool TCounterPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*)
{
    return false;
}
