#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QListWidget;

// The filter lists of a statistic run, built from the selected items of the window's voucher,
// business-unit and cost-centre lists. Every item reads "Description (CODE)".
namespace statistics {

struct ListItem
{
    QString text;
    bool selected = false;
};

QList<ListItem> listItems(const QListWidget &list);

// The selected items of one of the lists, as a definition keeps them.
struct CodeSelection
{
    // The selected codes as a definition stores them, in list order: 'A1','B2'; empty for none.
    QString stored;
    // Every item of the list was selected, which the report's parameter line shows as "all".
    // Only a selection taken from a list knows it; a stored one does not.
    bool everyItem = false;

    // The codes of the stored list, each as cut from its item.
    QStringList codes() const;
};

CodeSelection selectionOf(const QList<ListItem> &items);

// How the codes of a list are written into the list.
enum class CodeForm {
    AsCut, // voucher types
    FixedWidth4, // business units and cost centres, as the suite stores them
};

struct FilterList
{
    // The selected codes in list order, each quoted for SQL and separated by commas
    // ("'01','02'"); empty when nothing is selected.
    QString codes;
    // What the report's parameter line shows: the word for "all" when every item or none is
    // selected, otherwise the codes.
    QString display;
};

FilterList buildFilterList(const CodeSelection &selection, CodeForm form, const QString &allWord);
FilterList buildFilterList(const QList<ListItem> &items, CodeForm form, const QString &allWord);

// The cost-centre list of a run that does not group by cost centre.
FilterList unusedFilterList(const QString &allWord);

} // namespace statistics
