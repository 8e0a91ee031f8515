#pragma once
// Helpers for tests with real browser panes: one shared profile, small test
// windows, waiting on the event loop, script results, synthetic input.

#include <QPoint>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "BrowserPane.h"
#include "MyScrollBar.h"
#include "TestServer.h"

class TPaneProfile;

namespace kit {

// The profile all test panes share; lives until the end of the run.
TPaneProfile* Profile();
void ReleaseProfile();

// Spins the event loop until `done` holds or `ms` pass; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int ms = 15000);

// A top-level window holding one pane (width x height) and its bar at the
// right edge, shown; the bar syncs with every completed document.
struct TPaneWindow {
    TPaneWindow(TPaneKind kind, int width = 600, int height = 583);
    ~TPaneWindow();
    std::unique_ptr<QWidget> window;
    TBrowserPane* pane;
    TMyScrollBar* bar;
    int completed = 0; // DocumentComplete count
};

// Navigates to about:blank and waits for the blank document.
bool Start(TPaneWindow& w);
// Loads a page and waits for its DocumentComplete.
bool Load(TPaneWindow& w, const std::string& page);

// Result of a script in the page's own world (or another world).
QVariant Js(TBrowserPane* pane, const QString& script, quint32 world = 0);
// Centre of the first element matching a CSS selector, in pane coordinates.
QPoint CentreOf(TBrowserPane* pane, const QString& selector, int index = 0);

// Scrolls the window's bar so that the element is at the top of the pane.
void Reveal(TPaneWindow& w, const QString& selector, int index = 0);

// Input as the user gives it, delivered to the widget inside the pane that
// receives input.
QWidget* InputWidget(TBrowserPane* pane);
// Waits until the page has been on screen for two frames (input before that
// can be lost).
void WaitForFrames(TBrowserPane* pane);
void Click(TBrowserPane* pane, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void Wheel(QWidget* target, int delta);
void Key(TBrowserPane* pane, Qt::Key key);

// A picture reply (PNG) of width x height pixels.
TCannedReply Picture(int width, int height = -1);
// An HTML reply.
TCannedReply Html(const std::string& body);

// The page's vertical scroll offset.
int ScrollY(TBrowserPane* pane);

// Lets queued page work finish (a few script round trips).
void Settle(TBrowserPane* pane);

// Waits until every picture of the page has been asked for and has loaded or
// failed. A picture that arrives later changes the layout, so a point taken
// before then can miss what it was taken for.
bool WaitForPictures(TBrowserPane* pane);

} // namespace kit
