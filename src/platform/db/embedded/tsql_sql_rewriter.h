#pragma once

#include "platform/db/embedded/tsql_statement_text.h"
#include "platform/regional_settings.h"

#include <QHash>
#include <QSet>
#include <functional>
#include <optional>
#include <span>

namespace platform::db::embedded::tsql {

// What the rules need to know while they translate one statement.
struct RewriteContext
{
    std::function<bool(const QString &column)> isDateColumn;
    std::function<bool(const QString &column)> isTextColumn;
    std::function<bool(const QString &column)> isMoneyColumn;
    std::function<bool(const QString &table, const QString &column, const QString &collation)>
        leadsIndex;
    // The column's declared type where every table having it declares the same, else "".
    std::function<QString(const QString &column)> declaredType;
    std::function<bool(const QString &table, const QString &column)> isIdentityColumn;
    DateOrder dateOrder = DateOrder::DayMonthYear;
    QString textCollation;
};

// A statement the translation knows will fail when it runs, with the server's number.
struct StatementFailure
{
    std::int32_t nativeError;
    QString message;
};

// The rules every statement of SQL goes through, whatever its kind: unsupported constructs,
// owner prefixes, table hints, temporary tables, date and text literals, DELETE without
// FROM, and TOP.
class SqlRewriter
{
public:
    SqlRewriter(StatementText &text, const RewriteContext &context);

    // Throws TranslationError for a construct the engine cannot run.
    void run();

    // Replaces a quoted date literal by its canonical form; a text that is no valid date is
    // remembered as the statement's failure.
    void convertDateLiteral(qsizetype index, const QString &value);
    bool isDateColumn(const QString &column) const;

    // The first literal that could not be read as a date, if any.
    const std::optional<QString> &invalidDate() const { return m_invalidDate; }

    const std::optional<StatementFailure> &failure() const { return m_failure; }

    // The positions of the result columns that are money, counted from 0.
    const QVector<int> &moneyResultColumns() const { return m_moneyResultColumns; }

private:
    void rejectUnsupported() const;
    void dropOwnerPrefixes();
    void dropTableHints();
    void renameTempTables();
    void replaceBuiltinNames();
    void mapCollations();
    void spellOutNegatedOperators();
    void rewriteLiterals();
    void guardDivisors();
    void castsToMoney();
    void divideMoneyAsMoney();
    bool isColumnOfType(qsizetype index, std::span<const QStringView> types) const;
    bool isWholeOperand(qsizetype index) const;
    bool holdsFraction(qsizetype from, qsizetype to) const;
    void averageAsTheServer();
    void rejectExplicitIdentity();
    void keepMoneyExact();
    bool isMoneyExpression(qsizetype from, qsizetype to) const;
    bool isComputed(qsizetype from, qsizetype to) const;
    void roundMoneyAssignments();
    void findMoneyResultColumns();
    qsizetype expressionEnd(qsizetype from) const;
    void rewriteString(qsizetype index, const QHash<qsizetype, QString> &insertTargets,
                       const QSet<qsizetype> &assignments);
    QString dateOperandOf(qsizetype index, bool &isComparison,
                          const QSet<qsizetype> &assignments) const;
    QString columnBefore(qsizetype keyword) const;
    QSet<qsizetype> updateAssignments() const;
    bool startsAssignment(qsizetype name) const;
    QHash<qsizetype, QString> insertTargets() const;
    void addInsertTargets(qsizetype insert, QHash<qsizetype, QString> &targets) const;
    void addSelectedTargets(qsizetype select, const QStringList &columns,
                            QHash<qsizetype, QString> &targets) const;
    void addMissingFrom();
    void moveGroupFiltersToWhere();
    void moveGroupFilterToWhere(qsizetype having);
    qsizetype clauseBefore(qsizetype index, QStringView keyword) const;
    qsizetype clauseEnd(qsizetype index) const;
    void convertTop();
    void convertTop(qsizetype top);

    StatementText &m_text;
    const RewriteContext &m_context;
    std::optional<QString> m_invalidDate;
    std::optional<StatementFailure> m_failure;
    QVector<int> m_moneyResultColumns;
};

// SQL Server collation names as the engine's collations; throws for one it has no match for.
QString engineCollation(const QString &name);

bool isComparisonOperator(const Token &token);

} // namespace platform::db::embedded::tsql
