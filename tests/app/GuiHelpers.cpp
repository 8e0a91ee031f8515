#include "GuiHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QWebEngineProfile>

#include "PageStore.h"
#include "RequestFilter.h"

bool WaitUntil(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(5);
    }
    return true;
}

void Settle(int ms) { QTest::qWait(ms); }

TMessageBoxWatcher::TMessageBoxWatcher(std::function<void()> whileOpen)
    : whileOpen_(std::move(whileOpen))
{
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Check(); });
    timer_.start();
}

void TMessageBoxWatcher::Check()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    Seen s;
    s.text = box->text();
    s.title = box->windowTitle();
    s.icon = static_cast<int>(box->icon());
    s.buttonCount = static_cast<int>(box->buttons().size());
    s.okOnly = box->standardButtons() == QMessageBox::Ok;
    seen.push_back(s);
    if (whileOpen_)
        whileOpen_();
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->reject();
}

void TLocalOnly::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    // The client's own rules still hold (this replaces its filter).
    if (!TRequestFilter::Allowed(url)) {
        info.block(true);
        return;
    }
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("data") || scheme == QLatin1String("about") || scheme == QLatin1String(kPageScheme))
        return;
    const QString host = url.host();
    if (host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost"))
        return;
    blocked.push_back(url.toString().toStdString());
    info.block(true);
}

void TLocalOnly::Install(QWebEngineProfile* profile) { profile->setUrlRequestInterceptor(this); }
