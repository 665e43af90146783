#include "statistics/menu_anchor.h"

#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "platform/db/recordset.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"

#include <algorithm>

namespace statistics {

namespace {

using platform::Step;
using platform::db::Recordset;

const QString ParentKey = QStringLiteral("D957011");
// Characters of an entry key before its number.
constexpr int NumberStart = 7;

QString literal(const QString &value)
{
    return QLatin1Char('\'') + data::escapeSqlQuotes(value) + QLatin1Char('\'');
}

QString entryCondition(const QString &definitionName)
{
    return QStringLiteral("TITULO = 'D957011' AND NOMBRE = ") + literal(definitionName);
}

// Errors that reach the procedure go to the suite's error box with no routine name.
platform::Outcome runReported(std::vector<Step> steps)
{
    return platform::StepRunner::run(std::move(steps), [](const platform::Error &error, int) {
        return platform::resumeForAnswer(platform::gUtil().MuestraError(error));
    });
}

// The number after the highest entry under the parent. Keys are compared by their number, not
// as text: from entry 100 on, text order would put "D95701199" last and hand out a key that is
// already taken. A key of three characters counts as number 0.
int nextEntryNumber(Recordset &entries)
{
    double highest = 0;
    for (entries.moveFirst(); !entries.eof(); entries.moveNext()) {
        const QString key = platform::gUtil().ValorTexto(entries.field(QStringLiteral("CLAVE")));
        if (key.size() != 3)
            highest = std::max(highest,
                               platform::gUtil().TextoAMoneda(key.mid(NumberStart)).toDouble());
    }
    return int(highest) + 1;
}

} // namespace

QString MenuAnchor::entryKey(int number)
{
    return ParentKey + QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString MenuAnchor::entryCommand(const QString &definitionName)
{
    return QStringLiteral("shell:RP_PANELCTA @PARAMETROADICIONAL= CFG_") + definitionName;
}

void MenuAnchor::anchor(const QString &definitionName, const QString &user)
{
    Recordset entries;
    bool menuEmpty = false;
    bool entryAdded = false;
    bool granted = false;
    int number = 1;
    QString key;

    // A right is granted in two steps, so a failing insert can be retried on its own. The key
    // and the flag are read when the steps run, not when they are listed.
    const auto grantSteps = [&](const QString *grantedKey, const bool *wanted) {
        return std::vector<Step>{
            [&, grantedKey, wanted] {
                granted = !*wanted
                    || m_db.ExisteEnTabla(QStringLiteral("TA_TAREAS"), user,
                                          QStringLiteral("USUARIO"), nullptr, 8,
                                          QStringLiteral("USUARIO = ") + literal(user)
                                              + QStringLiteral(" AND SISTEMA = 'CN000PR' AND "
                                                               "TAREA = ")
                                              + literal(*grantedKey),
                                          true);
            },
            [&, grantedKey] {
                if (!granted)
                    m_db.EjecutaConsultaSQL(
                        QStringLiteral("INSERT INTO TA_TAREAS (USUARIO,SISTEMA,TAREA) VALUES (")
                        + literal(user) + QStringLiteral(",'CN000PR',") + literal(*grantedKey)
                        + QStringLiteral(")"));
            }};
    };
    const auto append = [](std::vector<Step> &steps, std::vector<Step> more) {
        for (Step &step : more)
            steps.push_back(std::move(step));
    };

    std::vector<Step> steps{
        [&] {
            m_db.AbrirRecordset(
                QStringLiteral("SELECT * FROM TA_MENU WHERE TITULO =  'D957011'  ORDER BY CLAVE"),
                entries);
        },
        [&] { menuEmpty = entries.eof(); },
        [&] {
            if (menuEmpty)
                m_db.EjecutaConsultaSQL(
                    QStringLiteral("INSERT INTO TA_MENU "
                                   "(MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO)  "
                                   "VALUES('KORU','D9570','D957011' ,'Panel de "
                                   "Cuentas','Reportes','',1)"));
        }};
    append(steps, grantSteps(&ParentKey, &menuEmpty));
    append(steps,
           {[&] { number = menuEmpty ? 1 : nextEntryNumber(entries); },
            [&] {
                m_db.AbrirRecordset(QStringLiteral("SELECT * FROM TA_MENU WHERE ")
                                        + entryCondition(definitionName),
                                    entries);
            },
            [&] { entryAdded = entries.eof(); },
            [&] {
                if (!entryAdded)
                    return;
                key = entryKey(number);
                m_db.EjecutaConsultaSQL(
                    QStringLiteral("INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,"
                                   "HABILITADO)  VALUES('KORU','D957011',")
                    + literal(key) + QLatin1Char(',') + literal(definitionName)
                    + QStringLiteral(",'Reportes',") + literal(entryCommand(definitionName))
                    + QStringLiteral(",1)"));
            }});
    append(steps, grantSteps(&key, &entryAdded));
    runReported(std::move(steps));
    m_db.CierraRecordset(entries);
}

void MenuAnchor::remove(const QString &definitionName)
{
    Recordset remaining;
    QString key;
    bool parentEmpty = false;
    runReported({
        [&] {
            key = m_db.DatosTabla(QStringLiteral("TA_MENU"), ParentKey, QStringLiteral("Clave"),
                                  QStringLiteral("TITULO"), 8,
                                  QLatin1Char(' ') + entryCondition(definitionName), true, false)
                      .toString();
        },
        [&] {
            m_db.EjecutaConsultaSQL(QStringLiteral("DELETE TA_MENU WHERE ")
                                    + entryCondition(definitionName));
        },
        // Without an entry the key is empty, and deleting the rights to an empty task would
        // only hit rows that belong to no entry.
        [&] {
            if (!key.isEmpty())
                m_db.EjecutaConsultaSQL(QStringLiteral("DELETE TA_TAREAS WHERE TAREA = ")
                                        + literal(key));
        },
        [&] {
            m_db.AbrirRecordset(QStringLiteral("SELECT * FROM TA_MENU WHERE TITULO = 'D957011'"),
                                remaining);
        },
        [&] { parentEmpty = remaining.eof(); },
        [&] {
            if (parentEmpty)
                m_db.EjecutaConsultaSQL(QStringLiteral("DELETE TA_MENU WHERE CLAVE = 'D957011'"));
        },
        [&] {
            if (parentEmpty)
                m_db.EjecutaConsultaSQL(QStringLiteral("DELETE TA_TAREAS WHERE TAREA = 'D957011'"));
        },
    });
    m_db.CierraRecordset(remaining);
}

} // namespace statistics
