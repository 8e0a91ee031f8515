#pragma once
// Serves the generated pages to the panes. Each pane publishes its current
// page here and loads it from an address of the scheme "pallido", so that
// relative links ("00", "#03") resolve to addresses ending in their own two
// characters. Only the latest page of each pane is kept.

#include <QByteArray>
#include <QHash>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

inline constexpr char kPageScheme[] = "pallido";

// Registers the scheme; must run before the application object is created.
void RegisterPageScheme();

class TPageStore : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    explicit TPageStore(QObject* parent = nullptr);

    // A fresh owner number for a pane.
    quint64 NewOwner();
    // Stores `page` as the owner's current page (dropping the previous one)
    // and returns the address it is served at.
    QUrl Publish(quint64 owner, QByteArray page);
    // Stores `page` as the owner's current page at the address it has now
    // (nothing happens for an owner without a page).
    void Replace(quint64 owner, QByteArray page);
    void Withdraw(quint64 owner);
    // True for any address of the scheme, current or not.
    static bool IsPageUrl(const QUrl& url);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    struct TEntry {
        QString path;
        QByteArray page;
    };
    QHash<quint64, TEntry> FPages;
    quint64 FNextOwner = 1;
    quint64 FNextSerial = 1;
};
