#pragma once

#include "platform/db/embedded/grouped_sum_shape.h"
#include "platform/db/embedded/rowset_reader.h"
#include "platform/db/embedded/sqlite_database.h"

#include <QHash>
#include <functional>
#include <memory>

namespace platform::db::embedded {

// The rows of one range statement, and the answer to each statement of its shape.
class KeptRange
{
public:
    // rows: the range statement's, with the text bounds last when the shape reads them.
    KeptRange(FetchedRows rows, const GroupedSumShape &shape);

    // The columns of the statement itself, as it would type them, or nothing when it fails.
    using StatementColumns = std::function<std::optional<FetchedRows>()>;

    // The statement's own rows, or nothing when the kept rows cannot tell them: a group of
    // texts that only the collation makes one may pass a prefix test in part.
    std::optional<RowSet> answer(const GroupedSumShape &shape, bool accentSensitive,
                                 const StatementColumns &statementColumns) const;
    qsizetype rowCount() const { return m_rows.rows.size(); }

private:
    const QVector<std::optional<QByteArray>> &textsOf(int column) const;
    bool holdsText(int column) const;
    bool holdsMoney(int column) const;
    struct Literals
    {
        QByteArray account;
        QByteArray side;
    };
    bool passes(qsizetype row, const GroupedSumShape &shape, const Literals &literals,
                bool accentSensitive) const;
    std::optional<RowSet> mergedByPrefix(const GroupedSumShape &shape, const Literals &literals,
                                         bool accentSensitive,
                                         const StatementColumns &statementColumns) const;

    FetchedRows m_rows;
    mutable QHash<int, QVector<std::optional<QByteArray>>> m_texts;
    bool m_readsTextBounds;
    qsizetype m_boundedColumns;
    bool m_mixedTexts = false; // in the account column
    QVector<bool> m_oneText; // of each row, in every bounded column
};

// The range rows a connection has read, kept until the rows they were read from may have
// changed: by another connection's commit, a write of this one to a table they read, a
// rollback, or a change of the schema.
class GroupedSumCache
{
public:
    // A run keeps one range per period, unit or centre and statement shape; a connection that
    // keeps reading new ranges starts over rather than holding them all. A range that would
    // take the kept rows past their budget is not kept: its later statements run alone, as they
    // would without the kept rows, instead of reading the range again each time.
    static constexpr qsizetype defaultRowBudget = 500'000;
    static constexpr qsizetype defaultRangeLimit = 256;
    explicit GroupedSumCache(qsizetype rowBudget = defaultRowBudget,
                             qsizetype rangeLimit = defaultRangeLimit);

    // Forgets every range when the database moved since the ranges were read.
    void forgetIfChanged(const ChangeMark &mark);
    // Nullptr with found set for a range statement that failed or was too large to keep: its
    // statements run alone.
    const KeptRange *find(const QString &rangeStatement, bool &found) const;
    // Kept as failed, or too large to keep, when range is null or over the budget.
    void keep(const QString &rangeStatement, std::unique_ptr<KeptRange> range);
    void clear();

private:
    void clearRanges();

    const qsizetype m_rowBudget;
    const qsizetype m_rangeLimit;
    QHash<QString, std::shared_ptr<const KeptRange>> m_ranges;
    qsizetype m_keptRows = 0;
    std::optional<ChangeMark> m_mark;
};

} // namespace platform::db::embedded
