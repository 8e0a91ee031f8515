#include "MyScrollBar.h"

#include <QEnterEvent>

#include "BrowserPane.h"

namespace {

constexpr int kBarWidth = 19;

} // namespace

TMyScrollBar::TMyScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    setFixedWidth(kBarWidth);
    setRange(0, FMax);
    setValue(0);
    setSingleStep(kStep);
    setPageStep(0);
    setEnabled(false);
    connect(this, &QAbstractSlider::valueChanged, this, &TMyScrollBar::ScrollDocument);
    connect(this, &TMyScrollBar::MouseEnter, this, &TMyScrollBar::FocusBrowser);
}

void TMyScrollBar::SetWeb(TBrowserPane* pane)
{
    if (m_web)
        disconnect(m_web, nullptr, this, nullptr);
    m_web = pane;
    if (pane)
        connect(pane, &TBrowserPane::DocumentResized, this, &TMyScrollBar::FollowDocumentHeight);
}

void TMyScrollBar::FollowDocumentHeight()
{
    // Only for the document this bar has synced with; a newer one waits for
    // its own SyncWithDocument.
    if (!m_web || m_web->DocumentSerial() != FDocumentSerial || FResetPending)
        return;
    const int height = m_web->DocumentHeight();
    if (height < 0)
        return;
    if (height > m_web->height()) {
        ApplyRange(height);
        setEnabled(true);
    } else {
        setEnabled(false);
    }
}

void TMyScrollBar::ApplyRange(int documentHeight)
{
    FMax = documentHeight;
    FPageSize = m_web ? m_web->height() : 0;
    setSingleStep(kStep);
    setPageStep(FPageSize);
    FMaxPosition = FMax - FPageSize + 1;
    // Clamps the position and, when it moves, scrolls the document.
    setMaximum(FPageSize > 0 ? FMaxPosition : FMax);
}

void TMyScrollBar::AdoptDocument()
{
    if (!m_web || m_web->DocumentSerial() == FDocumentSerial)
        return;
    FDocumentSerial = m_web->DocumentSerial();
    FLastPosition = 0;
}

void TMyScrollBar::SyncWithDocument(bool ResetIfPending)
{
    const int height = m_web ? m_web->DocumentHeight() : -1;
    if (height < 0) {
        // No document or no body.
        setEnabled(true);
        setValue(0);
        return;
    }
    AdoptDocument();
    if (height > m_web->height()) {
        ApplyRange(height);
        setEnabled(true);
    } else {
        setEnabled(false);
    }
    const int p = value();
    if (p > 0 && !FResetPending) {
        setValue(p);
    } else if (ResetIfPending && FResetPending) {
        setValue(0);
        FResetPending = false;
    }
    // A new document starts at its top: bring it to the bar's position.
    if (value() != FLastPosition)
        ScrollDocument();
}

void TMyScrollBar::BeginReload()
{
    FResetPending = true;
    setEnabled(false);
}

void TMyScrollBar::ResetRange()
{
    if (!isEnabled() || !m_web)
        return;
    m_web->MeasureDocument(this, [this](int height) {
        if (height < 0 || !m_web || height <= m_web->height())
            return;
        ApplyRange(height);
        setValue(0);
    });
}

void TMyScrollBar::StepUp()
{
    if (!isEnabled())
        return;
    setValue(value() > 0 ? value() - kStep : 0);
}

void TMyScrollBar::StepDown()
{
    if (!isEnabled())
        return;
    setValue(value() < FMaxPosition ? value() + kStep : FMaxPosition);
}

void TMyScrollBar::ScrollDocument()
{
    const int delta = value() - FLastPosition;
    if (m_web)
        m_web->ScrollBy(delta);
    FLastPosition = value();
}

void TMyScrollBar::FocusBrowser()
{
    if (m_web)
        m_web->setFocus();
}

void TMyScrollBar::enterEvent(QEnterEvent* event)
{
    QScrollBar::enterEvent(event);
    Q_EMIT MouseEnter();
}
