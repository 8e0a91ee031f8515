#pragma once
// What every pane's page does alike: new windows go to the system browser,
// navigation is limited to the web and the pane's own generated pages, and
// the pane's helper scripts report through console messages that only they
// can produce.

#include <QWebEnginePage>

class TPaneProfile;

class TPanePage : public QWebEnginePage {
    Q_OBJECT
public:
    TPanePage(TPaneProfile* profile, QObject* parent);

    // The generated page the pane is about to load itself; that navigation
    // is always accepted and never reported.
    void ExpectOwnLoad(const QUrl& url);
    QUrl OwnUrl() const { return FOwnUrl; }

    // The token that marks the helper scripts' console messages.
    static const QString& ScriptToken();

Q_SIGNALS:
    // Raised before navigations of hooked pages; setting `cancel` stops it.
    void BeforeNavigate(const QString& url, bool& cancel);
    // A generated page has been parsed and its scripts have run; the heights
    // of the document and of the viewport at that moment.
    void OwnDocumentReady(const QUrl& url, int height, int viewport);
    // The pictures of a generated page written into the shown document have
    // arrived; `serial` names the write.
    void OwnContentLoaded(quint64 serial);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;

    // A main-frame navigation the page or the user started (links, scripts,
    // Navigate() to a web address). Default: web addresses only.
    virtual bool AcceptNavigation(const QUrl& url, NavigationType type);
    // A page asked for a new window (target="_blank", window.open, open).
    // Default: the address goes to the system browser.
    virtual void NewWindowRequested(const QUrl& url);
    // A click on a same-document link, reported by the helper script.
    virtual void FragmentLinkClicked(const QUrl& url);

private:
    void ReadyReported(const QString& report);

    QUrl FOwnUrl;
};
