#include "core/error_records.h"
#include "core/error_reporter.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "platform/suite/sistema.h"

namespace {

using core::GrabarErrorBD;

class ErrorRecordsTest : public core_testing::CoreDatabaseTest
{
protected:
    QVariant recorded(const char *column)
    {
        return valueOnMain(QStringLiteral("SELECT ") + QLatin1String(column)
                           + QStringLiteral(" FROM AUX_ERR"));
    }
    int records() { return valueOnMain(QStringLiteral("SELECT COUNT(*) FROM AUX_ERR")).toInt(); }
};

TEST_F(ErrorRecordsTest, ARecordHoldsEveryFieldWithTheDateAsADateTime)
{
    const QString script = QStringLiteral("INSERT INTO MA_CUENTAS VALUES ('1') ").repeated(200);
    const QString description
        = QStringLiteral("d").repeated(249) + QStringLiteral("xyz").repeated(17);
    QString proceso = QStringLiteral("SCRIPT");

    GrabarErrorBD(script, proceso, -2147217873, description);

    ASSERT_EQ(records(), 1);
    EXPECT_EQ(recorded("Proceso").toString(), QStringLiteral("SCRIPT"));
    EXPECT_EQ(recorded("Fecha").toDateTime(), FixedNow);
    EXPECT_EQ(recorded("Error").toInt(), -2147217873);
    EXPECT_EQ(recorded("Descripcion").toString(), description.left(250));
    EXPECT_EQ(recorded("SQL").toString(), script);
    EXPECT_EQ(recorded("PC").toString(), platform::gSistema().NombreMaquina());
    EXPECT_EQ(recorded("Usuario").toString(), data::gDB().gUsuario);
    EXPECT_EQ(proceso, QStringLiteral("SCRIPT"));
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ErrorRecordsTest, AnEmptyProcessIsRecordedAndHandedBackAsTheProgramName)
{
    QString proceso;

    GrabarErrorBD(QStringLiteral("DELETE X"), proceso, 547, QStringLiteral("conflicto"));

    EXPECT_EQ(proceso, QStringLiteral("RP_PANELCTA"));
    EXPECT_EQ(recorded("Proceso").toString(), QStringLiteral("RP_PANELCTA"));
}

// Why a record cannot be written; each case brings its own cause about on fresh databases.
enum class Unwritable { ClosedMainConnection, RequiredColumnWithoutValue };

class UnwritableRecordTest : public ErrorRecordsTest,
                             public ::testing::WithParamInterface<Unwritable>
{
protected:
    void bringAbout(Unwritable cause)
    {
        switch (cause) {
        case Unwritable::ClosedMainConnection:
            closeProgramConnection(data::gDB());
            break;
        case Unwritable::RequiredColumnWithoutValue:
            runOnMain(QStringLiteral("DROP TABLE AUX_ERR"));
            runOnMain(QStringLiteral("CREATE TABLE AUX_ERR (Id int IDENTITY(1,1) PRIMARY KEY, "
                                     "Proceso varchar(50) NULL, Fecha datetime NULL, Error int "
                                     "NULL, Descripcion varchar(250) NULL, SQL varchar(max) NULL, "
                                     "PC varchar(50) NULL, Usuario varchar(50) NULL, "
                                     "Obligatorio int NOT NULL)"));
            break;
        }
    }
};

TEST_P(UnwritableRecordTest, ShowsNothingAndLeavesOneLogLine)
{
    bringAbout(GetParam());
    QString proceso = QStringLiteral("SCRIPT");

    GrabarErrorBD(QStringLiteral("DELETE X"), proceso, 547, QStringLiteral("conflicto"));

    EXPECT_EQ(records(), 0);
    EXPECT_EQ(dialogs.count(), 0);
    expectOneUnansweredLine(QStringLiteral("GrabarErrorBD"));
}

INSTANTIATE_TEST_SUITE_P(Causes, UnwritableRecordTest,
                         ::testing::Values(Unwritable::ClosedMainConnection,
                                           Unwritable::RequiredColumnWithoutValue),
                         [](const ::testing::TestParamInfo<Unwritable> &info) {
                             return info.param == Unwritable::ClosedMainConnection
                                 ? "ClosedMainConnection"
                                 : "RequiredColumnWithoutValue";
                         });

} // namespace
