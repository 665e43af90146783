#include "platform/report/report_chart.h"

#include "platform/report/cross_table.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <utility>

namespace platform::report {

namespace {

// Beyond this many columns their labels are slanted so that each one still shows whole.
constexpr int kUpright = 8;

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

void addLines(QChart &chart, const CrossTable &table, bool ribbons)
{
    for (int row = 0; row < table.rowCount(); ++row) {
        QLineSeries *line = lineOfRow(table, row, &chart);
        if (!ribbons) {
            line->setName(table.rowLabels().at(row));
            chart.addSeries(line);
            continue;
        }
        auto *ribbon = new QAreaSeries(line);
        ribbon->setName(table.rowLabels().at(row));
        ribbon->setOpacity(0.6);
        chart.addSeries(ribbon);
    }
}

} // namespace

std::unique_ptr<QChart> buildReportChart(const CrossTable &table, ChartKind kind)
{
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignRight);
    if (kind == ChartKind::Bar)
        addBars(*chart, table);
    else
        addLines(*chart, table, kind == ChartKind::Ribbon);

    auto *categories = new QBarCategoryAxis(chart.get());
    categories->append(categoriesOf(table));
    if (table.columnCount() > kUpright) {
        QFont small = categories->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        categories->setLabelsFont(small);
        categories->setLabelsAngle(-90);
    }
    auto *amounts = new QValueAxis(chart.get());
    amounts->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(categories, Qt::AlignBottom);
    chart->addAxis(amounts, Qt::AlignLeft);
    for (auto *series : chart->series()) {
        series->attachAxis(categories);
        series->attachAxis(amounts);
    }
    const auto [low, high] = amountRange(table);
    amounts->setRange(low, high);
    amounts->applyNiceNumbers();
    return chart;
}

} // namespace platform::report
