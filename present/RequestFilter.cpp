#include "RequestFilter.h"

#include "PageStore.h"

TRequestFilter::TRequestFilter(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

bool TRequestFilter::Allowed(const QUrl& url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String(kPageScheme) || scheme == QLatin1String("data") ||
           scheme == QLatin1String("blob") || scheme == QLatin1String("about");
}

void TRequestFilter::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    if (!Allowed(info.requestUrl()))
        info.block(true);
}
