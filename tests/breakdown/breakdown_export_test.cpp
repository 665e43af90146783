#include "../platform/platform_test_helpers.h"
#include "breakdown/frm_detallado.h"
#include "child_controls.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/runtime.h"
#include "platform/variant.h"
#include "services_test_support.h"
#include "statistics/frm_estadistica.h"
#include "statistics_database_test.h"
#include "workbook_reader.h"

#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using testing_support::child;

using breakdown_testing::cellReference;
using breakdown_testing::SheetCell;

// The demo database's "Resultado mensual" loaded in the main window as its user loads it,
// broken down per account and exported.
class ResultadoMensualExport : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(4000);
        statistics::frm_Estadistica &window = statistics::frmEstadistica();
        window.Form_Load();
        window.ArmarGrilla();
        QString name = Name;
        window.CargarEstadistica(name);
    }
    void TearDown() override
    {
        breakdown::frmDetallado().close();
        StatisticsDatabaseTest::TearDown();
    }
    // The amounts the run stored for the account, in column order.
    static QList<double> workRowAmounts(const QString &group, const QString &account)
    {
        QList<double> amounts;
        platform::db::Recordset rows = data::gDB().gCnn->execute(
            QStringLiteral("SELECT ImporteG1 FROM AUX_PANELCTA WHERE USUARIO = '%1' AND Grupo IN "
                           "('%2', '%3') ORDER BY FechaD")
                .arg(core::gEstacionUsuario, group, account));
        for (; !rows.eof(); rows.moveNext()) {
            const QVariant value = rows.field(0).value();
            amounts.append(platform::isCurrency(value)
                               ? value.value<platform::Currency>().toDouble()
                               : value.toDouble());
        }
        return amounts;
    }

    const QString Name = QStringLiteral("Resultado mensual");
    core_testing::RecordingLauncher launcher;
    QTemporaryDir runtimeFolder;
    ScopedEnvironment runtime{"XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder.path())};
    // The workbook goes to the user's documents, here a home of the test's own.
    ScopedEnvironment home{"HOME", QFile::encodeName(runtimeFolder.path())};
    ScopedEnvironment configuration{"XDG_CONFIG_HOME", QFile::encodeName(runtimeFolder.path())};
};

TEST_F(ResultadoMensualExport, SheetHoldsThePageRowsWithTheComputedAmountsAsNumbers)
{
    breakdown::FrmDetallado &form = breakdown::frmDetallado();
    QString name = Name;
    form.GeneraAuxiliar(name, statistics::frmEstadistica().definitionOnScreen());
    ASSERT_EQ(dialogs.count(), 0);
    form.show();
    QTest::mouseClick(child<QToolButton>(form, "cmdExcel"), Qt::LeftButton);
    ASSERT_EQ(launcher.opened.size(), 1);
    const QHash<QString, SheetCell> cells = breakdown_testing::readFirstSheet(launcher.opened[0]);
    const auto text = [&](int row, int column) { return cells.value(cellReference(row, column)); };

    EXPECT_EQ(text(0, 0).text, Name);
    EXPECT_EQ(text(2, 0).text, QStringLiteral("Grupo"));
    EXPECT_EQ(text(2, 1).text, QStringLiteral("Cuenta"));
    const int columns = 12; // monthly over the definition's year
    EXPECT_EQ(text(2, 2).text, QStringLiteral("01/01/2023"));
    EXPECT_EQ(text(2, 1 + columns).text, QStringLiteral("01/12/2023"));
    EXPECT_FALSE(cells.contains(cellReference(2, 2 + columns)));

    // Each group of the demo definition holds one account: its row, then its subtotal.
    const struct
    {
        QString group;
        QString account;
    } lines[] = {{"Costos (-)", "51"},
                 {"Gastos (-)", "52"},
                 {"Otros ingresos (+)", "4201"},
                 {"Ventas (+)", "41"}};
    QList<double> totals(columns);
    int row = 3;
    bool someAmount = false;
    for (const auto &line : lines) {
        SCOPED_TRACE(line.account.toStdString());
        const QList<double> amounts = workRowAmounts(line.group, line.account);
        ASSERT_EQ(amounts.size(), columns);
        EXPECT_EQ(text(row, 0).text, line.group);
        EXPECT_TRUE(text(row, 1).text.startsWith(line.account + QLatin1Char(' ')));
        EXPECT_EQ(text(row + 1, 0).text, QStringLiteral("TOTAL ") + line.group);
        for (int column = 0; column < columns; ++column) {
            for (const int sheetRow : {row, row + 1}) {
                const SheetCell amount = text(sheetRow, 2 + column);
                EXPECT_TRUE(amount.number) << sheetRow << "," << column;
                EXPECT_NEAR(amount.value, amounts[column], 0.005) << sheetRow << "," << column;
            }
            totals[column] += amounts[column];
            someAmount = someAmount || amounts[column] != 0;
        }
        row += 2;
    }
    EXPECT_TRUE(someAmount) << "the demo journal reaches the definition's accounts";
    EXPECT_EQ(text(row, 0).text, QStringLiteral("TOTAL"));
    for (int column = 0; column < columns; ++column) {
        EXPECT_TRUE(text(row, 2 + column).number);
        EXPECT_NEAR(text(row, 2 + column).value, totals[column], 0.005) << column;
    }
    EXPECT_FALSE(cells.contains(cellReference(row + 1, 0)));
}

} // namespace
