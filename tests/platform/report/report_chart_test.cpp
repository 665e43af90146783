#include "platform/regional_settings.h"
#include "platform/report/cross_table.h"
#include "platform/report/report_chart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QDateTime>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using platform::Currency;
using platform::RegionalSettings;
using platform::report::buildReportChart;
using platform::report::ChartKind;
using platform::report::CrossTable;
using platform::report::CrossTableBuilder;

struct Group
{
    const char *name;
    double amount; // the same in each of the three months
};

CrossTable monthlyTable(std::initializer_list<Group> groups)
{
    CrossTableBuilder builder;
    for (const Group &group : groups) {
        for (int month = 1; month <= 3; ++month)
            builder.add(QString::fromUtf8(group.name), QDateTime(QDate(2024, month, 1), {}),
                        Currency::fromDouble(group.amount));
    }
    return builder.build();
}

class ReportChart : public ::testing::Test
{
protected:
    void SetUp() override { m_previousSettings = platform::regionalSettings(); }
    void TearDown() override { platform::setRegionalSettings(m_previousSettings); }

private:
    RegionalSettings m_previousSettings;
};

double distance(QColor a, QColor b)
{
    return std::hypot(a.redF() - b.redF(), a.greenF() - b.greenF(), a.blueF() - b.blueF());
}

// The chart as the report paints it, and what a reader sees inside each ribbon: the colour just
// inside its edge in the middle month, where a wider ribbon of the same sign lies beneath it.
TEST_F(ReportChart, EveryRibbonSpansFromZeroAndShowsInItsOwnColour)
{
    const CrossTable table = monthlyTable(
        {{"Ventas (+)", 1000}, {"Costos (-)", 700}, {"Gastos (-)", -400}, {"Caja", -150}});
    QGraphicsScene scene; // outlives the chart, which leaves it when deleted
    std::unique_ptr<QChart> chart = buildReportChart(table, ChartKind::Ribbon);
    chart->resize(900, 600);
    scene.addItem(chart.get());
    QImage image(900, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, 900, 600), QRectF(0, 0, 900, 600));
    }

    QList<QAreaSeries *> ribbons;
    for (QAbstractSeries *series : chart->series()) {
        if (auto *ribbon = qobject_cast<QAreaSeries *>(series))
            ribbons.append(ribbon);
    }
    ASSERT_EQ(ribbons.size(), table.rowCount());
    for (QAreaSeries *ribbon : ribbons) {
        SCOPED_TRACE(ribbon->name().toStdString());
        ASSERT_NE(ribbon->lowerSeries(), nullptr);
        for (const QPointF &point : ribbon->lowerSeries()->points())
            EXPECT_EQ(point.y(), 0);
        const double amount = ribbon->upperSeries()->at(1).y();
        const QPointF inside = chart->mapToPosition(QPointF(1, amount * 0.8), ribbon);
        const QColor seen = image.pixelColor(inside.toPoint());
        const QColor own = ribbon->brush().color();
        for (QAreaSeries *other : ribbons) {
            if (other != ribbon)
                EXPECT_LT(distance(seen, own), distance(seen, other->brush().color()))
                    << "seen " << seen.name().toStdString() << ", own " << own.name().toStdString()
                    << ", other " << other->name().toStdString();
        }
        EXPECT_LT(distance(seen, own), distance(seen, Qt::white));
    }
}

TEST_F(ReportChart, AmountLabelsCarryTheRegionalThousandsSeparator)
{
    RegionalSettings english = RegionalSettings::spanishArgentina();
    english.decimalSeparator = QLatin1Char('.');
    english.thousandsSeparator = QLatin1Char(',');
    const struct
    {
        const char *what;
        bool spanish;
        std::initializer_list<Group> groups;
        QStringList expected; // among the labels
    } cases[] = {
        {"millions",
         true,
         {{"Ventas", 1500000}, {"Gastos", -420000}},
         {"1.500.000", "-500.000", "0"}},
        {"millions in English", false, {{"Ventas", 1500000}}, {"1,500,000", "0"}},
        {"the largest amounts", true, {{"Caja", 300000000000023.6996}}, {"300.000.000.000.000"}},
        {"fractions", true, {{"Caja", 0.9}}, {"0,2", "1,0"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        platform::setRegionalSettings(c.spanish ? RegionalSettings::spanishArgentina() : english);
        for (const ChartKind kind : {ChartKind::Line, ChartKind::Ribbon, ChartKind::Bar}) {
            std::unique_ptr<QChart> chart = buildReportChart(monthlyTable(c.groups), kind);
            const auto axes = chart->axes(Qt::Vertical);
            ASSERT_EQ(axes.size(), 1);
            auto *amounts = qobject_cast<QCategoryAxis *>(axes.front());
            ASSERT_NE(amounts, nullptr);
            const QStringList labels = amounts->categoriesLabels();
            for (const QString &label : c.expected)
                EXPECT_TRUE(labels.contains(label))
                    << label.toStdString() << " not in " << labels.join(u' ').toStdString();
        }
    }
}

} // namespace
