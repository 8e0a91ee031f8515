#pragma once
// Application-wide input rules for the browser panes, installed as an event
// filter on the application object:
// - a wheel turn over a pane (or over its bar) is one 80-pixel step of that
//   pane's bar, up when turned away from the user; the pane itself never
//   scrolls natively;
// - key presses and releases and right-button presses and releases inside the
//   "quiet" panes are dropped, so they take no keys and show no menu.

#include <QList>
#include <QObject>
#include <QPointer>

class TMyScrollBar;
class QWidget;

class TPaneInputFilter : public QObject {
    Q_OBJECT
public:
    explicit TPaneInputFilter(QObject* parent = nullptr);
    ~TPaneInputFilter() override;

    // The bars whose panes take wheel steps, in the order they are tested
    // (result pane, seller page, seller list, channel, activity); each bar's
    // pane must be set before.
    void SetWheelBars(const QList<TMyScrollBar*>& bars);
    // The panes that take no keys and no right button (result, seller list,
    // channel, activity).
    void SetQuietPanes(const QList<QWidget*>& panes);

    // Installs the filter on the application object (removed on destruction).
    void Install();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HandleWheel(QWidget* target, QEvent* event);
    bool IsQuiet(QWidget* target) const;
    // The quiet pane that holds `target`, if any.
    QWidget* QuietPane(QWidget* target) const;
    // Keys in a quiet pane: dropped, except that Tab and Shift+Tab still
    // move the focus on to the next or previous control outside the pane,
    // so the keyboard is never caught in it.
    bool HandleKey(QWidget* target, QEvent* event);

    struct TWheelTarget {
        QPointer<TMyScrollBar> bar;
        QPointer<QWidget> pane;
    };
    QList<TWheelTarget> FBars;
    QList<QPointer<QWidget>> FQuiet;
    bool FInstalled = false;
};
