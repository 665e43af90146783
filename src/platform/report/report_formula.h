#pragma once

#include <QString>
#include <optional>

namespace platform::report {

// A field of the engine's formula language, written "{TABLE.COLUMN}".
struct FieldReference
{
    QString table;
    QString column;

    bool operator==(const FieldReference &) const = default;
};

// One named formula of a report: "name = 'text'" or "name = {TABLE.COLUMN}".
struct NamedFormula
{
    QString name;
    std::optional<QString> text; // a text literal, without its quotes
    std::optional<FieldReference> field; // a field the report groups by
};

// Reads "name = expression". Nothing when the text is no such formula. The whole expression is
// one text literal, so a quote inside it cannot end it early: everything between the first and
// the last quote is the text ("''" still reads as one quote).
std::optional<NamedFormula> parseNamedFormula(const QString &formula);

// The record selection translated to an SQL condition over one table: fields become its
// columns, texts become quoted literals. Supports comparisons (=, <>, <, >, <=, >=) between
// fields, texts and numbers, uppercase() of an operand, AND, OR and parentheses.
struct SelectionCondition
{
    QString sql; // empty when the selection is empty: every row
    QString error; // why the selection could not be translated; empty on success
};
SelectionCondition translateSelection(const QString &selection, const QString &table);

} // namespace platform::report
