#include "lib_frm_cons3_fixture.h"

#include "lookup/lib_frm_cons3_twips.h"
#include "platform/legacy_files.h"
#include "platform/regional_settings.h"

#include <QFile>
#include <QFontMetrics>
#include <QTest>

namespace list_dialog_testing {

namespace {

const char *const FixtureStatements[] = {
    "CREATE TABLE VT_CLIENTES (CODIGO varchar(6) NOT NULL PRIMARY KEY, "
    "NOMBRE varchar(100) NULL, SALDO money NULL, CUOTAS int NULL)",
    "INSERT INTO VT_CLIENTES VALUES ('C1', 'Maria Lopez', 150.5, 3)",
    "INSERT INTO VT_CLIENTES VALUES ('C2', 'Juan Perez', 20, 1)",
    "INSERT INTO VT_CLIENTES VALUES ('C3', 'marcos Diaz', 0, 0)",
    "INSERT INTO VT_CLIENTES VALUES ('C4', 'Ana O''Neil', 75, 2)",
    "CREATE TABLE V_MA_ARTICULOS (IDARTICULO varchar(25) NOT NULL PRIMARY KEY, "
    "DESCRIPCION varchar(60) NULL, PUNTOPEDIDO money NULL, Stock money NULL, "
    "PRECIO1 money NULL, PRECIO2 money NULL, SUSPENDIDO bit NULL)",
};

} // namespace

void ListDialogTest::SetUp()
{
    CoreDatabaseTest::SetUp();
    ASSERT_TRUE(m_home.isValid());
    m_previousHome = qgetenv("RP_PANELCTA_HOME");
    qputenv("RP_PANELCTA_HOME", m_home.path().toUtf8());
    platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    lookup::twips::setScreenWidthForTesting(30000);
    for (const char *statement : FixtureStatements)
        runOnMain(QString::fromUtf8(statement));
}

void ListDialogTest::TearDown()
{
    lookup::twips::setScreenWidthForTesting(0);
    qputenv("RP_PANELCTA_HOME", m_previousHome);
    CoreDatabaseTest::TearDown();
}

std::unique_ptr<lookup::Lib_FrmCons3>
ListDialogTest::loaded(const QString &sql,
                       const std::function<void(lookup::Lib_FrmCons3 &)> &configure) const
{
    auto dialog = std::make_unique<lookup::Lib_FrmCons3>();
    dialog->SQL = sql;
    if (configure)
        configure(*dialog);
    dialog->load();
    return dialog;
}

bool ListDialogTest::whileShown(lookup::Lib_FrmCons3 &dialog, const std::function<void()> &script)
{
    bool hidden = false;
    dialogs.onDialog([&](QDialog &shown) {
        shown.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&shown));
        script();
        hidden = !shown.isVisible();
        return shown.result();
    });
    dialog.showModal();
    return hidden;
}

QStringList ListDialogTest::headers(lookup::Lib_FrmCons3 &dialog)
{
    QStringList texts;
    for (int k = 1; k <= dialog.ListView1().headerCount(); ++k)
        texts << dialog.ListView1().headerText(k);
    return texts;
}

QStringList ListDialogTest::columnValues(lookup::Lib_FrmCons3 &dialog, int column)
{
    QStringList values;
    for (int row = 1; row <= dialog.ListView1().rowCount(); ++row)
        values << dialog.ListView1().cell(row, column);
    return values;
}

QList<bool> ListDialogTest::checkMarks(lookup::Lib_FrmCons3 &dialog)
{
    QList<bool> marks;
    for (int row = 1; row <= dialog.ListView1().rowCount(); ++row)
        marks << dialog.ListView1().isChecked(row);
    return marks;
}

int ListDialogTest::selectedRow(lookup::Lib_FrmCons3 &dialog)
{
    return dialog.ListView1().selectedRow();
}

double ListDialogTest::lettersWidth(const lookup::Lib_FrmCons3 &dialog, int letters)
{
    return QFontMetrics(dialog.font()).horizontalAdvance(QString(letters, QLatin1Char('X')))
        * lookup::twips::perPixel;
}

QString ListDialogTest::widthFilePath() const
{
    return m_home.path() + QStringLiteral("/CONSULTASLEN.TVC");
}

void ListDialogTest::writeWidthFile(const QStringList &lines) const
{
    platform::writeTextLines(widthFilePath(), lines);
}

QByteArray ListDialogTest::widthFileBytes() const
{
    QFile file(widthFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace list_dialog_testing
