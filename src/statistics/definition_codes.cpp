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
    // The code closes the item, so the last bracket pair holds it even when the description has
    // brackets of its own ("Ventas (contado) (A1)").
    const qsizetype open = item.lastIndexOf(QLatin1Char('('));
    const qsizetype close = open < 0 ? -1 : item.indexOf(QLatin1Char(')'), open);
    if (close < 0)
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
