#include "BrowserPane.h"

#include <QStringDecoder>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScriptCollection>

#include "CounterPage.h"
#include "ExternalBrowser.h"
#include "HookedPage.h"
#include "IdleCollector.h"
#include "PageStore.h"
#include "PaneProfile.h"
#include "PaneScripts.h"
#include "ResultPage.h"
#include "StaticPage.h"

namespace {

// A measurement waits for the page to take on the pane's size (after a
// resize, or a pane shown for the first time) for at most this long.
constexpr int kMeasureAttempts = 12;
constexpr int kMeasureRetryMs = 16;

// The engine's code for a load cut off by the next one.
constexpr int kAbortedLoad = -3;

TPanePage* MakePage(TPaneKind kind, TPaneProfile* profile, QObject* parent)
{
    switch (kind) {
    case TPaneKind::Result: return new TResultPage(profile, parent);
    case TPaneKind::SellerList:
    case TPaneKind::SellerPage: return new THookedPage(profile, parent);
    case TPaneKind::Static: return new TStaticPage(profile, parent);
    case TPaneKind::Counter: return new TCounterPage(profile, parent);
    }
    return new TStaticPage(profile, parent);
}

bool IsHooked(TPaneKind kind)
{
    return kind == TPaneKind::SellerList || kind == TPaneKind::SellerPage;
}

// The page as one text line ending in CR LF, its line breaks made CR LF.
QByteArray WithCrLf(const std::string& page)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(page.size()) + 64);
    for (std::size_t i = 0; i < page.size(); ++i) {
        const char c = page[i];
        if (c == '\r') {
            out.append("\r\n");
            if (i + 1 < page.size() && page[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out.append("\r\n");
        } else {
            out.append(c);
        }
    }
    out.append("\r\n");
    return out;
}

} // namespace

TBrowserPane::TBrowserPane(TPaneKind kind, TPaneProfile* profile, QWidget* parent)
    : QWebEngineView(parent), FKind(kind), FPage(MakePage(kind, profile, this)), FProfile(profile),
      FOwner(profile->Pages()->NewOwner())
{
    FPage->scripts().insert(ViewportScript(kind == TPaneKind::Result));
    FPage->scripts().insert(AnchorCollectionScript());
    FPage->scripts().insert(ReadyScript(TPanePage::ScriptToken()));
    if (IsHooked(kind))
        FPage->scripts().insert(FragmentClickScript(TPanePage::ScriptToken()));
    setPage(FPage);
    setContextMenuPolicy(kind == TPaneKind::SellerPage ? Qt::DefaultContextMenu : Qt::NoContextMenu);

    connect(FPage, &QWebEnginePage::loadingChanged, this, &TBrowserPane::OnLoadingChanged);
    connect(FPage, &QWebEnginePage::urlChanged, this, &TBrowserPane::OnUrlChanged);
    connect(FPage, &TPanePage::BeforeNavigate, this, &TBrowserPane::BeforeNavigate2);
    connect(FPage, &TPanePage::OwnDocumentReady, this, &TBrowserPane::OnOwnDocumentReady);
    connect(FPage, &TPanePage::OwnContentLoaded, this, &TBrowserPane::OnOwnContentLoaded);
    // A page process that went away took the document with it: the next
    // page is navigated to again, which starts a new one.
    connect(FPage, &QWebEnginePage::renderProcessTerminated, this, [this] { FReportedUrl = QUrl(); });
}

TBrowserPane::~TBrowserPane()
{
    // The page, a child, outlives this destructor and answers its pending
    // scripts as it goes; those answers must not reach this pane any more.
    *FAlive = false;
    FPage->disconnect(this);
    if (FProfile)
        FProfile->Pages()->Withdraw(FOwner);
}

bool TBrowserPane::Navigate(const QString& url)
{
    if (url == QLatin1String("about:blank")) {
        if (IsHooked(FKind)) {
            bool cancel = false;
            Q_EMIT BeforeNavigate2(url, cancel);
            if (cancel)
                return true;
        }
        FLocation = url;
        FHasDocument = true;
        FAwaitingComplete = true;
        LoadOwnPage({});
        return true;
    }
    const QUrl address(url, QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty() ||
        (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https")))
        return false;
    FLocation = address.toString();
    FHasDocument = true;
    FAwaitingComplete = true;
    ++FLoadSerial;
    FWriteSerial = 0;
    FPage->ExpectOwnLoad({});
    FPage->load(address);
    return true;
}

bool TBrowserPane::LoadHtml(const std::string& page)
{
    if (!FHasDocument)
        return false;
    QByteArray bytes = WithCrLf(page);
    FAwaitingComplete = true;
    if (ShowsOwnDocument())
        ReplaceOwnPage(std::move(bytes));
    else
        LoadOwnPage(std::move(bytes));
    return true;
}

bool TBrowserPane::ShowsOwnDocument() const
{
    const QUrl own = FPage->OwnUrl();
    return FProfile && own.isValid() && FReportedUrl == own;
}

void TBrowserPane::ReplaceOwnPage(QByteArray page)
{
    const quint64 serial = ++FLoadSerial;
    FWriteSerial = serial;
    FWriteCompleted = false;
    QStringDecoder decode("GB18030");
    // The pictures start once the page has been measured (laid out without
    // them, as pictures that have not arrived yet always are), so starting
    // their loads does not delay the completed page.
    const QString html = HoldPictures(decode(page));
    // A reload shows the page that is shown now.
    FProfile->Pages()->Replace(FOwner, std::move(page));
    const QString hooks = IsHooked(FKind) ? FragmentClickScript(TPanePage::ScriptToken()).sourceCode() : QString();
    FPage->runJavaScript(
        ReplaceDocumentSource(html, TPanePage::ScriptToken(), serial, hooks), QWebEngineScript::ApplicationWorld,
        [this, alive = FAlive, serial](const QVariant& result) {
            if (!*alive || FLoadSerial != serial)
                return;
            const QVariantList values = result.toList();
            const int height = values.size() == 2 ? values[0].toInt() : -1;
            const int viewport = values.size() == 2 ? values[1].toInt() : -1;
            if (values.size() == 2 && (!isVisible() || viewport == this->height())) {
                ++FLoadSerial;
                CompleteWith(height);
            } else {
                Complete();
            }
            FWriteCompleted = true;
            if (FLoadedWrite == serial)
                OnOwnContentLoaded(serial);
        });
    // Queued behind the write, so it runs right after it, before anything
    // asked of the page later.
    FPage->runJavaScript(StartPicturesSource(TPanePage::ScriptToken(), serial, FFarPicturesDelayMs),
                         QWebEngineScript::ApplicationWorld);
}

void TBrowserPane::OnOwnContentLoaded(quint64 serial)
{
    if (serial != FWriteSerial)
        return;
    FLoadedWrite = serial;
    if (FWriteCompleted)
        FollowPictures();
}

void TBrowserPane::LoadOwnPage(QByteArray page)
{
    if (!FProfile)
        return;
    ++FLoadSerial;
    FWriteSerial = 0;
    const QUrl url = FProfile->Pages()->Publish(FOwner, std::move(page));
    FPage->ExpectOwnLoad(url);
    FPage->load(url);
}

void TBrowserPane::OnLoadingChanged(const QWebEngineLoadingInfo& info)
{
    const QUrl own = FPage->OwnUrl();
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        if (info.url() == own)
            FReportedUrl = QUrl(); // also a reload of the same page completes anew
        return;
    }
    if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus)
        return;
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() == kAbortedLoad)
        return;
    // A generated page that was replaced before it completed, or a web page
    // completing after a generated page was asked for.
    if (own.isValid() && info.url() != own)
        return;
    if (!own.isValid() && TPageStore::IsPageUrl(info.url()))
        return;

    if (own.isValid() && FReportedUrl == own) {
        FollowPictures();
        return;
    }
    FReportedUrl = own;
    Complete();
}

void TBrowserPane::FollowPictures()
{
    // Completed when parsed; the pictures have arrived since.
    const int reported = FDocumentHeight;
    Measure(FLoadSerial, 0, [this, reported](int height) {
        if (height == reported)
            return;
        FDocumentHeight = height;
        Q_EMIT DocumentResized();
    });
}

void TBrowserPane::resizeEvent(QResizeEvent* event)
{
    QWebEngineView::resizeEvent(event);
    FollowSize();
}

void TBrowserPane::showEvent(QShowEvent* event)
{
    QWebEngineView::showEvent(event);
    FollowSize();
}

void TBrowserPane::FollowSize()
{
    if (FFollowingSize || !isVisible() || !FHasDocument || FAwaitingComplete || size() == FMeasuredAt)
        return;
    FFollowingSize = true;
    Measure(FLoadSerial, 0, [this](int height) {
        FFollowingSize = false;
        FDocumentHeight = height;
        Q_EMIT DocumentResized();
    });
}

void TBrowserPane::OnOwnDocumentReady(const QUrl& url, int height, int viewport)
{
    if (url != FPage->OwnUrl() || url == FReportedUrl)
        return;
    FReportedUrl = url;
    // The page measured itself; when it had not yet taken on the pane's
    // size, measure again once it has.
    if (!isVisible() || viewport == this->height()) {
        ++FLoadSerial;
        CompleteWith(height);
    } else {
        Complete();
    }
}

void TBrowserPane::Complete()
{
    const quint64 serial = ++FLoadSerial;
    Measure(serial, 0, [this](int height) { CompleteWith(height); });
}

void TBrowserPane::CompleteWith(int height)
{
    if (FProfile && FPage->OwnUrl().isValid())
        FProfile->Collector()->PageCompleted(FPage);
    FHasDocument = true;
    FAwaitingComplete = false;
    FDocumentHeight = height;
    FMeasuredAt = size();
    FFollowingSize = false;
    ++FDocumentSerial;
    Q_EMIT DocumentComplete();
}

void TBrowserPane::OnUrlChanged(const QUrl& url)
{
    if (!url.isEmpty() && !TPageStore::IsPageUrl(url))
        FLocation = url.toString();
}

void TBrowserPane::MeasureDocument(QObject* context, std::function<void(int)> done)
{
    QPointer<QObject> guard(context);
    Measure(FLoadSerial, 0, [this, guard, done = std::move(done)](int height) {
        FDocumentHeight = height;
        if (guard)
            done(height);
    });
}

void TBrowserPane::Measure(quint64 loadSerial, int attempt, std::function<void(int)> done)
{
    FPage->runJavaScript(
        MeasureDocumentSource(), QWebEngineScript::ApplicationWorld,
        [this, alive = FAlive, loadSerial, attempt, done = std::move(done)](const QVariant& result) {
            if (!*alive || FLoadSerial != loadSerial)
                return;
            const QVariantList values = result.toList();
            const bool measured = values.size() == 2;
            const int height = measured ? values[0].toInt() : -1;
            const int viewport = measured ? values[1].toInt() : -1;
            if (measured && isVisible() && viewport != this->height() && attempt + 1 < kMeasureAttempts) {
                QTimer::singleShot(kMeasureRetryMs, this, [this, loadSerial, attempt, done] {
                    if (FLoadSerial == loadSerial)
                        Measure(loadSerial, attempt + 1, done);
                });
                return;
            }
            FMeasuredAt = size();
            done(height);
        });
}

void TBrowserPane::ScrollBy(int dy)
{
    if (dy == 0 || !FHasDocument)
        return;
    FPage->runJavaScript(QStringLiteral("window.scrollBy(0, %1);").arg(dy), QWebEngineScript::ApplicationWorld);
}

void TBrowserPane::OpenWindow(const std::string& url)
{
    OpenInSystemBrowser(url);
}
