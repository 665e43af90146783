#include "data_fixture.h"
#include "platform/variant.h"

namespace {

using data::gDB;
using data_testing::DataTest;
namespace msgbox = platform::msgbox;

class Schema : public DataTest
{
protected:
    Schema()
    {
        openEmbedded(gDB());
        execute(QStringLiteral(
            "CREATE TABLE MA_PANELCTA (NOMBRE varchar(200) NULL, FechaD datetime NULL)"));
        execute(QStringLiteral("CREATE VIEW V_PANEL AS SELECT NOMBRE FROM MA_PANELCTA"));
    }
};

TEST_F(Schema, TablesAndViewsAreFoundWhateverTheCaseAndBlanks)
{
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("MA_PANELCTA"), true},
        {QStringLiteral("  ma_panelcta "), true},
        {QStringLiteral("V_PANEL"), true},
        {QStringLiteral("MA_PANEL"), false},
    };
    for (const auto &[table, expected] : cases)
        EXPECT_EQ(gDB().ExisteTablaDB(table), expected) << table.toStdString();
}

TEST_F(Schema, ColumnsAreFoundWhateverTheCaseAndBlanks)
{
    struct Case
    {
        QString table;
        QString column;
        bool expected;
    };
    const Case cases[] = {
        {QStringLiteral("MA_PANELCTA"), QStringLiteral("FechaD"), true},
        {QStringLiteral("MA_PANELCTA"), QStringLiteral(" fechad "), true},
        {QStringLiteral("MA_PANELCTA"), QStringLiteral("FechaH"), false},
        {QStringLiteral("NO_EXISTE"), QStringLiteral("NOMBRE"), false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(gDB().ExisteCampoDB(c.table, c.column), c.expected)
            << c.table.toStdString() << "." << c.column.toStdString();
}

TEST_F(Schema, AnOracleConnectionHasEveryColumn)
{
    data_testing::resetInstance(gDB());
    openEmbeddedAsOracle(gDB());
    EXPECT_TRUE(gDB().ExisteCampoDB(QStringLiteral("NO_EXISTE"), QStringLiteral("NADA")));
}

TEST_F(Schema, AddedColumnsTakeNullabilityAndDefault)
{
    gDB().AddField(QStringLiteral("MA_PANELCTA"), QStringLiteral("ORDEN"), QStringLiteral("int"),
                   true, 0);
    gDB().AddField(QStringLiteral("MA_PANELCTA"), QStringLiteral("NOTA"),
                   QStringLiteral("varchar(20)"), true);
    EXPECT_EQ(m_dialogs.count(), 0);
    execute(QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE) VALUES ('x')"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT ORDEN FROM MA_PANELCTA")).toInt(), 0);
    EXPECT_TRUE(platform::isNull(scalar(QStringLiteral("SELECT NOTA FROM MA_PANELCTA"))));
    EXPECT_TRUE(gDB().ExisteCampoDB(QStringLiteral("MA_PANELCTA"), QStringLiteral("NOTA")));
}

TEST_F(Schema, VerCampoDBAddsOnlyAMissingColumnOfAnExistingTableWhenAsked)
{
    struct Case
    {
        const char *name;
        QString table;
        QString column;
        bool agregar;
        bool columnAfter;
    };
    const Case cases[] = {
        {"missing table", QStringLiteral("NO_EXISTE"), QStringLiteral("ORDEN"), true, false},
        {"not asked to add", QStringLiteral("MA_PANELCTA"), QStringLiteral("ORDEN"), false, false},
        {"missing column", QStringLiteral("MA_PANELCTA"), QStringLiteral("ORDEN"), true, true},
        {"existing column", QStringLiteral("MA_PANELCTA"), QStringLiteral("ORDEN"), true, true},
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(gDB().VerCampoDB(c.table, c.column, c.agregar, QStringLiteral("int"), true))
            << c.name;
        EXPECT_EQ(gDB().ExisteCampoDB(QStringLiteral("MA_PANELCTA"), QStringLiteral("ORDEN")),
                  c.columnAfter)
            << c.name;
    }
    EXPECT_EQ(m_dialogs.count(), 0);
}

TEST_F(Schema, CatalogFailuresAreReportedThroughTheMainInstance)
{
    data::DB_Dll &other = data::gDBEstadisticas();
    other.gLogErr = m_folder.filePath(QStringLiteral("otro.log"));
    m_dialogs.answer(msgbox::Abort);
    EXPECT_FALSE(other.ExisteTablaDB(QStringLiteral("MA_PANELCTA"))) << "the connection is closed";
    ASSERT_EQ(m_dialogs.count(), 1);
    EXPECT_TRUE(m_dialogs.last().title.endsWith(
        QStringLiteral(" - VerificaCampos Aviso al operador!!! - 5 ")));
    EXPECT_EQ(logLines().size(), 1) << "logged in the main instance's log";
}

} // namespace
