#pragma once
// Refuses every request of the panes that is not for the web, a generated
// page or inline data: no local files, no program resources (qrc:), no
// other schemes, whatever a page or a server reply asks for.

#include <QWebEngineUrlRequestInterceptor>

class TRequestFilter : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit TRequestFilter(QObject* parent = nullptr);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    static bool Allowed(const QUrl& url);
};
