#include "core/access_audit.h"
#include "core/mod_global.h"
#include "core/statement_builder.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "platform/regional_settings.h"
#include "platform/suite/sistema.h"

namespace {

using core::AgregarCampo;
using core::ArmarSentencia;
using core::ControlAcceso;

// The suite's menu with two definitions of this program anchored to it and an entry of another
// program; the grants are made per case.
class AccessAuditTest : public core_testing::CoreDatabaseTest
{
protected:
    void SetUp() override
    {
        CoreDatabaseTest::SetUp();
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
        m_user = data::gDB().gUsuario;
        m_database = data::gDB().gDBName;
        core::gParametroAdicional.clear();
        runOnMain(QStringLiteral(
            "INSERT INTO TA_MENU (CLAVE, NOMBRE, PROCESO) VALUES "
            "('M010', 'Gastos del mes', 'shell:RP_PANELCTA @PARAMETROADICIONAL= CFG_Gastos'), "
            "('M020', 'Ventas por zona', 'shell:RP_PANELCTA @PARAMETROADICIONAL= CFG_Ventas'), "
            "('M030', 'Clientes', 'shell:V_MA_CLIENTES')"));
    }

    void TearDown() override
    {
        data::gDB().gUsuario = m_user;
        data::gDB().gDBName = m_database;
        core::gParametroAdicional.clear();
        CoreDatabaseTest::TearDown();
    }

    void grant(const QString &user, const QStringList &tasks)
    {
        for (const QString &task : tasks)
            runOnMain(QStringLiteral("INSERT INTO TA_TAREAS VALUES ('")
                      + QString(user).replace(QLatin1Char('\''), QStringLiteral("''"))
                      + QStringLiteral("', 'CN000PR', '") + task + QStringLiteral("')"));
    }

    QVariant audited(const char *column)
    {
        return valueOnMain(QStringLiteral("SELECT ") + QLatin1String(column)
                           + QStringLiteral(" FROM Control_Acceso"));
    }

    int audits()
    {
        return valueOnMain(QStringLiteral("SELECT COUNT(*) FROM Control_Acceso")).toInt();
    }

    QString m_user;
    QString m_database;
};

TEST_F(AccessAuditTest, TheAuditRowNamesTheMenuEntryTheUserCameThrough)
{
    struct Case
    {
        const char *why;
        QString user;
        QStringList grants;
        QString startedOn;
        QString databaseName;
        QString task;
    };
    const QString program = QStringLiteral("RP_PANELCTA");
    const Case cases[] = {
        {"one entry",
         QStringLiteral("ANA"),
         {QStringLiteral("M020")},
         QString(),
         QString(),
         QStringLiteral("VENTAS POR ZONA")},
        {"several entries, plain start: lowest key",
         QStringLiteral("ANA"),
         {QStringLiteral("M020"), QStringLiteral("M010")},
         QString(),
         QString(),
         QStringLiteral("GASTOS DEL MES")},
        {"several entries, started on a definition",
         QStringLiteral("ANA"),
         {QStringLiteral("M010"), QStringLiteral("M020")},
         QStringLiteral(" cfg_ventas"),
         QString(),
         QStringLiteral("VENTAS POR ZONA")},
        {"started on a definition without an entry of its own",
         QStringLiteral("ANA"),
         {QStringLiteral("M020"), QStringLiteral("M010")},
         QStringLiteral("CFG_Compras"),
         QString(),
         QStringLiteral("GASTOS DEL MES")},
        {"entry of another program only",
         QStringLiteral("ANA"),
         {QStringLiteral("M030")},
         QString(),
         QString(),
         QString()},
        {"no task", QStringLiteral("ANA"), {}, QString(), QString(), QString()},
        {"no task, user named as the database",
         QStringLiteral("Contable"),
         {},
         QString(),
         QStringLiteral("CONTABLE"),
         program},
        {"no task, suite supervisor",
         QStringLiteral("Supervisor Tarvica MC"),
         {},
         QString(),
         QString(),
         program},
        {"a name with an apostrophe",
         QStringLiteral("O'Brien"),
         {QStringLiteral("M010")},
         QString(),
         QString(),
         QStringLiteral("GASTOS DEL MES")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        runOnMain(QStringLiteral("DELETE FROM TA_TAREAS"));
        runOnMain(QStringLiteral("DELETE FROM Control_Acceso"));
        grant(c.user, c.grants);
        data::gDB().gUsuario = c.user;
        data::gDB().gDBName = c.databaseName.isEmpty() ? m_database : c.databaseName;
        core::gParametroAdicional = c.startedOn;

        ControlAcceso(QString());

        EXPECT_EQ(core::gUsuarioLogeado, c.user);
        ASSERT_EQ(audits(), 1);
        EXPECT_EQ(audited("Tarea").toString(), c.task);
        EXPECT_EQ(audited("Maquina").toString(),
                  platform::gSistema().NombreMaquina().trimmed().toUpper());
        EXPECT_EQ(audited("Usuario").toString(), c.user.toUpper());
        EXPECT_EQ(audited("NombreUsuario").toString(), c.user);
        EXPECT_EQ(audited("Formulario").toString(), program);
        EXPECT_EQ(audited("Ingreso").toDateTime(), QDateTime(FixedNow.date(), QTime(14, 7)));
        EXPECT_EQ(dialogs.count(), 0);
        EXPECT_EQ(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM AUX_ERR")).toInt(), 0);
    }
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(AccessAuditTest, AGivenProcessNameIsLookedUpAndRecordedInCapitals)
{
    grant(data::gDB().gUsuario, {QStringLiteral("M030")});

    ControlAcceso(QStringLiteral("v_ma_clientes"));

    EXPECT_EQ(audited("Formulario").toString(), QStringLiteral("V_MA_CLIENTES"));
    EXPECT_EQ(audited("Tarea").toString(), QStringLiteral("CLIENTES"));
}

TEST_F(AccessAuditTest, AnAuditRowThatCannotBeWrittenIsRolledBackRecordedAndShown)
{
    runOnMain(QStringLiteral("DROP TABLE Control_Acceso"));
    dialogs.answer(platform::msgbox::Ok);

    ControlAcceso(QString());

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Aviso al Operador!"));
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM AUX_ERR")).toInt(), 1);
    EXPECT_TRUE(valueOnMain(QStringLiteral("SELECT SQL FROM AUX_ERR"))
                    .toString()
                    .contains(QStringLiteral("INSERT INTO Control_Acceso (Maquina,Usuario,"
                                             "Formulario,Tarea,Ingreso,NombreUsuario) VALUES (")));
}

// ---- Statement builder ------------------------------------------------------------------------

TEST_F(AccessAuditTest, TheBuilderJoinsInsertsAndUpdatesFromTheCollectedFields)
{
    struct Case
    {
        const char *why;
        bool isUpdate;
        QString condition;
        QString statement;
        QString conditionBack;
    };
    const Case cases[] = {
        {"insert", false, QString(),
         QStringLiteral("INSERT INTO MA_GRUPOS (NOMBRE,SALDO,BAJA) VALUES ('O''Brien',12.5,Null)"),
         QString()},
        {"update, condition without WHERE", true, QStringLiteral("ID = 3"),
         QStringLiteral("UPDATE MA_GRUPOS SET NOMBRE = 'O''Brien',SALDO = 12.5,BAJA = Null  "
                        "WHERE ID = 3"),
         QStringLiteral(" WHERE ID = 3")},
        {"update, condition with where", true, QStringLiteral("where ID = 3"),
         QStringLiteral("UPDATE MA_GRUPOS SET NOMBRE = 'O''Brien',SALDO = 12.5,BAJA = Null "
                        "where ID = 3"),
         QStringLiteral("where ID = 3")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        const QString name = QStringLiteral("O'Brien");
        AgregarCampo(QStringLiteral("NOMBRE"), name, QStringLiteral("'"), true);
        AgregarCampo(QStringLiteral("SALDO"), QStringLiteral("12,5"), QStringLiteral("@"), false);
        AgregarCampo(QStringLiteral("BAJA"), QStringLiteral("nUlL"), QStringLiteral("'"), false);
        QStringList statements{QString()};
        QString condition = c.condition;

        ArmarSentencia(core::gCampos(), statements, QStringLiteral("MA_GRUPOS"), c.isUpdate,
                       condition, false);

        EXPECT_EQ(statements, (QStringList{QString(), c.statement, QString()}));
        EXPECT_EQ(condition, c.conditionBack);
        EXPECT_EQ(name, QStringLiteral("O'Brien"));
        EXPECT_TRUE(core::gCampos().isEmpty());
    }
}

TEST_F(AccessAuditTest, KeptFieldsServeTheNextStatementAndInitialisingStartsAfresh)
{
    QString noCondition;
    QStringList statements;
    AgregarCampo(QStringLiteral("A"), QStringLiteral("1"), QString(), true);
    ArmarSentencia(core::gCampos(), statements, QStringLiteral("T1"), false, noCondition, true);
    AgregarCampo(QStringLiteral("B"), QStringLiteral("2"), QString(), false);
    ArmarSentencia(core::gCampos(), statements, QStringLiteral("T2"), false, noCondition, false);
    AgregarCampo(QStringLiteral("C"), QStringLiteral("3"), QString(), false);
    ArmarSentencia(core::gCampos(), statements, QStringLiteral("T3"), false, noCondition, true);
    AgregarCampo(QStringLiteral("D"), QStringLiteral("4"), QString(), true);
    ArmarSentencia(core::gCampos(), statements, QStringLiteral("T4"), false, noCondition, false);

    EXPECT_EQ(statements,
              (QStringList{QStringLiteral("INSERT INTO T1 (A) VALUES (1)"), QString(),
                           QStringLiteral("INSERT INTO T2 (A,B) VALUES (1,2)"), QString(),
                           QStringLiteral("INSERT INTO T3 (C) VALUES (3)"), QString(),
                           QStringLiteral("INSERT INTO T4 (D) VALUES (4)"), QString()}));
}

} // namespace
