#include "platform/report/report_output.h"
#include "platform/report/reporte.h"
#include "report_pdf.h"
#include "work_table_fixture.h"

#include <QAction>
#include <QDialog>
#include <QTemporaryDir>

namespace {

using platform::Reporte;

// The arguments a statistic run hands the engine.
struct PrintCall
{
    QString templateName = QStringLiteral("Rp_PanelCtaTGP2");
    QString selection = QStringLiteral("uppercase({Aux_PanelCta.USUARIO}) = 'PC-CONTABLE|ANA'");
    QString empresa = QStringLiteral("empresa = 'Distribuidora Sur'");
    QString nombre = QStringLiteral("NOMBREREP= 'Resultado mensual'");
    QString parametros = QStringLiteral("Parametros = ' Fecha Desde: 01/01/2024 Hasta: "
                                        "29/02/2024 Periodo: Mensual '");
    QString columna = QStringLiteral("Columna1 = {AUX_PanelCta.FechaD}");
    QString grupo = QStringLiteral("Grupo = {AUX_PanelCta.GRUPO}");

    void run(Reporte &engine) const
    {
        engine.Imprimir(templateName, {}, selection, QStringLiteral("DSN=REPORTES; UID=sa; PWD=x"),
                        empresa, nombre, parametros, columna, grupo, {}, {}, {});
    }
};

class ReporteTest : public WorkTableTest
{
protected:
    void SetUp() override
    {
        WorkTableTest::SetUp();
        ASSERT_TRUE(m_outputFolder.isValid());
        addRow(Station, QStringLiteral("Ventas (+)"), QDate(2024, 1, 1), QStringLiteral("1500.5"));
        addRow(Station, QStringLiteral("Ventas (+)"), QDate(2024, 2, 1), QStringLiteral("250"));
        addRow(Station, QStringLiteral("Gastos (-)"), QDate(2024, 1, 1), QStringLiteral("0"));
        addRow(Station, QStringLiteral("Gastos (-)"), QDate(2024, 2, 1), QStringLiteral("-75.25"));
        engine.CarpetaReportes = m_outputFolder.path() + u'/';
        engine.setConexion(connection);
    }

    QString printedText(const PrintCall &call)
    {
        const QString path = m_outputFolder.filePath(QStringLiteral("salida.pdf"));
        report_pdf::savePreviewAsPdf(dialogs, path);
        call.run(engine);
        EXPECT_GE(report_pdf::pageCount(path), 1);
        return report_pdf::text(path).value_or(QString());
    }

    Reporte engine;

private:
    QTemporaryDir m_outputFolder;
};

TEST_F(ReporteTest, ThePreviewSavesTheStatisticAsPdf)
{
    const QString text = printedText(PrintCall());
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char *expected :
         {"Distribuidora Sur", "Resultado mensual", "Periodo: Mensual", "01/01/2024", "01/02/2024",
          "1.500,50", "1.750,50", "-75,25", "1.675,25"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(dialogs.count(), 2);
    EXPECT_EQ(dialogs.shown().front().title, QStringLiteral("Vista previa - Resultado mensual"));
}

TEST_F(ReporteTest, FormulasDecideRowsColumnsAndSelection)
{
    struct Case
    {
        const char *what;
        PrintCall call;
        QStringList present;
        QStringList absent;
    };
    PrintCall swapped;
    swapped.columna = QStringLiteral("Columna1 = {AUX_PanelCta.GRUPO}");
    swapped.grupo = QStringLiteral("Grupo = {AUX_PanelCta.FechaD}");
    PrintCall ignoringZeros;
    ignoringZeros.selection += QStringLiteral(" AND {AUX_PANELCTA.IMPORTEG1}<>0 ");
    ignoringZeros.templateName = QStringLiteral("Rp_PanelCtaSG1");
    PrintCall withZeros = ignoringZeros;
    withZeros.selection = PrintCall().selection;
    const Case cases[] = {
        // The date column heads the rows: "Fecha" instead of "Grupo".
        {"swapped",
         swapped,
         {QStringLiteral("Fecha"), QStringLiteral("Ventas (+)")},
         {QStringLiteral("Grupo ")}},
        {"zeros kept", withZeros, {QStringLiteral(" 0,00")}, {}},
        {"zeros ignored", ignoringZeros, {QStringLiteral("-75,25")}, {QStringLiteral(" 0,00")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = printedText(c.call);
        if (text.isEmpty())
            GTEST_SKIP() << "pdftotext is not installed";
        for (const QString &expected : c.present)
            EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
        for (const QString &unexpected : c.absent)
            EXPECT_FALSE(text.contains(unexpected)) << unexpected.toStdString();
    }
}

TEST_F(ReporteTest, OptionsShapeThePreview)
{
    struct Case
    {
        bool exportable;
        bool maximized;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(c.exportable);
        engine.PermiteExportar = c.exportable;
        engine.Maximizada = c.maximized;
        dialogs.onDialog([c](QDialog &dialog) {
            bool offersPdf = false;
            for (QAction *action : dialog.findChildren<QAction *>())
                offersPdf = offersPdf || action->text() == platform::report::savePdfCaption();
            EXPECT_EQ(offersPdf, c.exportable);
            EXPECT_EQ(dialog.windowState().testFlag(Qt::WindowMaximized), c.maximized);
            return int(QDialog::Rejected);
        });
        PrintCall().run(engine);
    }
}

TEST_F(ReporteTest, WhatCannotBePrintedIsExplainedAndNoPreviewOpens)
{
    struct Case
    {
        const char *what;
        PrintCall call;
        bool connected;
        const char *message;
    };
    PrintCall noTemplate;
    noTemplate.templateName.clear();
    PrintCall unknownTemplate;
    unknownTemplate.templateName = QStringLiteral("Rp_Otro");
    PrintCall badSelection;
    badSelection.selection = QStringLiteral("{AUX_PANELCTA.USUARIO} = 'x' ; DELETE");
    PrintCall noGrouping;
    noGrouping.grupo = QStringLiteral("Grupo = 'x'");
    PrintCall foreignField;
    foreignField.columna = QStringLiteral("Columna1 = {MA_CUENTAS.CODIGO}");
    PrintCall unknownColumn;
    unknownColumn.columna = QStringLiteral("Columna1 = {AUX_PanelCta.NOEXISTE}");
    const Case cases[] = {
        {"no template", noTemplate, true, "No se encuentra el reporte \"\""},
        {"unknown template", unknownTemplate, true, "No se encuentra el reporte \"Rp_Otro\""},
        {"selection", badSelection, true, "La fórmula de selección del reporte no es válida"},
        {"no grouping", noGrouping, true, "Falta la fórmula Grupo del reporte."},
        {"foreign field", foreignField, true, "que no es de la tabla AUX_PANELCTA"},
        {"unknown column", unknownColumn, true, "No se pudieron leer los datos del reporte."},
        {"no connection", PrintCall(), false, "no tiene una conexión abierta"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clearShown();
        engine.setConexion(c.connected ? connection : nullptr);
        dialogs.answer(platform::msgbox::Ok);
        c.call.run(engine);
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().kind, testing_support::ScriptedDialogs::Shown::Kind::MessageBox);
        EXPECT_TRUE(dialogs.last().text.contains(QString::fromUtf8(c.message)))
            << dialogs.last().text.toStdString();
        EXPECT_EQ(dialogs.last().style & platform::msgbox::IconMask, platform::msgbox::Critical);
    }
}

TEST_F(ReporteTest, TheLargestAmountsPrintToTheCent)
{
    addRow(Station, QStringLiteral("Caja"), QDate(2024, 1, 1), QStringLiteral("800000000000000"));
    addRow(Station, QStringLiteral("Caja"), QDate(2024, 2, 1), QStringLiteral("23.6996"));
    addRow(Station, QStringLiteral("Deudas"), QDate(2024, 2, 1),
           QStringLiteral("-800000000000000"));
    addRow(Station, QStringLiteral("Deudas"), QDate(2024, 2, 1), QStringLiteral("-0.005"));

    const QString text = printedText(PrintCall());
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char *expected : {
             "800.000.000.000.023,70", // the group's total
             "-800.000.000.000.000,01", // half a cent away from zero
             "1.698,94", // the grand total, 1.675,25 + 23,6996 - 0,005
         })
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
}

TEST_F(ReporteTest, AmountsBeyondTheCurrencyRangeAreExplainedAndNoPreviewOpens)
{
    addRow(Station, QStringLiteral("Caja"), QDate(2024, 1, 1), QStringLiteral("600000000000000"));
    addRow(Station, QStringLiteral("Caja"), QDate(2024, 1, 1), QStringLiteral("600000000000000"));
    dialogs.answer(platform::msgbox::Ok);

    PrintCall().run(engine);

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text,
              QStringLiteral("No se pudieron leer los datos del reporte.\nDesbordamiento"));
}

} // namespace
