#include "lookup/lib_frm_cons3_rules.h"

#include "data/sql_rewriting.h"
#include "platform/text.h"

namespace lookup::list_rules {

NarrowedSearch narrowSearch(const QString &sql, const QString &base, const QString &field,
                            const QString &text, bool anywhere)
{
    NarrowedSearch search{sql, base, {}, text};
    // A grouping keeps the ordering behind it, so "group by" is looked for last and wins.
    for (const QString &clause : {QStringLiteral("order by"), QStringLiteral("group by")}) {
        const qsizetype start = platform::indexOfIgnoringCase(sql, clause);
        if (start >= 0) {
            search.tail = sql.mid(start);
            search.base = sql.left(start);
        }
    }

    QString prefix;
    if (platform::containsIgnoringCase(search.base, QStringLiteral("stk_ma_articulos.")))
        prefix = QStringLiteral("stk_ma_articulos.");
    if (platform::containsIgnoringCase(search.base, QStringLiteral("v_ma_articulos.")))
        prefix = QStringLiteral("v_ma_articulos.");

    const QString joiner = platform::containsIgnoringCase(sql, QStringLiteral("where"))
        ? QStringLiteral(" and ")
        : QStringLiteral(" where ");

    QString condition;
    if (anywhere) {
        QString pattern = text;
        pattern.replace(QLatin1Char(' '), QLatin1Char('%'));
        condition = prefix + field + QStringLiteral(" like '%") + data::escapeSqlQuotes(pattern)
            + QStringLiteral("%' ");
    } else {
        search.boxText.replace(QLatin1Char('*'), QLatin1Char('%'));
        condition = prefix + field + QStringLiteral(" like '")
            + data::escapeSqlQuotes(search.boxText) + QStringLiteral("%' ");
    }
    search.statement = search.base + joiner + condition + search.tail;
    return search;
}

double readQuantity(const QString &cell)
{
    QString compact = cell;
    compact.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    return platform::leadingNumber(compact);
}

QString formatQuantity(double quantity, int decimals)
{
    return platform::formatRegionalNumber(quantity, decimals, false);
}

MaintenanceProgram maintenanceProgramFor(const QString &table)
{
    const auto is = [&table](const char *name) {
        return platform::equalsIgnoringCase(table, QLatin1String(name));
    };
    if (is("VT_CLIENTES"))
        return {QStringLiteral("SHELL:V_MA_CLIENTES"), QStringLiteral("1")};
    if (is("VT_PROVEEDORES"))
        return {QStringLiteral("SHELL:V_MA_CLIENTES"), QStringLiteral("0")};
    if (is("V_TA_Tecnicos"))
        return {QStringLiteral("SHELL:V_TA_Tecnicos"), QString()};
    if (is("V_TA_VENDEDORES"))
        return {QStringLiteral("SHELL:V_TA_VENDEDORES"), QString()};
    if (is("V_MA_ARTICULOS") || is("VT_MA_ARTICULOS"))
        return {QStringLiteral("SHELL:V_MA_ARTICULOS"), QString()};
    // The general table editor, told which table to open ("V_TA_RUBROS", "V_TA_UNIDAD", ...).
    return {QStringLiteral("SHELL:V_TA_TABLAS"), table};
}

int stockLevel(double reorderPoint, double stock)
{
    if (reorderPoint == 0 && stock > 0)
        return 1;
    if (reorderPoint > 0 && stock > reorderPoint)
        return 2;
    if (reorderPoint > 0 && stock < reorderPoint)
        return 3;
    return 4;
}

QString shortageStatement(const QString &dateTime, const QString &fittedCode,
                          const QString &description, const QString &user)
{
    return QStringLiteral("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) "
                          "values('")
        + data::escapeSqlQuotes(dateTime) + QStringLiteral("','")
        + data::escapeSqlQuotes(fittedCode) + QStringLiteral("','")
        + data::escapeSqlQuotes(description) + QStringLiteral("','") + data::escapeSqlQuotes(user)
        + QStringLiteral("')");
}

} // namespace lookup::list_rules
