#include "PaneInputFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "BrowserPane.h"
#include "MyScrollBar.h"
#include "QtPrivateObjects.h"


namespace {

PALLIDO_QT_OBJECTS bool Contains(const QWidget* outer, const QWidget* target)
{
    return outer && (outer == target || outer->isAncestorOf(target));
}

// A control outside `pane`, in its window, that Tab can give the focus to.
PALLIDO_QT_OBJECTS bool TakesTab(const QWidget* pane, QWidget* w)
{
    return !Contains(pane, w) && w->window() == pane->window() && w->isVisible() && w->isEnabled() &&
           (w->focusPolicy() & Qt::TabFocus);
}

} // namespace

TPaneInputFilter::TPaneInputFilter(QObject* parent) : QObject(parent) {}

TPaneInputFilter::~TPaneInputFilter()
{
    if (FInstalled && qApp)
        qApp->removeEventFilter(this);
}

void TPaneInputFilter::SetWheelBars(const QList<TMyScrollBar*>& bars)
{
    FBars.clear();
    for (auto* bar : bars)
        FBars.append({bar, bar->m_web.data()});
}

void TPaneInputFilter::SetQuietPanes(const QList<QWidget*>& panes)
{
    FQuiet.clear();
    for (auto* pane : panes)
        FQuiet.append(pane);
}

void TPaneInputFilter::Install()
{
    if (!FInstalled && qApp) {
        qApp->installEventFilter(this);
        FInstalled = true;
    }
}

PALLIDO_QT_OBJECTS QWidget* TPaneInputFilter::QuietPane(QWidget* target) const
{
    for (const auto& pane : FQuiet)
        if (Contains(pane, target))
            return pane;
    return nullptr;
}

bool TPaneInputFilter::IsQuiet(QWidget* target) const { return QuietPane(target) != nullptr; }

PALLIDO_QT_OBJECTS bool TPaneInputFilter::HandleKey(QWidget* target, QEvent* event)
{
    QWidget* pane = QuietPane(target);
    if (!pane)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (event->type() != QEvent::KeyPress || !tab ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return true;
    const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
    // The pane stands where its bar stands in the tab order (the engine adds
    // the pane's own input widget to the chain only later, at its end).
    QWidget* start = pane;
    for (const auto& [bar, barPane] : FBars)
        if (bar && barPane == pane)
            start = bar;
    QWidget* w = start;
    if (!(forward && start != pane && TakesTab(pane, start))) {
        for (int guard = 0; guard < 10000; ++guard) {
            w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
            if (!w || w == start || TakesTab(pane, w))
                break;
        }
    }
    if (w && w != pane && TakesTab(pane, w))
        w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

PALLIDO_QT_OBJECTS bool TPaneInputFilter::HandleWheel(QWidget* target, QEvent* event)
{
    for (const auto& [bar, pane] : FBars) {
        if (!bar || !(Contains(pane, target) || Contains(bar, target)))
            continue;
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta > 0)
            bar->StepUp();
        else if (delta < 0)
            bar->StepDown();
        // Taken here: Qt would otherwise offer an unused wheel event to every
        // parent in turn (and the engine would scroll the page itself).
        return true;
    }
    return false;
}

PALLIDO_QT_OBJECTS bool TPaneInputFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return false;
    auto* target = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Wheel:
        return HandleWheel(target, event);
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return HandleKey(target, event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && IsQuiet(target);
    case QEvent::ContextMenu:
        return IsQuiet(target);
    default:
        return false;
    }
}
