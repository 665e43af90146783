#include "statistics/statistic_filters.h"

#include "data/sql_rewriting.h"
#include "platform/suite/utilidades.h"
#include "statistics/definition_codes.h"

#include <QListWidget>

namespace statistics {

QList<ListItem> listItems(const QListWidget &list)
{
    QList<ListItem> items;
    for (int row = 0; row < list.count(); ++row) {
        const QListWidgetItem *item = list.item(row);
        items << ListItem{item->text(), item->isSelected()};
    }
    return items;
}

FilterList buildFilterList(const QList<ListItem> &items, CodeForm form, const QString &allWord)
{
    QStringList quoted;
    bool everySelected = true;
    for (const ListItem &item : items) {
        if (!item.selected) {
            everySelected = false;
            continue;
        }
        QString code = itemCode(item.text);
        if (form == CodeForm::FixedWidth4)
            code = platform::gUtil().FormatoCodigo(code, 4);
        quoted << QLatin1Char('\'') + data::escapeSqlQuotes(code) + QLatin1Char('\'');
    }
    FilterList list;
    list.codes = quoted.join(QLatin1Char(','));
    list.display = everySelected || quoted.isEmpty() ? allWord : list.codes;
    return list;
}

FilterList unusedFilterList(const QString &allWord)
{
    return FilterList{QString(), allWord};
}

} // namespace statistics
