#include "SearchThread.h"

#include <QCoreApplication>

#include "Messages.h"

namespace Unit1 {

TMyThread::TMyThread(TTaobaoke_Items& client, Tbk_Items_Cond cond, QObject* receiver,
                     std::atomic<bool>& idle, QObject* parent)
    : QThread(parent), client_(client), cond_(std::move(cond)), receiver_(receiver), idle_(idle)
{
    idle_.store(false);
}

void TMyThread::run()
{
    Q_EMIT CaptionRequested(QStringLiteral("正在搜索商品，请稍后......"));
    const ATbk_Items_Info* rows = nullptr;
    const bool ok = client_.Fetch(cond_, Tbk_Items_Info{}, rows);
    if (ok)
        results_ = rows;
    else
        failure_ = client_.Failure();
    finished_.store(true, std::memory_order_release);
    QCoreApplication::postEvent(receiver_, new QEvent(ok ? WM_SEARCH_DONE : WM_SEARCH_FAILED));
    idle_.store(true);
}

} // namespace Unit1
