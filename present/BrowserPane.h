#pragma once
// An embedded browser pane: shows generated pages (given as 8-bit text) or
// web pages, reports each completed document together with its height, and
// scrolls only when told to.

#include <QPointer>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <string>

class TPanePage;
class TPaneProfile;
class QWebEngineLoadingInfo;

enum class TPaneKind {
    Result,     // `web`: result pages; links open in the system browser
    SellerList, // `web2`: the seller list; navigations are reported first
    SellerPage, // `webShop`: one seller's items; like SellerList, with the browser's menu
    Static,     // `web3`, `web4`: the publisher's channel and activity pages
    Counter,    // `webCount`: the hidden counter page
};

class TBrowserPane : public QWebEngineView {
    Q_OBJECT
public:
    // `profile` must outlive the pane.
    TBrowserPane(TPaneKind kind, TPaneProfile* profile, QWidget* parent = nullptr);
    ~TBrowserPane() override;

    TPaneKind Kind() const { return FKind; }

    // Starts loading an address and returns at once; completion is reported
    // by DocumentComplete. Only "about:blank" (an empty document) and http or
    // https addresses are loaded; anything else is refused (false).
    bool Navigate(const QString& url);
    // Replaces the document with a generated page: its bytes are in the 8-bit
    // code page and decoded as its charset declaration says; scripts run and
    // DocumentComplete follows. The address stays what Navigate set.
    // Without a document (before the first Navigate) nothing happens (false).
    bool LoadHtml(const std::string& page);

    bool HasDocument() const { return FHasDocument; }
    // A document asked for (Navigate or LoadHtml) has not completed yet.
    bool AwaitingComplete() const { return FAwaitingComplete; }
    // The address of the shown document ("about:blank" for generated pages);
    // empty before the first navigation.
    QString LocationUrl() const { return FLocation; }

    // Height of the completed document in pixels as measured when it was
    // completed (or by the last MeasureDocument); -1 without a document or body.
    int DocumentHeight() const { return FDocumentHeight; }
    // Changes with every completed document.
    quint64 DocumentSerial() const { return FDocumentSerial; }
    // Measures the shown document again once the page has caught up with the
    // pane's size; `done` gets the height (-1 without a body). It is not
    // called when another document replaces this one first or `context` dies.
    void MeasureDocument(QObject* context, std::function<void(int height)> done);

    // A written page's pictures near the shown part are asked for at once,
    // the others as the reader scrolls towards them or this long after the
    // page was written (a reader paging on quickly does not wait for
    // pictures never looked at).
    static constexpr int kFarPicturesDelayMs = 100;
    void SetFarPicturesDelay(int ms) { FFarPicturesDelayMs = ms; }

    // Scrolls the document by `dy` pixels (window.scrollBy).
    void ScrollBy(int dy);
    // Opens an address (8-bit text) the way a page's window.open does: in the
    // system browser, http and https only.
    void OpenWindow(const std::string& url);

Q_SIGNALS:
    // A document finished loading and its height is known. Generated pages
    // complete once parsed and their scripts have run (their layout does not
    // wait for pictures); web pages once everything has loaded.
    void DocumentComplete();
    // The completed document was measured again (DocumentHeight() has the
    // height): a generated page whose pictures arrived and changed its
    // height, or a document first measured while the pane had another size.
    void DocumentResized();
    // Seller panes only: raised before every navigation, also for the
    // generated pages' relative links "00" and "#03" (the address then ends
    // with those two characters) and for Navigate("about:blank").
    void BeforeNavigate2(const QString& url, bool& cancel);

protected:
    // A document measured while the pane had another size (a pane on a
    // notebook page not shown yet is laid out only when first shown) is
    // measured again once the pane shows at its own size.
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void LoadOwnPage(QByteArray page);
    // True while the pane shows a completed generated page, whose content
    // can then be replaced without a navigation.
    bool ShowsOwnDocument() const;
    void ReplaceOwnPage(QByteArray page);
    void OnOwnContentLoaded(quint64 serial);
    // Measures the completed generated page again once its pictures have
    // arrived, and reports a changed height.
    void FollowPictures();
    void FollowSize();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    void OnOwnDocumentReady(const QUrl& url, int height, int viewport);
    void Complete();
    void CompleteWith(int height);
    void OnUrlChanged(const QUrl& url);
    void Measure(quint64 loadSerial, int attempt, std::function<void(int)> done);

    TPaneKind FKind;
    TPanePage* FPage;
    QPointer<TPaneProfile> FProfile;
    quint64 FOwner;
    bool FHasDocument = false;
    bool FAwaitingComplete = false;
    // Cleared when the pane is destroyed; script answers check it first.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    QString FLocation;
    // Counts loads; a measurement belongs to the load it was started for.
    quint64 FLoadSerial = 0;
    quint64 FDocumentSerial = 0;
    int FDocumentHeight = -1;
    // The pane's size when the document was last measured.
    QSize FMeasuredAt;
    bool FFollowingSize = false;
    // The generated page whose completion has been reported.
    QUrl FReportedUrl;
    // The latest page written into the shown document (0 after a
    // navigation), whether it has completed, and the latest write whose
    // pictures have arrived.
    quint64 FWriteSerial = 0;
    bool FWriteCompleted = false;
    quint64 FLoadedWrite = 0;
    int FFarPicturesDelayMs = kFarPicturesDelayMs;
};
