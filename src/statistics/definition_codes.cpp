#include "statistics/definition_codes.h"

#include "platform/text.h"

namespace statistics {

namespace {

QString quoted(const QString &code)
{
    return QLatin1Char('\'') + code + QLatin1Char('\'');
}

} // namespace

QString itemCode(const QString &item)
{
    const qsizetype open = item.indexOf(QLatin1Char('('));
    const qsizetype close = item.indexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return {};
    return item.mid(open + 1, close - open - 1);
}

QString storedCodeList(const QStringList &selectedItems)
{
    QString list;
    for (const QString &item : selectedItems)
        list += quoted(itemCode(item)) + QLatin1Char(',');
    list = list.trimmed();
    if (list.size() > 1 && list.endsWith(QLatin1Char(',')))
        list.chop(1);
    return list;
}

bool storedCodeListHolds(const QString &storedList, const QString &code)
{
    return platform::containsIgnoringCase(storedList, quoted(code));
}

} // namespace statistics
