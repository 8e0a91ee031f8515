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
    FTimer.start();
}

void TIdleCollector::Collect()
{
    if (FPage)
        FPage->runJavaScript(CollectGarbageSource(), QWebEngineScript::ApplicationWorld);
}
