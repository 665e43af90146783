#pragma once

#include <QString>
#include <QVariant>

// The rules of the list dialog that depend on texts and numbers alone.
namespace lookup::list_rules {

// The statement of a server-side search: the current statement narrowed by one more condition
// on a search box's field, in front of its trailing grouping or ordering part.
struct NarrowedSearch
{
    QString statement;
    QString base; // the statement without its trailing part, as the search left it
    QString tail; // the trailing "group by" or "order by" part, "" when there is none
    QString boxText; // the box's text as the search shows it ("*" turned into "%" by prefix)
};

// sql is the current statement, base the part of it that ends before its trailing grouping or
// ordering (the whole statement unless an earlier search cut it). With anywhere set the text
// is searched anywhere in the field, its blanks standing for any characters; otherwise the
// field must start with it, "*" standing for any characters. A quote in the text is doubled.
NarrowedSearch narrowSearch(const QString &sql, const QString &base, const QString &field,
                            const QString &text, bool anywhere);

// A quantity cell read as the number it starts with: blanks, tabs and line feeds are ignored
// wherever they stand, "." is the decimal point, no digits give 0.
double readQuantity(const QString &cell);
// A quantity written with the regional decimal separator and the given decimals, no grouping.
QString formatQuantity(double quantity, int decimals);

// The suite's maintenance program for a listed table and the additional parameter it gets.
struct MaintenanceProgram
{
    QString program;
    QString parameter;
};
MaintenanceProgram maintenanceProgramFor(const QString &table);

// The row colour of an article row by its reorder point and stock; levels 1 to 4 as the stock
// states are numbered.
int stockLevel(double reorderPoint, double stock);

// The statement that reports an article as a stock shortage.
QString shortageStatement(const QString &dateTime, const QString &fittedCode,
                          const QString &description, const QString &user);

} // namespace lookup::list_rules
