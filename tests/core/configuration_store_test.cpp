#include "core/configuration_store.h"
#include "core/mod_global.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "platform/user_dialogs.h"

#include <optional>

namespace {

using core::Cfg;
using core::CfgTV;
using core::GrabaCfgTV;
namespace msgbox = platform::msgbox;

QString literal(const std::optional<QString> &value)
{
    return value ? QLatin1Char('\'') + data::escapeSqlQuotes(*value) + QLatin1Char('\'')
                 : QStringLiteral("NULL");
}

QString insertKey(const QString &key, const std::optional<QString> &value,
                  const std::optional<QString> &aux = std::nullopt)
{
    return QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux) VALUES (")
        + literal(key) + QStringLiteral(", ") + literal(value) + QStringLiteral(", ") + literal(aux)
        + QStringLiteral(")");
}

class ConfigurationStoreTest : public core_testing::CoreDatabaseTest
{
protected:
    QVariant storedColumn(const QString &column, const QString &key)
    {
        return valueOnStatistics(QStringLiteral("SELECT ") + column
                                 + QStringLiteral(" FROM TA_CONFIGURACION WHERE CLAVE = ")
                                 + literal(key));
    }
    int statisticsRows()
    {
        return valueOnStatistics(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")).toInt();
    }
};

TEST_F(ConfigurationStoreTest, CfgReadsTheValueAndAuxiliaryValueOfTheTrimmedKeyInAnyCase)
{
    runOnMain(insertKey(QStringLiteral("NOMBRE"), QStringLiteral("Empresa Demo"),
                        QStringLiteral("Sucursal")));
    runOnMain(insertKey(QStringLiteral("VACIO"), QString()));
    runOnMain(insertKey(QStringLiteral("NULO"), std::nullopt));
    runOnMain(insertKey(QStringLiteral("O'HIGGINS"), QStringLiteral("Sur"), QStringLiteral("a'q")));
    runOnMain(insertKey(QStringLiteral("[FECHA DESDE]"), QStringLiteral("01/01/2024")));

    struct Case
    {
        QString key;
        QString value;
        QString aux;
    };
    const Case cases[] = {
        {QStringLiteral("NOMBRE"), QStringLiteral("Empresa Demo"), QStringLiteral("Sucursal")},
        {QStringLiteral("  NOMBRE  "), QStringLiteral("Empresa Demo"), QStringLiteral("Sucursal")},
        {QStringLiteral("nombre"), QStringLiteral("Empresa Demo"), QStringLiteral("Sucursal")},
        {QStringLiteral("NoExiste"), QStringLiteral(" "), QString()},
        {QStringLiteral("VACIO"), QString(), QString()},
        {QStringLiteral("NULO"), QString(), QString()},
        {QStringLiteral("O'HIGGINS"), QStringLiteral("Sur"), QStringLiteral("a'q")},
        {QStringLiteral("[fecha desde]"), QStringLiteral("01/01/2024"), QString()},
        {QStringLiteral("THEME"), QStringLiteral("1"), QString()},
        {QStringLiteral("theme"), QStringLiteral("1"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        QString aux = QStringLiteral("previo");
        EXPECT_EQ(Cfg(c.key, aux), c.value);
        EXPECT_EQ(aux, c.aux);
    }
    EXPECT_EQ(core::gTablaConfiguracion, QStringLiteral("TA_CONFIGURACION"));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ConfigurationStoreTest, OnlyABlankThemeReadsOne)
{
    struct Case
    {
        std::optional<QString> stored;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("  "), QStringLiteral("1")},
        {std::nullopt, QStringLiteral("1")},
        {QStringLiteral("2"), QStringLiteral("2")},
    };
    for (const Case &c : cases) {
        runOnMain(QStringLiteral("DELETE FROM TA_CONFIGURACION"));
        runOnMain(insertKey(QStringLiteral("THEME"), c.stored));
        EXPECT_EQ(Cfg(QStringLiteral("Theme")), c.expected);
    }
}

TEST_F(ConfigurationStoreTest, CfgNeedsTheMainConnectionWhileCfgTVReadsTheStatisticsOneAlone)
{
    runOnMain(insertKey(QStringLiteral("NOMBRE"), QStringLiteral("Empresa Demo")));
    runOnStatistics(
        insertKey(QStringLiteral("TIMEOUT"), QStringLiteral("360"), QStringLiteral("seg")));
    closeProgramConnection(data::gDB());

    QString aux = QStringLiteral("previo");
    EXPECT_EQ(Cfg(QStringLiteral("NOMBRE"), aux), QString());
    EXPECT_EQ(aux, QStringLiteral("previo"));

    EXPECT_EQ(CfgTV(QStringLiteral("timeout"), aux), QStringLiteral("360"));
    EXPECT_EQ(aux, QStringLiteral("seg"));
}

// Retry is not retried here: only Ignore goes on (and so still turns a blank THEME into "1").
TEST_F(ConfigurationStoreTest, AReadingErrorIsReportedUnderItsReaderAndOnlyIgnoreGoesOn)
{
    struct Case
    {
        QString (*reader)(const QString &);
        QString routine;
        int answer;
        QString expected;
    };
    const Case cases[] = {
        {Cfg, QStringLiteral("Cfg"), msgbox::Ignore, QStringLiteral("1")},
        {Cfg, QStringLiteral("Cfg"), msgbox::Abort, QString()},
        {Cfg, QStringLiteral("Cfg"), msgbox::Retry, QString()},
        {CfgTV, QStringLiteral("CfgTV"), msgbox::Ignore, QStringLiteral("1")},
        {CfgTV, QStringLiteral("CfgTV"), msgbox::Abort, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.routine + QString::number(c.answer)).toStdString());
        core::gTablaConfiguracion = QStringLiteral("TABLA_INEXISTENTE");
        dialogs.clearShown();
        dialogs.answer(msgbox::Abort).answer(c.answer); // the data class's box, then the reader's

        EXPECT_EQ(c.reader(QStringLiteral("THEME")), c.expected);

        ASSERT_EQ(dialogs.count(), 2);
        EXPECT_TRUE(dialogs.last().title.endsWith(QStringLiteral(" - ") + c.routine
                                                  + QStringLiteral(" Aviso al operador!!! - 2 ")));
    }
}

TEST_F(ConfigurationStoreTest, GrabaCfgTVInsertsTheKeyInCapitalsOnceAndThenUpdatesIt)
{
    core::gTablaConfiguracion = QStringLiteral("  ");

    GrabaCfgTV(QStringLiteral("timeout"), 360, QString(), false, QStringLiteral("BaseDeDatos"),
               true);

    EXPECT_EQ(core::gTablaConfiguracion, QStringLiteral("TA_CONFIGURACION"));
    ASSERT_EQ(statisticsRows(), 1);
    EXPECT_EQ(storedColumn(QStringLiteral("CLAVE"), QStringLiteral("TIMEOUT")).toString(),
              QStringLiteral("TIMEOUT"));
    EXPECT_EQ(storedColumn(QStringLiteral("VALOR"), QStringLiteral("TIMEOUT")).toString(),
              QStringLiteral("360"));
    EXPECT_EQ(storedColumn(QStringLiteral("Grupo"), QStringLiteral("TIMEOUT")).toString(),
              QStringLiteral("BaseDeDatos"));
    EXPECT_FALSE(
        storedColumn(QStringLiteral("PoliticaNegocio"), QStringLiteral("TIMEOUT")).toBool());

    struct Case
    {
        QString key;
        QVariant value;
        QString aux;
        bool removeBlanks;
        QString storedValue;
        QString storedAux;
    };
    const Case updates[] = {
        {QStringLiteral(" TimeOut "), QStringLiteral("  400 "), QStringLiteral(" seg "), false,
         QStringLiteral("  400 "), QStringLiteral("seg")},
        {QStringLiteral("TIMEOUT"), QStringLiteral("  500 "), QString(), true,
         QStringLiteral("500"), QStringLiteral("seg")},
    };
    for (const Case &c : updates) {
        SCOPED_TRACE(c.storedValue.toStdString());
        GrabaCfgTV(c.key, c.value, c.aux, true, QStringLiteral("BaseDeDatos"), c.removeBlanks);

        ASSERT_EQ(statisticsRows(), 1);
        EXPECT_EQ(storedColumn(QStringLiteral("VALOR"), QStringLiteral("TIMEOUT")).toString(),
                  c.storedValue);
        EXPECT_EQ(storedColumn(QStringLiteral("ValorAux"), QStringLiteral("TIMEOUT")).toString(),
                  c.storedAux);
        EXPECT_TRUE(
            storedColumn(QStringLiteral("PoliticaNegocio"), QStringLiteral("TIMEOUT")).toBool());
    }
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ConfigurationStoreTest, AKeyHoldingAQuoteIsWrittenAndReadBack)
{
    GrabaCfgTV(QStringLiteral("o'higgins"), QStringLiteral("Sur"), QStringLiteral("a'q"), false,
               QStringLiteral("Zona"), true);
    GrabaCfgTV(QStringLiteral("O'HIGGINS"), QStringLiteral("Norte"), QString(), false,
               QStringLiteral("Zona"), true);

    EXPECT_EQ(statisticsRows(), 1);
    QString aux;
    EXPECT_EQ(CfgTV(QStringLiteral("O'Higgins"), aux), QStringLiteral("Norte"));
    EXPECT_EQ(aux, QStringLiteral("a'q"));
}

TEST_F(ConfigurationStoreTest, AFailingStepOfGrabaCfgTVIsLoggedAndTheRestIsStillSaved)
{
    runOnStatistics(QStringLiteral("CREATE TABLE CFG_SIN_POLITICA (CLAVE varchar(50) NOT NULL "
                                   "PRIMARY KEY, VALOR varchar(255) NULL, ValorAux varchar(255) "
                                   "NULL, Grupo varchar(50) NULL)"));
    core::gTablaConfiguracion = QStringLiteral("CFG_SIN_POLITICA");

    GrabaCfgTV(QStringLiteral("TimeOut"), 360, QString(), false, QStringLiteral("BaseDeDatos"),
               true);

    EXPECT_EQ(valueOnStatistics(
                  QStringLiteral("SELECT VALOR FROM CFG_SIN_POLITICA WHERE CLAVE = 'TIMEOUT'"))
                  .toString(),
              QStringLiteral("360"));
    EXPECT_EQ(dialogs.count(), 0);
    expectOneUnansweredLine(QStringLiteral("GrabaCfgTV"), QStringLiteral("3265) "));
}

} // namespace
