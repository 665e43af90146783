#include "core/error_records.h"
#include "core/error_reporter.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "platform/suite/sistema.h"

#include <QFile>
#include <functional>

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

TEST_F(ErrorRecordsTest, ARecordThatCannotBeWrittenShowsNothingAndLeavesOneLogLine)
{
    struct Case
    {
        const char *why;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"closed main connection", [this] { closeProgramConnection(data::gDB()); }},
        {"a required column without a value",
         [this] {
             runOnMain(QStringLiteral("DROP TABLE AUX_ERR"));
             runOnMain(QStringLiteral("CREATE TABLE AUX_ERR (Id int IDENTITY(1,1) PRIMARY KEY, "
                                      "Proceso varchar(50) NULL, Fecha datetime NULL, Error int "
                                      "NULL, Descripcion varchar(250) NULL, SQL varchar(max) NULL, "
                                      "PC varchar(50) NULL, Usuario varchar(50) NULL, "
                                      "Obligatorio int NOT NULL)"));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        c.prepare();
        QFile::remove(core::errorLogPath());
        QString proceso = QStringLiteral("SCRIPT");

        GrabarErrorBD(QStringLiteral("DELETE X"), proceso, 547, QStringLiteral("conflicto"));

        EXPECT_EQ(records(), 0);
        EXPECT_EQ(dialogs.count(), 0);
        expectOneUnansweredLine(QStringLiteral("GrabarErrorBD"));
    }
}

} // namespace
