// The price chart: its summary line, and a picture that is drawn, not blank,
// at device pixel ratios 1 and 2.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "PriceChart.h"

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kStart = 1280620800; // 2010-08-01

// Pixels of the line's orange in a picture of the chart at `ratio`.
int OrangePixels(TPriceChart& chart, qreal ratio)
{
    QImage image(chart.size() * ratio, QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    chart.render(&image);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 200 && c.green() > 60 && c.green() < 160 && c.blue() < 80;
        }
    return n;
}

} // namespace

TEST(PriceChart, TheSummaryNamesTheLowestHighestAndCurrentPriceWithTheirFirstDays)
{
    struct TCase {
        TPriceHistory history;
        const char* summary;
    };
    const std::vector<TCase> cases = {
        {{}, "暂无价格走势"},
        {{{kStart, 1280}}, "最低 ￥12.80（2010-08-01） 最高 ￥12.80（2010-08-01） 当前 ￥12.80（2010-08-01）"},
        {{{kStart, 3000}, {kStart + kDay, 1205}, {kStart + 5 * kDay, 3000}, {kStart + 9 * kDay, 1205},
          {kStart + 30 * kDay, 1800}},
         "最低 ￥12.05（2010-08-02） 最高 ￥30.00（2010-08-01） 当前 ￥18.00（2010-08-31）"},
        {{{kStart, 5}, {kStart + kDay, 100000099}},
         "最低 ￥0.05（2010-08-01） 最高 ￥1000000.99（2010-08-02） 当前 ￥1000000.99（2010-08-02）"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TPriceChart::SummaryOf(c.history), QString::fromUtf8(c.summary));
}

TEST(PriceChart, IsDrawnAtRatiosOneAndTwoAndReadsAsItsSummary)
{
    TPriceChart chart;
    chart.resize(420, 260);
    chart.SetHistory({{kStart, 3000}, {kStart + 20 * kDay, 1200}, {kStart + 60 * kDay, 2500}});
    EXPECT_EQ(chart.accessibleName(), chart.Summary());
    const int one = OrangePixels(chart, 1);
    const int two = OrangePixels(chart, 2);
    EXPECT_GT(one, 300) << "the line is drawn";
    EXPECT_GT(two, 3 * one) << "the line is drawn across the whole picture at ratio 2";

    chart.SetHistory({});
    EXPECT_EQ(chart.accessibleName(), QStringLiteral("暂无价格走势"));
    EXPECT_EQ(OrangePixels(chart, 1), 0);
}
