#include "PageStore.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void RegisterPageScheme()
{
    if (QWebEngineUrlScheme::schemeByName(kPageScheme).name() == kPageScheme)
        return;
    // A host-based syntax makes the addresses hierarchical, which relative
    // links need. No flags: the pages are neither local nor secure, so they
    // can neither read files nor mix with privileged content.
    QWebEngineUrlScheme scheme(kPageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    QWebEngineUrlScheme::registerScheme(scheme);
}

TPageStore::TPageStore(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

quint64 TPageStore::NewOwner()
{
    return FNextOwner++;
}

QUrl TPageStore::Publish(quint64 owner, QByteArray page)
{
    // The address ends in ".html", never in digits, so it cannot be taken for
    // one of the pages' two-digit links.
    const QString path = QStringLiteral("/doc-%1-%2.html").arg(owner).arg(FNextSerial++);
    FPages.insert(owner, TEntry{path, std::move(page)});
    QUrl url;
    url.setScheme(kPageScheme);
    url.setHost(QStringLiteral("page"));
    url.setPath(path);
    return url;
}

void TPageStore::Replace(quint64 owner, QByteArray page)
{
    const auto entry = FPages.find(owner);
    if (entry != FPages.end())
        entry->page = std::move(page);
}

void TPageStore::Withdraw(quint64 owner)
{
    FPages.remove(owner);
}

bool TPageStore::IsPageUrl(const QUrl& url)
{
    return url.scheme() == QLatin1String(kPageScheme);
}

void TPageStore::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != "GET" || url.host() != QLatin1String("page")) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    for (const TEntry& entry : std::as_const(FPages)) {
        if (entry.path == url.path()) {
            auto* body = new QBuffer(job);
            body->setData(entry.page);
            body->open(QIODevice::ReadOnly);
            job->reply("text/html;charset=GB18030", body);
            return;
        }
    }
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}
