#pragma once
// The vertical scroll bar beside a browser pane. It sizes its range to the
// height of the pane's document and scrolls the document by script whenever
// its position changes (the panes have no scroll bars of their own).
//
// Range terms: Max is the document height and PageSize the pane height; the
// position runs from 0 to Max - PageSize + 1 (to Max while PageSize is 0).

#include <QPointer>
#include <QScrollBar>

class TBrowserPane;

class TMyScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit TMyScrollBar(QWidget* parent = nullptr);

    // The pane whose document the bar scrolls.
    QPointer<TBrowserPane> m_web;
    // Binds the bar to its pane; the bar then also follows later height
    // changes of the pane's synced document (pictures arriving).
    void SetWeb(TBrowserPane* pane);

    // One wheel step and one arrow step, in pixels.
    static constexpr int kStep = 80;

    int Max() const { return FMax; }
    int PageSize() const { return FPageSize; }
    int SmallChange() const { return singleStep(); }
    int LargeChange() const { return pageStep(); }
    int Position() const { return value(); }
    // Moves the bar (clamped to its range); the document follows.
    void SetPosition(int position) { setValue(position); }
    int MaxPosition() const { return FMaxPosition; }
    bool ResetPending() const { return FResetPending; }
    int LastPosition() const { return FLastPosition; }

    // One wheel step up or down (only while enabled).
    void StepUp();
    void StepDown();
    // A new page is on its way: disable the bar; the next
    // SyncWithDocument(true) puts it back at the top.
    void BeginReload();
    // Fits the range to the pane's completed document.
    void SyncWithDocument(bool ResetIfPending);
    // After the pane was resized: measures the document again and, when it is
    // taller than the pane, fits the range and goes back to the top (only
    // while enabled).
    void ResetRange();

public Q_SLOTS:
    // Scrolls the document by the change of position.
    void ScrollDocument();
    // Gives the pane the input focus.
    void FocusBrowser();
    // The synced document changed its height: fit the range, keep the place.
    void FollowDocumentHeight();

Q_SIGNALS:
    void MouseEnter();

protected:
    void enterEvent(QEnterEvent* event) override;

private:
    void ApplyRange(int documentHeight);
    // A newly completed document starts at its top.
    void AdoptDocument();

    bool FResetPending = false;
    int FLastPosition = 0;
    int FMaxPosition = 0;
    int FMax = 100;
    int FPageSize = 0;
    quint64 FDocumentSerial = 0;
};
