#pragma once
// The browser profile all panes share: off the record (nothing is written
// to disk), generated pages served from the page store, requests filtered,
// and settings that keep pages away from local files.
//
// The profile must outlive every pane that uses it: create it before the
// window and delete it after (parenting it to the application object does).

#include <QWebEngineProfile>

class TIdleCollector;
class TPageStore;

class TPaneProfile : public QWebEngineProfile {
    Q_OBJECT
public:
    explicit TPaneProfile(QObject* parent = nullptr);

    TPageStore* Pages() const { return FPages; }
    TIdleCollector* Collector() const { return FCollector; }

private:
    TPageStore* FPages;
    TIdleCollector* FCollector;
};
