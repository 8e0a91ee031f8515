#pragma once
// Helpers for driving the window in tests: waiting on the event loop,
// answering modal message boxes, and keeping the browser panes on loopback.

#include <functional>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>
#include <QWebEngineUrlRequestInterceptor>

class QWebEngineProfile;

// Spins the event loop until `condition` holds; false when `ms` passed first.
bool WaitUntil(const std::function<bool()>& condition, int ms = 30000);
// Spins the event loop for `ms` (to show that something does NOT happen).
void Settle(int ms);

// Watches for application-modal message boxes, records them and presses OK.
class TMessageBoxWatcher : public QObject {
public:
    struct Seen {
        QString text;
        QString title;
        int icon = 0;
        int buttonCount = 0;
        bool okOnly = false;
    };
    // `whileOpen` runs once per box before it is closed.
    explicit TMessageBoxWatcher(std::function<void()> whileOpen = {});
    std::vector<Seen> seen;

private:
    void Check();
    QTimer timer_;
    std::function<void()> whileOpen_;
};

// Blocks every request of the panes that is not to 127.0.0.1/localhost (or a
// local scheme) and counts what it blocked.
class TLocalOnly : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    void Install(QWebEngineProfile* profile);
    std::vector<std::string> blocked;
};
