#include "platform/db/odbc/updatable_query.h"

#include <QRegularExpression>
#include <QStringList>

namespace platform::db::odbc {

namespace {

const QString namePart = QStringLiteral(R"((?:\[[^\]]+\]|"[^"]+"|[\w@#$]+))");

QString unquoted(const QString &part)
{
    if (part.size() >= 2
        && ((part.startsWith(QLatin1Char('[')) && part.endsWith(QLatin1Char(']')))
            || (part.startsWith(QLatin1Char('"')) && part.endsWith(QLatin1Char('"')))))
        return part.mid(1, part.size() - 2);
    return part;
}

} // namespace

bool mayChangeSchema(const QString &text)
{
    static const QRegularExpression definition(QStringLiteral(R"(\b(?:CREATE|ALTER|DROP)\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    return definition.match(text).hasMatch();
}

std::optional<QString> singleSourceTable(const QString &query)
{
    static const QRegularExpression shape(
        QStringLiteral(R"(^\s*SELECT\s+(?!DISTINCT\b)(?:TOP\s*\(?\s*\d+\s*\)?\s+(?:PERCENT\s+)?)?)"
                       R"((?:.+?)\s+FROM\s+(%1(?:\s*\.\s*%1){0,2}))"
                       R"((?:\s+(?:AS\s+)?(?!WHERE\b|ORDER\b|WITH\b)\w+)?)"
                       R"(\s*(?:WITH\s*)?(?:\([\w\s,]*\))?)"
                       R"(\s*(?:(?:WHERE|ORDER\s+BY)\b.*)?$)")
            .arg(namePart),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression setOperation(
        QStringLiteral(R"(\b(?:GROUP\s+BY|HAVING|UNION|INTERSECT|EXCEPT|JOIN)\b)"),
        QRegularExpression::CaseInsensitiveOption);

    const QRegularExpressionMatch match = shape.match(query);
    if (!match.hasMatch() || query.contains(setOperation))
        return std::nullopt;
    static const QRegularExpression spacedDot(QStringLiteral(R"(\s*\.\s*)"));
    return match.captured(1).replace(spacedDot, QStringLiteral("."));
}

TableName splitTableName(const QString &table)
{
    static const QRegularExpression part(namePart);
    QStringList parts;
    for (const QRegularExpressionMatch &match : part.globalMatch(table))
        parts.append(unquoted(match.captured()));
    TableName name;
    name.name = parts.value(parts.size() - 1);
    name.schema = parts.size() >= 2 ? parts.at(parts.size() - 2) : QString();
    name.catalog = parts.size() >= 3 ? parts.at(parts.size() - 3) : QString();
    return name;
}

} // namespace platform::db::odbc
