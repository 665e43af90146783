#include "platform/report/report_chart.h"

#include "platform/report/cross_table.h"
#include "platform/text.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::report {

namespace {

// Beyond this many columns their labels are slanted so that each one still shows whole.
constexpr int kUpright = 8;

// Dense enough that a ribbon's colour reads at once, light enough that a ribbon behind it
// still shows through.
constexpr qreal kRibbonFill = 0.7;

// The axis always takes in zero, so ribbons and bars start from it, and the amounts of every
// row, whatever their signs.
std::pair<double, double> amountRange(const CrossTable &table)
{
    double low = 0;
    double high = 0;
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < table.columnCount(); ++column) {
            const double amount = table.cell(row, column).toDouble();
            low = std::min(low, amount);
            high = std::max(high, amount);
        }
    }
    if (low == high)
        high = low + 1;
    return {low, high};
}

QStringList categoriesOf(const CrossTable &table)
{
    return QStringList(table.columnLabels().begin(), table.columnLabels().end());
}

// A series draws nothing for a column its row has no amount in, so the ribbon and the line
// follow the cells the table prints rather than dropping to zero.
QLineSeries *lineOfRow(const CrossTable &table, int row, QObject *parent)
{
    auto *series = new QLineSeries(parent);
    for (int column = 0; column < table.columnCount(); ++column) {
        if (table.hasCell(row, column))
            series->append(column, table.cell(row, column).toDouble());
    }
    return series;
}

void addBars(QChart &chart, const CrossTable &table)
{
    auto *series = new QBarSeries(&chart);
    for (int row = 0; row < table.rowCount(); ++row) {
        auto *set = new QBarSet(table.rowLabels().at(row), series);
        for (int column = 0; column < table.columnCount(); ++column)
            set->append(table.cell(row, column).toDouble());
        series->append(set);
    }
    chart.addSeries(series);
}

void addLines(QChart &chart, const CrossTable &table)
{
    for (int row = 0; row < table.rowCount(); ++row) {
        QLineSeries *line = lineOfRow(table, row, &chart);
        line->setName(table.rowLabels().at(row));
        chart.addSeries(line);
    }
}

double largestMagnitude(const CrossTable &table, int row)
{
    double largest = 0;
    for (int column = 0; column < table.columnCount(); ++column)
        largest = std::max(largest, std::fabs(table.cell(row, column).toDouble()));
    return largest;
}

// A ribbon spans from zero to its amounts, so a group of negative amounts hangs below the axis
// instead of disappearing inside the others' fills. The widest ribbons are laid down first, so
// a narrower one lies on top of them rather than under them, and every ribbon's edge is drawn
// again in full colour above all the fills. The edges carry the legend, in the table's order.
void addRibbons(QChart &chart, const CrossTable &table)
{
    QList<int> widestFirst;
    for (int row = 0; row < table.rowCount(); ++row)
        widestFirst.append(row);
    std::stable_sort(widestFirst.begin(), widestFirst.end(), [&](int a, int b) {
        return largestMagnitude(table, a) > largestMagnitude(table, b);
    });

    QList<QLineSeries *> edges(table.rowCount());
    for (const int row : widestFirst) {
        QLineSeries *amounts = lineOfRow(table, row, &chart);
        auto *zero = new QLineSeries(&chart);
        for (const QPointF &point : amounts->points())
            zero->append(point.x(), 0);
        auto *ribbon = new QAreaSeries(amounts, zero);
        ribbon->setName(table.rowLabels().at(row));
        chart.addSeries(ribbon); // the theme gives it its colour here
        for (QLegendMarker *marker : chart.legend()->markers(ribbon))
            marker->setVisible(false);
        const QColor colour = ribbon->brush().color();
        QColor fill = colour;
        fill.setAlphaF(kRibbonFill);
        ribbon->setBrush(fill);
        ribbon->setPen(Qt::NoPen);

        auto *edge = new QLineSeries(&chart);
        edge->setName(table.rowLabels().at(row));
        edge->append(amounts->points());
        edge->setPen(QPen(colour, 2));
        edges[row] = edge;
    }
    for (QLineSeries *edge : edges)
        chart.addSeries(edge);
}

// Qt's value axis writes its labels through a printf format, which knows no thousands
// separator, so the labels are written here at the ticks of Qt's nice numbers. A tick is a
// round position on the axis, not an amount of the table.
QCategoryAxis *amountAxis(const CrossTable &table, QObject *parent)
{
    auto *axis = new QCategoryAxis(parent);
    const auto [low, high] = amountRange(table);
    axis->setRange(low, high);
    axis->applyNiceNumbers();
    const int ticks = std::max(2, axis->tickCount());
    const double step = (axis->max() - axis->min()) / (ticks - 1);
    const int decimals = std::clamp(int(-std::floor(std::log10(step) + 1e-9)), 0, 4);
    axis->setStartValue(axis->min());
    for (int tick = 0; tick < ticks; ++tick) {
        const double value = axis->min() + tick * step;
        axis->append(formatRegionalNumber(value, decimals), value);
    }
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    return axis;
}

} // namespace

std::unique_ptr<QChart> buildReportChart(const CrossTable &table, ChartKind kind)
{
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignRight);
    if (kind == ChartKind::Bar)
        addBars(*chart, table);
    else if (kind == ChartKind::Ribbon)
        addRibbons(*chart, table);
    else
        addLines(*chart, table);

    auto *categories = new QBarCategoryAxis(chart.get());
    categories->append(categoriesOf(table));
    if (table.columnCount() > kUpright) {
        QFont small = categories->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        categories->setLabelsFont(small);
        categories->setLabelsAngle(-90);
    }
    QCategoryAxis *amounts = amountAxis(table, chart.get());
    chart->addAxis(categories, Qt::AlignBottom);
    chart->addAxis(amounts, Qt::AlignLeft);
    for (auto *series : chart->series()) {
        series->attachAxis(categories);
        series->attachAxis(amounts);
    }
    return chart;
}

} // namespace platform::report
