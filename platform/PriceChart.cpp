#include "PriceChart.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString Yuan(std::int64_t fen)
{
    return QStringLiteral("￥%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0'));
}

QString Day(std::int64_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QString TPriceChart::SummaryOf(const TPriceHistory& history)
{
    if (history.empty())
        return QStringLiteral("暂无价格走势");
    // The first day of the lowest and of the highest price.
    const auto low = std::min_element(history.begin(), history.end(),
                                      [](const TPricePoint& a, const TPricePoint& b) { return a.fen < b.fen; });
    const auto high = std::max_element(history.begin(), history.end(),
                                       [](const TPricePoint& a, const TPricePoint& b) { return a.fen < b.fen; });
    const TPricePoint& now = history.back();
    return QStringLiteral("最低 %1（%2） 最高 %3（%4） 当前 %5（%6）")
        .arg(Yuan(low->fen), Day(low->day), Yuan(high->fen), Day(high->day), Yuan(now.fen), Day(now.day));
}

TPriceChart::TPriceChart(QWidget* parent)
    : QWidget(parent), chart_(new QChart), view_(new QChartView(chart_, this)), label_(new QLabel(this))
{
    chart_->legend()->hide();
    chart_->setMargins(QMargins(4, 4, 4, 4));
    chart_->setBackgroundRoundness(0);
    // Drawn as vectors at the device's own pixel ratio, antialiased.
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_, 1);
    layout->addWidget(label_);
    label_->setAlignment(Qt::AlignCenter);
    SetHistory({});
}

void TPriceChart::SetHistory(const TPriceHistory& history)
{
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    summary_ = SummaryOf(history);
    label_->setText(summary_);
    setAccessibleName(summary_);
    view_->setVisible(!history.empty());
    if (history.empty())
        return;

    // Each price holds until the next one; the last one is drawn a little
    // beyond its day.
    auto* series = new QLineSeries;
    std::int64_t lo = history.front().fen, hi = lo;
    for (std::size_t i = 0; i < history.size(); ++i) {
        const double x = static_cast<double>(history[i].day) * 1000.0;
        if (i > 0)
            series->append(x, static_cast<double>(history[i - 1].fen) / 100.0);
        series->append(x, static_cast<double>(history[i].fen) / 100.0);
        lo = std::min(lo, history[i].fen);
        hi = std::max(hi, history[i].fen);
    }
    const std::int64_t span = history.back().day - history.front().day;
    const std::int64_t end = history.back().day + std::max<std::int64_t>(86400, span / 20);
    series->append(static_cast<double>(end) * 1000.0, static_cast<double>(history.back().fen) / 100.0);
    QPen pen(QColor(0xff, 0x66, 0x00));
    pen.setWidthF(2.0);
    series->setPen(pen);
    chart_->addSeries(series);

    auto* x = new QDateTimeAxis;
    x->setFormat(span > 300 * 86400 ? QStringLiteral("yyyy-MM") : QStringLiteral("MM-dd"));
    x->setTickCount(5);
    x->setRange(QDateTime::fromSecsSinceEpoch(history.front().day, Qt::UTC),
                QDateTime::fromSecsSinceEpoch(end, Qt::UTC));
    auto* y = new QValueAxis;
    const double pad = std::max(1.0, static_cast<double>(hi - lo) / 100.0 * 0.1);
    y->setRange(std::max(0.0, static_cast<double>(lo) / 100.0 - pad), static_cast<double>(hi) / 100.0 + pad);
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}
