#include "work_table_fixture.h"

#include "demo/suite_database.h"
#include "platform/db/recordset.h"
#include "platform/regional_settings.h"

const QString WorkTableTest::Station = QStringLiteral("PC-CONTABLE|ANA");

void WorkTableTest::SetUp()
{
    ASSERT_TRUE(m_dataFolder.isValid());
    m_previousDataFolder = qgetenv("RP_PANELCTA_DATOS");
    qputenv("RP_PANELCTA_DATOS", m_dataFolder.path().toUtf8());
    platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());

    demo::SuiteOptions withoutRows;
    withoutRows.sampleData = false;
    connection = platform::db::Connection::create();
    connection->open(demo::createSuiteDatabase(QStringLiteral("REPORTES"), withoutRows));
}

void WorkTableTest::TearDown()
{
    connection->close();
    qputenv("RP_PANELCTA_DATOS", m_previousDataFolder);
    EXPECT_TRUE(dialogs.allAnswered());
}

void WorkTableTest::addRow(const QString &user, const QString &group, const QDate &from,
                           const QString &amount, const QString &unit, const QString &costCentre)
{
    const auto quoted = [](QString text) -> QString {
        return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
    };
    const auto textOrNull = [&](const QString &text) -> QString {
        return text.isEmpty() ? QStringLiteral("NULL") : quoted(text);
    };
    connection->execute(
        QStringLiteral("INSERT INTO AUX_PANELCTA (USUARIO, Nombre, Grupo, FechaD, FechaH, "
                       "ImporteG1, Unegocio, CCOSTO) VALUES (%1, 'Ventas', %2, '%3', '%4', "
                       "%5, %6, %7)")
            .arg(quoted(user), quoted(group), from.toString(Qt::ISODate),
                 from.addMonths(1).addDays(-1).toString(Qt::ISODate), amount, textOrNull(unit),
                 textOrNull(costCentre)));
}
