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

// The inverse of the stored form, for every list the store writes: the codes stand between the
// first and the last quote, separated by "','".
QStringList CodeSelection::codes() const
{
    if (stored.size() < 2 || !stored.startsWith(QLatin1Char('\''))
        || !stored.endsWith(QLatin1Char('\'')))
        return {};
    return stored.mid(1, stored.size() - 2).split(QStringLiteral("','"));
}

CodeSelection selectionOf(const QList<ListItem> &items)
{
    QStringList selected;
    for (const ListItem &item : items) {
        if (item.selected)
            selected << item.text;
    }
    return CodeSelection{storedCodeList(selected), selected.size() == items.size()};
}

FilterList buildFilterList(const CodeSelection &selection, CodeForm form, const QString &allWord)
{
    QStringList quoted;
    for (QString code : selection.codes()) {
        if (form == CodeForm::FixedWidth4)
            code = platform::gUtil().FormatoCodigo(code, 4);
        quoted << QLatin1Char('\'') + data::escapeSqlQuotes(code) + QLatin1Char('\'');
    }
    FilterList list;
    list.codes = quoted.join(QLatin1Char(','));
    list.display = selection.everyItem || quoted.isEmpty() ? allWord : list.codes;
    return list;
}

FilterList buildFilterList(const QList<ListItem> &items, CodeForm form, const QString &allWord)
{
    return buildFilterList(selectionOf(items), form, allWord);
}

FilterList unusedFilterList(const QString &allWord)
{
    return FilterList{QString(), allWord};
}

} // namespace statistics
