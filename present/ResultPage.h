#pragma once
// Page of the result pane: shows generated result pages whose links all open
// in the system browser. A link the page follows itself is handed to the
// system browser too, so the result page always stays in the pane.

#include "PanePage.h"

class TResultPage : public TPanePage {
    Q_OBJECT
public:
    TResultPage(TPaneProfile* profile, QObject* parent);

protected:
    bool AcceptNavigation(const QUrl& url, NavigationType type) override;
};
