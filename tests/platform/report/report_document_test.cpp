#include "platform/regional_settings.h"
#include "platform/report/report_document.h"
#include "platform/report/report_output.h"
#include "report_pdf.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using platform::Currency;
using platform::report::ChartKind;
using platform::report::CrossTableBuilder;
using platform::report::ReportContent;
using platform::report::ReportDocument;
using platform::report::ReportLayout;

class ReportPdf : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    }

    static ReportContent content(const ReportLayout &layout)
    {
        ReportContent content;
        content.company = QStringLiteral("Distribuidora Sur");
        content.title = QStringLiteral("Resultado mensual");
        content.parameters = QStringLiteral(" Fecha Desde: 01/01/2024 Hasta: 29/02/2024 Periodo: "
                                            "Mensual Comprobantes: Todos UNegocio: Todos "
                                            "CCostos: Todos ");
        content.rowHeading = QStringLiteral("Grupo");
        content.layout = layout;
        content.printedOn = QDate(2024, 3, 5);
        return content;
    }

    // Two groups by two months: row totals 1.750,50 and -275,25, column totals 1.300,50 and
    // 174,75, grand total 1.475,25.
    static ReportContent twoByTwo(const ReportLayout &layout)
    {
        CrossTableBuilder builder;
        const QDateTime january(QDate(2024, 1, 1), {});
        const QDateTime february(QDate(2024, 2, 1), {});
        builder.add(QStringLiteral("Ventas (+)"), january, Currency::fromDouble(1500.5));
        builder.add(QStringLiteral("Ventas (+)"), february, Currency::fromDouble(250));
        builder.add(QStringLiteral("Gastos (-)"), january, Currency::fromDouble(-200));
        builder.add(QStringLiteral("Gastos (-)"), february, Currency::fromDouble(-75.25));
        ReportContent result = content(layout);
        result.table = builder.build();
        return result;
    }

    QString save(const ReportContent &content)
    {
        const QString path = m_folder.filePath(QStringLiteral("reporte.pdf"));
        EXPECT_TRUE(platform::report::saveReportPdf(ReportDocument(content), path));
        return path;
    }

private:
    QTemporaryDir m_folder;
};

TEST_F(ReportPdf, PrintsHeadingTableTotalsAndPageNumbers)
{
    const QString path = save(twoByTwo({true, ChartKind::None}));
    EXPECT_EQ(report_pdf::pageCount(path), 1);
    EXPECT_GT(QFileInfo(path).size(), 2000);
    const auto text = report_pdf::text(path);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char *expected :
         {"Distribuidora Sur", "Resultado mensual", "Fecha Desde: 01/01/2024", "Fecha: 05/03/2024",
          "Grupo", "01/01/2024", "01/02/2024", "Gastos (-)", "Ventas (+)", "1.500,50", "-75,25",
          "Total", "1.750,50", "-275,25", "1.300,50", "174,75", "1.475,25", "Página 1 de 1"})
        EXPECT_TRUE(text->contains(QString::fromUtf8(expected))) << expected;
}

TEST_F(ReportPdf, TotalsByColumnOnlyLeaveOutTheRowTotals)
{
    const auto text = report_pdf::text(save(twoByTwo({false, ChartKind::None})));
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text->contains(QStringLiteral("1.300,50")));
    EXPECT_TRUE(text->contains(QStringLiteral("174,75")));
    EXPECT_FALSE(text->contains(QStringLiteral("1.750,50")));
    EXPECT_FALSE(text->contains(QStringLiteral("1.475,25")));
}

TEST_F(ReportPdf, EachChartNamesTheGroupsInItsLegend)
{
    for (const ChartKind chart : {ChartKind::Line, ChartKind::Ribbon, ChartKind::Bar}) {
        SCOPED_TRACE(int(chart));
        const QString path = save(twoByTwo({true, chart}));
        EXPECT_GE(report_pdf::pageCount(path), 1);
        const auto text = report_pdf::text(path);
        if (!text)
            GTEST_SKIP() << "pdftotext is not installed";
        // Once in the table, once in the legend.
        EXPECT_EQ(text->count(QStringLiteral("Ventas (+)")), 2);
    }
}

TEST_F(ReportPdf, AWideTableContinuesOnFurtherPagesWithItsHeadings)
{
    CrossTableBuilder builder;
    for (int month = 0; month < 36; ++month) {
        const QDateTime bucket(QDate(2022, 1, 1).addMonths(month), {});
        builder.add(QStringLiteral("Ventas (+)"), bucket, Currency::fromDouble(1000 + month));
        builder.add(QStringLiteral("Gastos (-)"), bucket, Currency::fromDouble(-month));
    }
    ReportContent wide = content({true, ChartKind::Bar});
    wide.table = builder.build();
    const QString path = save(wide);
    const int pages = report_pdf::pageCount(path);
    EXPECT_GT(pages, 2);
    const auto text = report_pdf::text(path);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text->contains(QStringLiteral("01/12/2024")));
    EXPECT_TRUE(text->contains(QStringLiteral("1.035,00")));
    EXPECT_TRUE(text->contains(QStringLiteral("Página %1 de %1").arg(pages)));
    // Every page repeats the report's heading and the row labels.
    EXPECT_EQ(text->count(QStringLiteral("Resultado mensual")), pages);
    EXPECT_GE(text->count(QStringLiteral("Gastos (-)")), pages - 1);
}

TEST_F(ReportPdf, AReportWithoutRowsSaysSoOnOnePage)
{
    const QString path = save(content({true, ChartKind::Line}));
    EXPECT_EQ(report_pdf::pageCount(path), 1);
    const auto text = report_pdf::text(path);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text->contains(QStringLiteral("No hay datos para informar.")));
}

TEST_F(ReportPdf, AnUnwritableFileIsReportedAsNotSaved)
{
    EXPECT_FALSE(platform::report::saveReportPdf(ReportDocument(content({true, ChartKind::None})),
                                                 QStringLiteral("/nonexistent/folder/r.pdf")));
}

} // namespace
