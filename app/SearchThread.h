#pragma once
// The search worker: one affiliate search on its own thread. It is handed
// everything it needs on the GUI thread before it starts and never touches a
// widget: it asks for the busy caption with a queued signal and reports its
// outcome by posting WM_SEARCH_DONE or WM_SEARCH_FAILED to the window.

#include <atomic>

#include <QThread>

#include "Taobaoke_Items.h"

namespace Unit1 {

class TMyThread : public QThread {
    Q_OBJECT
public:
    // `client` and `receiver` must outlive the thread; the window joins it
    // before either goes away. `idle` is set false here and true as the
    // body's last step.
    TMyThread(TTaobaoke_Items& client, Tbk_Items_Cond cond, QObject* receiver,
              std::atomic<bool>& idle, QObject* parent = nullptr);

    // The client's rows after a successful search (valid until its next one),
    // else nullptr. Read it only after the outcome message has arrived. The
    // acquire pairs with the worker's release before it posts, so everything
    // the search wrote (rows, totals) is visible here whatever the event
    // queue's own locking provides.
    const ATbk_Items_Info* Results() const { return Finished() ? results_ : nullptr; }

    // Why the search failed (TFailure::None after success), read like Results().
    TFailure Failure() const { return Finished() ? failure_ : TFailure::None; }

    // True once the body has done its work (an acquire, like Results()).
    bool Finished() const { return finished_.load(std::memory_order_acquire); }

Q_SIGNALS:
    void CaptionRequested(const QString& caption);

protected:
    void run() override;

private:
    TTaobaoke_Items& client_;
    const Tbk_Items_Cond cond_;
    QObject* receiver_;
    std::atomic<bool>& idle_;
    const ATbk_Items_Info* results_ = nullptr;
    TFailure failure_ = TFailure::None;
    std::atomic<bool> finished_{false};
};

} // namespace Unit1
