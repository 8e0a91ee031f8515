#pragma once
// An item's price over time as a step line (Qt Charts), with its lowest,
// highest and current price and their dates in one line of text below it.
// That line is also the chart's accessible name, so a screen reader tells
// what the picture shows. Without any price it shows "暂无价格走势".

#include <QString>
#include <QWidget>

#include "PricePoint.h"

class QChart;
class QChartView;
class QLabel;

class TPriceChart : public QWidget {
    Q_OBJECT
public:
    explicit TPriceChart(QWidget* parent = nullptr);

    void SetHistory(const TPriceHistory& history);
    // The line below the chart: "最低 ￥12.00（2010-08-01） 最高 … 当前 …".
    const QString& Summary() const { return summary_; }

    // The summary of a history, "暂无价格走势" for none.
    static QString SummaryOf(const TPriceHistory& history);

private:
    QChart* chart_;
    QChartView* view_;
    QLabel* label_;
    QString summary_;
};
