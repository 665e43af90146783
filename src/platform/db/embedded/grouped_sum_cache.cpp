#include "platform/db/embedded/grouped_sum_cache.h"

#include "platform/db/embedded/column_types.h"
#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/stored_money.h"
#include "platform/variant.h"

#include <algorithm>
#include <cstdlib>

namespace platform::db::embedded {

KeptRange::KeptRange(FetchedRows rows, const GroupedSumShape &shape)
    : m_rows(std::move(rows)), m_readsTextBounds(shape.readsTextBounds),
      m_boundedColumns(shape.boundedColumns.size())
{
    const qsizetype bounds = m_rows.columns.size() - 2 * m_boundedColumns;
    if (bounds < 0)
        m_boundedColumns = -1; // answers no statement
    if (m_boundedColumns <= 0)
        return;
    m_oneText.reserve(m_rows.rows.size());
    for (QVector<QVariant> &row : m_rows.rows) {
        m_mixedTexts = m_mixedTexts || row[bounds] != row[bounds + 1];
        bool oneText = true;
        for (qsizetype i = bounds; i < row.size(); i += 2)
            oneText = oneText && row[i] == row[i + 1];
        m_oneText.append(oneText);
        row.resize(bounds);
    }
    m_rows.columns.resize(bounds);
    m_rows.typedByDeclaration.resize(bounds);
}

const QVector<std::optional<QByteArray>> &KeptRange::textsOf(int column) const
{
    auto found = m_texts.find(column);
    if (found != m_texts.end())
        return *found;
    QVector<std::optional<QByteArray>> texts;
    texts.reserve(m_rows.rows.size());
    for (const QVector<QVariant> &row : std::as_const(m_rows.rows)) {
        const QVariant &value = row[column];
        if (value.isNull())
            texts.append(std::nullopt);
        else
            texts.append(value.toString().toUtf8());
    }
    return *m_texts.insert(column, std::move(texts));
}

// The tests compare texts under the collation; a number compared with a text literal compares
// as a number, as its statement alone does.
bool KeptRange::holdsText(int column) const
{
    if (m_rows.typedByDeclaration[column])
        return isTextType(m_rows.columns[column].type);
    return std::all_of(m_rows.rows.cbegin(), m_rows.rows.cend(), [&](const QVector<QVariant> &row) {
        return row[column].isNull() || row[column].typeId() == QMetaType::QString;
    });
}

bool KeptRange::holdsMoney(int column) const
{
    return m_rows.typedByDeclaration[column] && m_rows.columns[column].type == adCurrency;
}

bool KeptRange::passes(qsizetype row, const GroupedSumShape &shape, const Literals &literals,
                       bool accentSensitive) const
{
    const std::optional<QByteArray> &account = textsOf(shape.accountColumn)[row];
    if (!account)
        return false;
    const bool accountPasses = shape.prefixLength > 0
        ? prefixEqualsUtf8(*account, shape.prefixLength, literals.account, accentSensitive)
        : compareUtf8(*account, literals.account, accentSensitive) == 0;
    if (!accountPasses)
        return false;
    if (shape.sideColumn < 0)
        return true;
    const std::optional<QByteArray> &side = textsOf(shape.sideColumn)[row];
    return side && compareUtf8(*side, literals.side, accentSensitive) == 0;
}

std::optional<RowSet> KeptRange::answer(const GroupedSumShape &shape, bool accentSensitive,
                                        const StatementColumns &statementColumns) const
{
    if (shape.readsTextBounds != m_readsTextBounds
        || shape.boundedColumns.size() != m_boundedColumns || m_mixedTexts
        || shape.accountColumn >= m_rows.columns.size()
        || shape.sideColumn >= m_rows.columns.size())
        return std::nullopt;
    if (!holdsText(shape.accountColumn) || (shape.sideColumn >= 0 && !holdsText(shape.sideColumn)))
        return std::nullopt;
    const Literals literals{shape.account.toUtf8(), shape.side.toUtf8()};
    if (shape.mergesByPrefix)
        return mergedByPrefix(shape, literals, accentSensitive, statementColumns);
    QVector<QVector<QVariant>> rows;
    for (qsizetype i = 0; i < m_rows.rows.size(); ++i) {
        if (passes(i, shape, literals, accentSensitive))
            rows.append(m_rows.rows[i]);
    }
    return typedRowSet(m_rows, std::move(rows));
}

namespace {

using Text = std::optional<QByteArray>;

// Null first, as a grouping orders them.
int compareTexts(const Text &left, const Text &right, bool accentSensitive)
{
    if (!left || !right)
        return int(bool(left)) - int(bool(right));
    return compareUtf8(*left, *right, accentSensitive);
}

// Money sums the engine hands over as they are; a statement fails on any other.
bool exactMoney(const QVariant &value)
{
    return value.isNull() || (isCurrency(value) && keptExactly(value.value<Currency>().scaled));
}

bool addMoney(QVariant &sum, const QVariant &value)
{
    if (!exactMoney(value))
        return false;
    if (sum.isNull()) {
        sum = value; // Null until a value comes, as a sum of Nulls is
        return true;
    }
    if (!value.isNull())
        sum = currencyVariant(sum.value<Currency>() + value.value<Currency>());
    return exactMoney(sum);
}

struct MergedGroup
{
    QVector<QVariant> row;
    QVector<Text> keys;
};

} // namespace

// The statement groups by the prefix what the range groups by the whole account: its groups
// are the passing range groups with one prefix and the same other keys, added up. Where texts
// that the collation takes for one differ, the statement's group shows one of them, which
// the kept rows cannot tell: the statement then runs alone. Compared without regard to
// accents, so that a column of the other collation is no exception.
std::optional<RowSet> KeptRange::mergedByPrefix(const GroupedSumShape &shape,
                                                const Literals &literals, bool accentSensitive,
                                                const StatementColumns &statementColumns) const
{
    const DataType accountType = m_rows.columns[shape.accountColumn].type;
    if (accountType == adChar || accountType == adWChar) // kept blank-padded
        return std::nullopt;
    if (!std::all_of(shape.otherGroupedColumns.begin(), shape.otherGroupedColumns.end(),
                     [&](int column) { return holdsText(column); })
        || !std::all_of(shape.sumColumns.begin(), shape.sumColumns.end(),
                        [&](int column) { return holdsMoney(column); }))
        return std::nullopt;
    std::optional<QByteArray> prefix;
    QVector<MergedGroup> groups;
    for (qsizetype i = 0; i < m_rows.rows.size(); ++i) {
        if (!passes(i, shape, literals, accentSensitive))
            continue;
        const QByteArrayView rowPrefix
            = utf8Prefix(*textsOf(shape.accountColumn)[i], shape.prefixLength);
        if (!m_oneText[i] || (prefix && *prefix != rowPrefix))
            return std::nullopt;
        prefix = rowPrefix.toByteArray();
        QVector<Text> keys;
        for (int column : shape.otherGroupedColumns)
            keys.append(textsOf(column)[i]);
        auto group = std::find_if(groups.begin(), groups.end(), [&](const MergedGroup &group) {
            for (qsizetype k = 0; k < keys.size(); ++k) {
                if (compareTexts(keys[k], group.keys[k], false) != 0)
                    return false;
            }
            return true;
        });
        if (group == groups.end()) {
            groups.append({m_rows.rows[i], keys});
            for (int column : shape.sumColumns) {
                if (!exactMoney(m_rows.rows[i][column]))
                    return std::nullopt;
            }
            continue;
        }
        if (group->keys != keys)
            return std::nullopt;
        for (int column : shape.sumColumns) {
            if (!addMoney(group->row[column], m_rows.rows[i][column]))
                return std::nullopt;
        }
    }
    std::sort(groups.begin(), groups.end(), [&](const MergedGroup &left, const MergedGroup &right) {
        for (qsizetype k = 0; k < left.keys.size(); ++k) {
            if (const int order = compareTexts(left.keys[k], right.keys[k], accentSensitive))
                return order < 0;
        }
        return false;
    });
    std::optional<FetchedRows> columns = statementColumns();
    if (!columns || columns->columns.size() != m_rows.columns.size()
        || !std::all_of(shape.sumColumns.begin(), shape.sumColumns.end(), [&](int column) {
               return columns->typedByDeclaration[column]
                   && columns->columns[column].type == adCurrency;
           }))
        return std::nullopt;
    QVector<QVector<QVariant>> rows;
    rows.reserve(groups.size());
    for (MergedGroup &group : groups) {
        group.row[shape.accountColumn] = QString::fromUtf8(*prefix);
        rows.append(std::move(group.row));
    }
    return typedRowSet(*columns, std::move(rows));
}

GroupedSumCache::GroupedSumCache(qsizetype rowBudget, qsizetype rangeLimit)
    : m_rowBudget(rowBudget), m_rangeLimit(rangeLimit)
{ }

void GroupedSumCache::forgetIfChanged(const ChangeMark &mark)
{
    if (m_mark != mark)
        clearRanges();
    m_mark = mark;
}

const KeptRange *GroupedSumCache::find(const QString &rangeStatement, bool &found) const
{
    const auto range = m_ranges.constFind(rangeStatement);
    found = range != m_ranges.cend();
    return found ? range->get() : nullptr;
}

void GroupedSumCache::keep(const QString &rangeStatement, std::unique_ptr<KeptRange> range)
{
    if (m_ranges.size() >= m_rangeLimit)
        clearRanges();
    if (range && m_keptRows + range->rowCount() > m_rowBudget)
        range.reset();
    m_keptRows += range ? range->rowCount() : 0;
    m_ranges.insert(rangeStatement, std::move(range));
}

void GroupedSumCache::clear()
{
    clearRanges();
    m_mark.reset();
}

void GroupedSumCache::clearRanges()
{
    m_ranges.clear();
    m_keptRows = 0;
}

} // namespace platform::db::embedded
