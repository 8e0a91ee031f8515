#pragma once
// Page of the hidden counter pane: loads the publisher's counter page and
// nothing else. It never opens windows, shows no dialogs and plays no sound.

#include "PanePage.h"

class TCounterPage : public TPanePage {
    Q_OBJECT
public:
    TCounterPage(TPaneProfile* profile, QObject* parent);

protected:
    void NewWindowRequested(const QUrl& url) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
};
