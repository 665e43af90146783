#include "engine_fixture.h"
#include "platform/error.h"
#include "platform/variant.h"

#include <QDateTime>

using namespace platform::db;
using platform::Currency;

namespace {

// Work rows as the statistic run edits them: two rows identical but for their key.
class UpdatableRecordsetTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        run(QStringLiteral("CREATE TABLE AUX_PANELCTA (ID int IDENTITY(1,1) PRIMARY KEY, "
                           "USUARIO varchar(50) NOT NULL, Grupo varchar(100) NULL, "
                           "FechaD datetime NOT NULL, ImporteG1 money NOT NULL DEFAULT (0), "
                           "Marca bit NULL)"));
        for (int i = 0; i < 2; ++i) {
            run(QStringLiteral("INSERT INTO AUX_PANELCTA (USUARIO, Grupo, FechaD, ImporteG1) "
                               "VALUES ('PC|ANA', 'Ventas', '01/03/2024', 0)"));
        }
    }

    Recordset openWorkRows(const QString &sql = QStringLiteral(
                               "SELECT * FROM AUX_PANELCTA WHERE USUARIO = 'PC|ANA' ORDER BY ID"))
    {
        Recordset rows;
        rows.open(sql, m_connection, adOpenDynamic, adLockOptimistic);
        return rows;
    }

    QStringList storedAmounts()
    {
        return column(QStringLiteral("SELECT ImporteG1 FROM AUX_PANELCTA ORDER BY ID"));
    }
};

TEST_F(UpdatableRecordsetTest, UpdateWritesExactlyTheEditedRow)
{
    Recordset rows = openWorkRows();
    rows.moveNext();
    rows.field(QStringLiteral("ImporteG1")).setValue(-12.5);
    EXPECT_EQ(rows.editMode(), adEditInProgress);
    EXPECT_EQ(storedAmounts(), (QStringList{QStringLiteral("0"), QStringLiteral("0")}))
        << "nothing is written before Update";
    rows.update();
    EXPECT_EQ(rows.editMode(), adEditNone);
    EXPECT_EQ(storedAmounts(), (QStringList{QStringLiteral("0"), QStringLiteral("-12.5")}));
    EXPECT_EQ(rows.field(QStringLiteral("ImporteG1")).value(),
              QVariant::fromValue(Currency::fromScaled(-125000)));
}

// What Update leaves in the row is what the table holds: the columns it set as stored, the
// others as they were read.
TEST_F(UpdatableRecordsetTest, UpdateReadsBackTheColumnsItSetAsStored)
{
    Recordset rows = openWorkRows();
    rows.field(QStringLiteral("FechaD")).setValue(QStringLiteral("31/12/2024"));
    rows.field(QStringLiteral("ImporteG1")).setValue(QStringLiteral("1.23456"));
    rows.update();
    EXPECT_EQ(rows.field(QStringLiteral("FechaD")).value(),
              QVariant(QDateTime(QDate(2024, 12, 31), QTime(0, 0))));
    EXPECT_EQ(rows.field(QStringLiteral("ImporteG1")).value(),
              QVariant::fromValue(Currency::fromScaled(12346)));
    EXPECT_EQ(rows.field(QStringLiteral("Grupo")).value(), QVariant(QStringLiteral("Ventas")));
    EXPECT_EQ(rows.field(QStringLiteral("ID")).value().toInt(), 1);
}

// Whether the write reads the row back or keeps the values it was given, the row after Update
// is the row a new query reads, and a value set to what it was leaves the table as it is.
TEST_F(UpdatableRecordsetTest, AnUpdatedRowIsTheRowANewQueryReads)
{
    struct Case
    {
        const char *field;
        QVariant value;
    };
    const Case cases[] = {
        {"ImporteG1", QVariant::fromValue(Currency::fromScaled(-1234567))},
        {"ImporteG1", QVariant::fromValue(Currency::fromScaled(293438001650111200))},
        {"ImporteG1", QVariant::fromValue(Currency::fromScaled(9223372036854770000))},
        {"ImporteG1", 2.5},
        {"Grupo", QStringLiteral("Compras ñ ")},
        {"Grupo", QString()},
        {"Grupo", QStringLiteral("Ventas")},
        {"FechaD", QDateTime(QDate(2024, 2, 29), QTime(0, 0))},
        {"Marca", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.value.toString().toStdString());
        Recordset rows = openWorkRows();
        rows.field(QString::fromLatin1(c.field)).setValue(c.value);
        rows.update();
        Recordset fresh = openWorkRows();
        for (int i = 0; i < rows.fields().count(); ++i) {
            SCOPED_TRACE(rows.field(i).name().toStdString());
            EXPECT_EQ(rows.field(i).value(), fresh.field(i).value());
        }
        fresh.moveNext();
        EXPECT_EQ(fresh.field(QStringLiteral("ImporteG1")).value(),
                  QVariant::fromValue(Currency::fromScaled(0)))
            << "only the edited row changes";
    }
}

// An amount the engine would keep as its neighbour is refused, on an update and on an insert,
// and the table stays as it was.
TEST_F(UpdatableRecordsetTest, AnAmountTheEngineCannotKeepIsRefusedAndNothingIsWritten)
{
    const QVariant inexact = QVariant::fromValue(Currency::fromScaled(8000000000000236996));
    Recordset rows = openWorkRows();
    rows.field(QStringLiteral("Grupo")).setValue(QStringLiteral("Compras"));
    rows.field(QStringLiteral("ImporteG1")).setValue(inexact);
    EXPECT_NE(failureOf([&] { rows.update(); }), 0);
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{50000});

    Recordset added = openWorkRows();
    added.addNew();
    added.field(QStringLiteral("USUARIO")).setValue(QStringLiteral("PC|ANA"));
    added.field(QStringLiteral("FechaD")).setValue(QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    added.field(QStringLiteral("ImporteG1")).setValue(inexact);
    EXPECT_NE(failureOf([&] { added.update(); }), 0);
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{50000});

    EXPECT_EQ(storedAmounts(), (QStringList{QStringLiteral("0"), QStringLiteral("0")}));
    EXPECT_EQ(column(QStringLiteral("SELECT Grupo FROM AUX_PANELCTA")),
              (QStringList{QStringLiteral("Ventas"), QStringLiteral("Ventas")}));
}

TEST_F(UpdatableRecordsetTest, AGroupNamedLikeAKeywordKeepsItsRowsWritable)
{
    run(QStringLiteral("UPDATE AUX_PANELCTA SET Grupo = 'Union transitoria (+)' WHERE ID = 2"));
    Recordset rows = openWorkRows(
        QStringLiteral("Select * from Aux_PanelCta where Grupo = 'Union transitoria (+)' and "
                       "usuario = 'PC|ANA'"));
    rows.field(QStringLiteral("ImporteG1")).setValue(3);
    rows.update();
    EXPECT_EQ(storedAmounts(), (QStringList{QStringLiteral("0"), QStringLiteral("3")}));
}

TEST_F(UpdatableRecordsetTest, RowsWithoutTheirKeyAmongTheColumnsAreFoundByTheirValues)
{
    Recordset rows = openWorkRows(QStringLiteral(
        "SELECT USUARIO, Grupo, ImporteG1 FROM AUX_PANELCTA WHERE USUARIO = 'PC|ANA'"));
    rows.field(QStringLiteral("ImporteG1")).setValue(7);
    rows.update();
    EXPECT_EQ(storedAmounts().count(QStringLiteral("7")), 1) << "one of two identical rows";
}

TEST_F(UpdatableRecordsetTest, AddNewWritesTheAssignedColumnsAndReadsBackTheStoredRow)
{
    Recordset rows = openWorkRows();
    rows.addNew();
    EXPECT_FALSE(rows.eof());
    rows.field(QStringLiteral("USUARIO")).setValue(QStringLiteral("PC|ANA"));
    rows.field(QStringLiteral("FechaD")).setValue(QStringLiteral("31/12/2024"));
    rows.field(QStringLiteral("Marca")).setValue(QStringLiteral("True"));
    rows.update();
    EXPECT_EQ(rows.recordCount(), 3);
    EXPECT_EQ(rows.field(QStringLiteral("ID")).value().toInt(), 3) << "the new key is read back";
    EXPECT_EQ(rows.field(QStringLiteral("ImporteG1")).value(),
              QVariant::fromValue(Currency::fromScaled(0)))
        << "defaults are read back";
    EXPECT_EQ(scalar(QStringLiteral("SELECT FechaD FROM AUX_PANELCTA WHERE ID = 3")),
              QVariant(QDateTime(QDate(2024, 12, 31), QTime(0, 0))));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Marca FROM AUX_PANELCTA WHERE ID = 3")),
              QVariant(true));
}

TEST_F(UpdatableRecordsetTest, CancelUpdateDropsThePendingRowOrEdit)
{
    Recordset rows = openWorkRows();
    rows.addNew();
    rows.field(QStringLiteral("USUARIO")).setValue(QStringLiteral("X"));
    rows.cancelUpdate();
    EXPECT_EQ(rows.field(QStringLiteral("ID")).value().toInt(), 1) << "back on the row before";
    rows.field(QStringLiteral("Grupo")).setValue(QStringLiteral("Otro"));
    rows.cancelUpdate();
    EXPECT_EQ(rows.field(QStringLiteral("Grupo")).value().toString(), QStringLiteral("Ventas"));
    rows.close();
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM AUX_PANELCTA WHERE Grupo = 'Ventas'")).toInt(),
        2);
}

TEST_F(UpdatableRecordsetTest, CloseWithAPendingEditRaises3219)
{
    Recordset rows = openWorkRows();
    rows.addNew();
    EXPECT_EQ(failureOf([&] { rows.close(); }), ado::NotAllowedInContext);
    EXPECT_EQ(rows.state(), adStateOpen);
    rows.cancelUpdate();
    rows.close();
}

TEST_F(UpdatableRecordsetTest, AssignmentConvertsByTypeOrRaises3421)
{
    struct Case
    {
        const char *field;
        QVariant value;
        QVariant stored; // invalid: the assignment must raise 3421
    };
    const Case cases[] = {
        {"ImporteG1", QStringLiteral("1234,56"),
         QVariant::fromValue(Currency::fromScaled(12345600))},
        {"ImporteG1", QStringLiteral("12.5"), QVariant::fromValue(Currency::fromScaled(125000))},
        {"ImporteG1", QStringLiteral("doce"), QVariant()},
        {"FechaD", QDate(2024, 2, 29), QDateTime(QDate(2024, 2, 29), QTime(0, 0))},
        {"FechaD", QStringLiteral("31/02/2024"), QVariant()},
        {"Marca", 0, false},
        {"Marca", QStringLiteral("quizá"), QVariant()},
        {"Grupo", 15, QStringLiteral("15")},
        {"Grupo", platform::nullVariant(), platform::nullVariant()},
    };
    for (const Case &c : cases) {
        Recordset rows = openWorkRows();
        Field field = rows.field(QLatin1String(c.field));
        if (!c.stored.isValid()) {
            EXPECT_EQ(failureOf([&] { field.setValue(c.value); }), ado::WrongValueType)
                << c.field << " " << c.value.toString().toStdString();
            continue;
        }
        field.setValue(c.value);
        rows.update();
        EXPECT_EQ(scalar(QStringLiteral("SELECT %1 FROM AUX_PANELCTA WHERE ID = 1")
                             .arg(QLatin1String(c.field))),
                  c.stored)
            << c.field << " " << c.value.toString().toStdString();
    }
}

TEST_F(UpdatableRecordsetTest, ARowDeletedMeanwhileCannotBeLocated)
{
    Recordset rows = openWorkRows();
    run(QStringLiteral("DELETE AUX_PANELCTA WHERE ID = 1"));
    rows.field(QStringLiteral("Grupo")).setValue(QStringLiteral("Otro"));
    EXPECT_EQ(failureOf([&] { rows.update(); }), ado::RowNotLocated);
    EXPECT_EQ(rows.editMode(), adEditInProgress) << "the edit stays pending to be cancelled";
    rows.cancelUpdate();
}

TEST_F(UpdatableRecordsetTest, AFailedWriteRaisesTheServerErrorAndKeepsTheEdit)
{
    Recordset rows = openWorkRows();
    rows.addNew();
    rows.field(QStringLiteral("Grupo")).setValue(QStringLiteral("Sin usuario"));
    EXPECT_EQ(failureOf([&] { rows.update(); }), hresult::IntegrityViolation);
    EXPECT_EQ(nativeErrors(),
              (QVector<std::int32_t>{native::NullNotAllowed, native::StatementTerminated}));
    EXPECT_EQ(rows.editMode(), adEditAdd);
    rows.field(QStringLiteral("USUARIO")).setValue(QStringLiteral("PC|ANA"));
    rows.field(QStringLiteral("FechaD")).setValue(QDate(2024, 1, 1));
    rows.update();
    EXPECT_EQ(m_connection->errors().count(), 0);
}

TEST_F(UpdatableRecordsetTest, ReadOnlyAndJoinedRowsCannotBeWritten)
{
    Recordset readOnly;
    readOnly.open(QStringLiteral("SELECT * FROM AUX_PANELCTA"), m_connection);
    EXPECT_EQ(failureOf([&] { readOnly.addNew(); }), 3251);

    Recordset grouped = openWorkRows(
        QStringLiteral("SELECT Grupo, SUM(ImporteG1) AS TOTAL FROM AUX_PANELCTA GROUP BY Grupo"));
    EXPECT_EQ(failureOf([&] { grouped.field(QStringLiteral("TOTAL")).setValue(1); }), 3251);
}

TEST_F(UpdatableRecordsetTest, TopOneWithNoLockHintIsUpdatable)
{
    run(QStringLiteral(
        "CREATE TABLE AUX_ERR (Id int IDENTITY(1,1) PRIMARY KEY, Proceso "
        "varchar(50) NULL, Fecha datetime NULL, Error int NULL, SQL varchar(max) NULL)"));
    Recordset rows = openWorkRows(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "));
    rows.addNew();
    rows.field(QStringLiteral("Proceso")).setValue(QStringLiteral("GrabarScript"));
    rows.field(QStringLiteral("Fecha")).setValue(QDateTime(QDate(2024, 5, 1), QTime(8, 15)));
    rows.field(QStringLiteral("Error")).setValue(-2147217873);
    rows.field(QStringLiteral("SQL")).setValue(QStringLiteral("INSERT INTO X VALUES ('it''s')"));
    rows.update();
    EXPECT_EQ(column(QStringLiteral("SELECT SQL FROM AUX_ERR")),
              QStringList{QStringLiteral("INSERT INTO X VALUES ('it''s')")})
        << "values are bound, never spliced into SQL";
}

} // namespace
