#include "PaneTestKit.h"

#include <algorithm>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QWheelEvent>
#include <QWebEngineScript>

#include "PaneProfile.h"
#include "PaneScripts.h"

namespace kit {

namespace {
TPaneProfile* gProfile = nullptr;
}

TPaneProfile* Profile()
{
    if (!gProfile)
        gProfile = new TPaneProfile();
    return gProfile;
}

void ReleaseProfile()
{
    delete gProfile;
    gProfile = nullptr;
}

bool WaitUntil(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

TPaneWindow::TPaneWindow(TPaneKind kind, int width, int height) : window(std::make_unique<QWidget>())
{
    pane = new TBrowserPane(kind, Profile(), window.get());
    bar = new TMyScrollBar(window.get());
    bar->SetWeb(pane);
    pane->setGeometry(0, 0, width, height);
    bar->setGeometry(width, 0, bar->width(), height);
    window->resize(width + bar->width(), height);
    QObject::connect(pane, &TBrowserPane::DocumentComplete, bar, [this] {
        ++completed;
        bar->SyncWithDocument(true);
    });
    window->show();
}

TPaneWindow::~TPaneWindow() = default;

bool Start(TPaneWindow& w)
{
    const int before = w.completed;
    return w.pane->Navigate(QStringLiteral("about:blank")) &&
           WaitUntil([&] { return w.completed > before; });
}

bool Load(TPaneWindow& w, const std::string& page)
{
    const int before = w.completed;
    return w.pane->LoadHtml(page) && WaitUntil([&] { return w.completed > before; });
}

QVariant Js(TBrowserPane* pane, const QString& script, quint32 world)
{
    bool done = false;
    QVariant result;
    pane->page()->runJavaScript(script, world, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    WaitUntil([&] { return done; });
    return result;
}

QPoint CentreOf(TBrowserPane* pane, const QString& selector, int index)
{
    const QVariantList r =
        Js(pane,
           QStringLiteral("(function(){var e=document.querySelectorAll(%1)[%2];"
                          "if(!e)return [];var r=e.getBoundingClientRect();"
                          "return [r.left+r.width/2, r.top+r.height/2];})()")
               .arg(QStringLiteral("'") + selector + QStringLiteral("'"))
               .arg(index),
           QWebEngineScript::ApplicationWorld)
            .toList();
    if (r.size() != 2)
        return {-1, -1};
    return {static_cast<int>(r[0].toDouble()), static_cast<int>(r[1].toDouble())};
}

void Reveal(TPaneWindow& w, const QString& selector, int index)
{
    const int top = Js(w.pane,
                       QStringLiteral("(function(){var e=document.querySelectorAll(%1)[%2];"
                                      "return e ? e.getBoundingClientRect().top + window.scrollY : 0;})()")
                           .arg(QStringLiteral("'") + selector + QStringLiteral("'"))
                           .arg(index),
                       QWebEngineScript::ApplicationWorld)
                        .toInt();
    w.bar->SetPosition(std::max(0, top - 4));
    Settle(w.pane);
}

QWidget* InputWidget(TBrowserPane* pane)
{
    return pane->focusProxy() ? pane->focusProxy() : pane;
}

void WaitForFrames(TBrowserPane* pane)
{
    // Input reaches a page only once it has been put on screen: wait for two
    // animation frames.
    Js(pane,
       QStringLiteral("window.__framesSeen = false;"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () {"
                      "  window.__framesSeen = true; }); });"),
       QWebEngineScript::ApplicationWorld);
    WaitUntil([&] {
        return Js(pane, QStringLiteral("window.__framesSeen"), QWebEngineScript::ApplicationWorld).toBool();
    });
}

void Click(TBrowserPane* pane, QPoint at, Qt::MouseButton button)
{
    WaitForFrames(pane);
    QWidget* target = InputWidget(pane);
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, local, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, local, global, button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void Wheel(QWidget* target, int delta)
{
    const QPointF local(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

void Key(TBrowserPane* pane, Qt::Key key)
{
    QWidget* target = InputWidget(pane);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(target, &release);
}

TCannedReply Picture(int width, int height)
{
    QImage image(width, height < 0 ? width : height, QImage::Format_RGB32);
    image.fill(QColor(200, 80, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    TCannedReply reply;
    reply.body = bytes.toStdString();
    reply.contentType = "image/png";
    return reply;
}

TCannedReply Html(const std::string& body)
{
    TCannedReply reply;
    reply.body = body;
    reply.contentType = "text/html";
    return reply;
}

int ScrollY(TBrowserPane* pane)
{
    return Js(pane, QStringLiteral("window.scrollY"), QWebEngineScript::ApplicationWorld).toInt();
}

void Settle(TBrowserPane* pane)
{
    for (int i = 0; i < 3; ++i)
        Js(pane, QStringLiteral("0"), QWebEngineScript::ApplicationWorld);
}

bool WaitForPictures(TBrowserPane* pane)
{
    return WaitUntil([&] {
        return Js(pane,
                  QStringLiteral("Array.prototype.every.call(document.images, function (i) {"
                                 "  return i.complete && !i.hasAttribute('%1'); })")
                      .arg(QLatin1String(kHeldPictureAttribute)),
                  QWebEngineScript::ApplicationWorld)
            .toBool();
    });
}

} // namespace kit
