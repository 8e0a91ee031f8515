#include "IdleCollector.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

#include "PaneScripts.h"

TIdleCollector::TIdleCollector(QObject* parent) : QObject(parent)
{
    FTimer.setSingleShot(true);
    FTimer.setInterval(kQuietMs);
    connect(&FTimer, &QTimer::timeout, this, &TIdleCollector::Collect);
}

void TIdleCollector::PageCompleted(QWebEnginePage* page)
{
    FPage = page;
    FDone = 0;
    FTimer.start(kQuietMs);
}

void TIdleCollector::Collect()
{
    if (!FPage)
        return;
    FPage->runJavaScript(CollectGarbageSource(), QWebEngineScript::ApplicationWorld);
    if (++FDone < kCollections)
        FTimer.start(kFollowUpMs);
}
