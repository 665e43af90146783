#include "platform/report/report_document.h"

#include "platform/report/report_chart.h"
#include "platform/text.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

namespace platform::report {

namespace {

// One page's share of the table: a run of columns by a run of rows.
struct TableSlice
{
    int firstColumn = 0;
    int columnEnd = 0; // the row-total column is index columnCount()
    int firstRow = 0;
    int rowEnd = 0; // the column-total row is index rowCount()
};

struct PagePlan
{
    std::optional<TableSlice> slice;
    QRectF chartArea; // empty when the page carries no chart
};

// Sizes, fonts and pages of one print, measured on the device it goes to.
class PageComposer
{
public:
    PageComposer(const ReportContent &content, QPainter &painter)
        : m_content(content), m_painter(painter)
    {
        const QRect viewport = painter.viewport();
        m_page = QRectF(0, 0, viewport.width(), viewport.height());
        m_titleFont = QFont(QStringLiteral("Sans Serif"), 15, QFont::Bold);
        m_companyFont = QFont(QStringLiteral("Sans Serif"), 10, QFont::Bold);
        m_textFont = QFont(QStringLiteral("Sans Serif"), 8);
        m_boldFont = m_textFont;
        m_boldFont.setBold(true);
        measure();
    }

    QVector<PagePlan> plan() const
    {
        QVector<PagePlan> pages;
        const QVector<std::pair<int, int>> columnRuns = runs(printedColumns(), columnsPerPage());
        const QVector<std::pair<int, int>> rowRuns = runs(printedRows(), rowsPerPage());
        for (const auto &[firstColumn, columnEnd] : columnRuns) {
            for (const auto &[firstRow, rowEnd] : rowRuns)
                pages.append({TableSlice{firstColumn, columnEnd, firstRow, rowEnd}, {}});
        }
        if (pages.isEmpty())
            pages.append({TableSlice{}, {}});
        placeChart(pages);
        return pages;
    }

    void paintPage(const PagePlan &page, int number, int count)
    {
        paintHeading();
        if (page.slice)
            paintSlice(*page.slice);
        if (!page.chartArea.isEmpty())
            paintChart(page.chartArea);
        paintFooter(number, count);
    }

private:
    const CrossTable &table() const { return m_content.table; }
    bool rowTotals() const { return m_content.layout.rowTotals; }

    int printedColumns() const { return table().columnCount() + (rowTotals() ? 1 : 0); }
    int printedRows() const { return table().isEmpty() ? 0 : table().rowCount() + 1; }

    void measure()
    {
        const QFontMetricsF text(m_textFont, m_painter.device());
        const QFontMetricsF bold(m_boldFont, m_painter.device());
        m_rowHeight = text.height() * 1.6;
        m_padding = text.averageCharWidth();

        qreal labelWidth = bold.horizontalAdvance(m_content.rowHeading);
        for (const QString &label : table().rowLabels())
            labelWidth = std::max(labelWidth, text.horizontalAdvance(label));
        labelWidth = std::max(labelWidth, bold.horizontalAdvance(totalCaption()));
        // A letter of slack: a label is elided only when it really does not fit.
        m_labelWidth = std::min(labelWidth + 3 * m_padding, m_page.width() * 0.3);

        qreal amountWidth = bold.horizontalAdvance(totalCaption());
        for (const QString &label : table().columnLabels())
            amountWidth = std::max(amountWidth, bold.horizontalAdvance(label));
        for (int column = 0; column < table().columnCount(); ++column)
            amountWidth = std::max(amountWidth,
                                   bold.horizontalAdvance(amountText(table().columnTotal(column))));
        for (int row = 0; row < table().rowCount(); ++row)
            amountWidth
                = std::max(amountWidth, bold.horizontalAdvance(amountText(table().rowTotal(row))));
        amountWidth
            = std::max(amountWidth, bold.horizontalAdvance(amountText(table().grandTotal())));
        m_amountWidth = amountWidth + 2 * m_padding;

        m_headingHeight = headingHeight();
        m_footerHeight = text.height() * 2;
    }

    qreal headingHeight() const
    {
        const QFontMetricsF title(m_titleFont, m_painter.device());
        const QFontMetricsF company(m_companyFont, m_painter.device());
        const QFontMetricsF text(m_textFont, m_painter.device());
        const QRectF parameters = text.boundingRect(QRectF(0, 0, m_page.width(), m_page.height()),
                                                    Qt::TextWordWrap, m_content.parameters);
        return company.height() + title.height() * 1.4 + parameters.height() + m_rowHeight;
    }

    qreal bodyTop() const { return m_headingHeight; }
    qreal bodyHeight() const { return m_page.height() - m_headingHeight - m_footerHeight; }

    int columnsPerPage() const
    {
        return std::max(1, int((m_page.width() - m_labelWidth) / m_amountWidth));
    }

    int rowsPerPage() const { return std::max(1, int(bodyHeight() / m_rowHeight) - 1); }

    static QVector<std::pair<int, int>> runs(int count, int perRun)
    {
        QVector<std::pair<int, int>> result;
        for (int first = 0; first < count; first += perRun)
            result.append({first, std::min(count, first + perRun)});
        return result;
    }

    void placeChart(QVector<PagePlan> &pages) const
    {
        if (m_content.layout.chart == ChartKind::None || table().isEmpty()
            || table().columnCount() == 0)
            return;
        const TableSlice &last = *pages.last().slice;
        const qreal tableBottom = bodyTop() + m_rowHeight * (last.rowEnd - last.firstRow + 1);
        const qreal gap = m_rowHeight;
        const QRectF below(0, tableBottom + gap, m_page.width(),
                           bodyTop() + bodyHeight() - tableBottom - gap);
        if (below.height() >= bodyHeight() * 0.45)
            pages.last().chartArea = below;
        else
            pages.append({std::nullopt, QRectF(0, bodyTop(), m_page.width(), bodyHeight())});
    }

    QString totalCaption() const { return QStringLiteral("Total"); }

    void paintHeading()
    {
        qreal y = 0;
        m_painter.setPen(Qt::black);
        m_painter.setFont(m_companyFont);
        const qreal companyHeight = QFontMetricsF(m_companyFont, m_painter.device()).height();
        m_painter.drawText(QRectF(0, y, m_page.width(), companyHeight),
                           Qt::AlignLeft | Qt::AlignVCenter, m_content.company);
        m_painter.setFont(m_textFont);
        m_painter.drawText(QRectF(0, y, m_page.width(), companyHeight),
                           Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("Fecha: ") + formatShortDate(m_content.printedOn));
        y += companyHeight;

        m_painter.setFont(m_titleFont);
        const qreal titleHeight = QFontMetricsF(m_titleFont, m_painter.device()).height() * 1.4;
        m_painter.drawText(QRectF(0, y, m_page.width(), titleHeight), Qt::AlignCenter,
                           m_content.title);
        y += titleHeight;

        m_painter.setFont(m_textFont);
        const QRectF parameters(0, y, m_page.width(), m_headingHeight - y - m_rowHeight / 2);
        m_painter.drawText(parameters, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                           m_content.parameters);
        const qreal rule = m_headingHeight - m_rowHeight / 2;
        m_painter.setPen(QPen(Qt::black, m_padding / 6));
        m_painter.drawLine(QPointF(0, rule), QPointF(m_page.width(), rule));
    }

    void paintFooter(int number, int count)
    {
        m_painter.setFont(m_textFont);
        m_painter.setPen(Qt::black);
        const QRectF footer(0, m_page.height() - m_footerHeight / 2, m_page.width(),
                            m_footerHeight / 2);
        m_painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("Página %1 de %2").arg(number).arg(count));
    }

    void paintSlice(const TableSlice &slice)
    {
        qreal y = bodyTop();
        const qreal width = m_labelWidth + m_amountWidth * (slice.columnEnd - slice.firstColumn);
        m_painter.fillRect(QRectF(0, y, width, m_rowHeight), QColor(0xdd, 0xe4, 0xee));
        m_painter.setFont(m_boldFont);
        paintRow(y, slice, m_content.rowHeading, [&](int column) { return columnHeading(column); });
        y += m_rowHeight;

        if (table().isEmpty()) {
            m_painter.setFont(m_textFont);
            m_painter.drawText(QRectF(m_padding, y, m_page.width(), m_rowHeight),
                               Qt::AlignLeft | Qt::AlignVCenter,
                               QStringLiteral("No hay datos para informar."));
            return;
        }
        for (int row = slice.firstRow; row < slice.rowEnd; ++row) {
            const bool totalRow = row == table().rowCount();
            if (totalRow) {
                m_painter.setPen(QPen(Qt::black, m_padding / 8));
                m_painter.drawLine(QPointF(0, y), QPointF(width, y));
            } else if ((row - slice.firstRow) % 2 == 1) {
                m_painter.fillRect(QRectF(0, y, width, m_rowHeight), QColor(0xf4, 0xf6, 0xf9));
            }
            m_painter.setFont(totalRow ? m_boldFont : m_textFont);
            paintRow(y, slice, totalRow ? totalCaption() : table().rowLabels().at(row),
                     [&](int column) { return cellText(row, column); });
            y += m_rowHeight;
        }
    }

    template<typename CellText>
    void paintRow(qreal y, const TableSlice &slice, const QString &label, CellText cellText)
    {
        m_painter.setPen(Qt::black);
        const QRectF labelRect(m_padding, y, m_labelWidth - 2 * m_padding, m_rowHeight);
        const QFontMetricsF metrics(m_painter.font(), m_painter.device());
        m_painter.drawText(labelRect, Qt::AlignLeft | Qt::AlignVCenter,
                           metrics.elidedText(label, Qt::ElideRight, labelRect.width()));
        qreal x = m_labelWidth;
        for (int column = slice.firstColumn; column < slice.columnEnd; ++column) {
            m_painter.drawText(QRectF(x, y, m_amountWidth - m_padding, m_rowHeight),
                               Qt::AlignRight | Qt::AlignVCenter, cellText(column));
            x += m_amountWidth;
        }
    }

    QString columnHeading(int column) const
    {
        return column == table().columnCount() ? totalCaption() : table().columnLabels().at(column);
    }

    QString cellText(int row, int column) const
    {
        const bool totalRow = row == table().rowCount();
        const bool totalColumn = column == table().columnCount();
        if (totalRow && totalColumn)
            return amountText(table().grandTotal());
        if (totalRow)
            return amountText(table().columnTotal(column));
        if (totalColumn)
            return amountText(table().rowTotal(row));
        return table().hasCell(row, column) ? amountText(table().cell(row, column)) : QString();
    }

    // The chart is laid out at screen size and scaled onto the page, so its fonts and lines
    // keep the proportions they have on screen whatever the device's resolution.
    void paintChart(const QRectF &area)
    {
        const QSizeF layoutSize(1100, 1100 * area.height() / area.width());
        QGraphicsScene scene;
        std::unique_ptr<QChart> chart = buildReportChart(table(), m_content.layout.chart);
        chart->resize(layoutSize);
        scene.addItem(chart.get());
        scene.setSceneRect(QRectF(QPointF(0, 0), layoutSize));
        scene.render(&m_painter, area, scene.sceneRect());
        scene.removeItem(chart.get());
    }

    const ReportContent &m_content;
    QPainter &m_painter;
    QRectF m_page;
    QFont m_titleFont;
    QFont m_companyFont;
    QFont m_textFont;
    QFont m_boldFont;
    qreal m_rowHeight = 0;
    qreal m_padding = 0;
    qreal m_labelWidth = 0;
    qreal m_amountWidth = 0;
    qreal m_headingHeight = 0;
    qreal m_footerHeight = 0;
};

} // namespace

QString amountText(Currency amount)
{
    return formatRegionalAmount(amount, 2);
}

ReportDocument::ReportDocument(ReportContent content) : m_content(std::move(content)) { }

int ReportDocument::print(QPagedPaintDevice &device) const
{
    QPainter painter(&device);
    if (!painter.isActive())
        return 0;
    PageComposer composer(m_content, painter);
    const QVector<PagePlan> pages = composer.plan();
    for (int index = 0; index < pages.size(); ++index) {
        if (index > 0)
            device.newPage();
        composer.paintPage(pages.at(index), index + 1, int(pages.size()));
    }
    return int(pages.size());
}

} // namespace platform::report
