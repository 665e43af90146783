#include "platform/db/embedded/grouped_sum_cache.h"

#include "platform/db/embedded/column_types.h"
#include "platform/db/embedded/sql_server_functions.h"

#include <algorithm>

namespace platform::db::embedded {

namespace {

// A run keeps one range per period, unit or centre and statement shape; a connection that
// keeps reading new ranges starts over rather than holding them all. A range that would take
// the kept rows past their budget is not kept: its later statements run alone, as they would
// without the kept rows, instead of reading the range again each time.
constexpr qsizetype rangeLimit = 256;
constexpr qsizetype rowBudget = 500'000;

} // namespace

KeptRange::KeptRange(FetchedRows rows, const GroupedSumShape &shape)
    : m_rows(std::move(rows)), m_readsTextBounds(shape.readsTextBounds)
{
    if (!m_readsTextBounds || m_rows.columns.size() < 2)
        return;
    const qsizetype least = m_rows.columns.size() - 2;
    for (QVector<QVariant> &row : m_rows.rows) {
        m_mixedTexts = m_mixedTexts || row[least] != row[least + 1];
        row.resize(least);
    }
    m_rows.columns.resize(least);
    m_rows.typedByDeclaration.resize(least);
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

std::optional<RowSet> KeptRange::answer(const GroupedSumShape &shape, bool accentSensitive) const
{
    if (shape.readsTextBounds != m_readsTextBounds || m_mixedTexts
        || shape.accountColumn >= m_rows.columns.size()
        || shape.sideColumn >= m_rows.columns.size())
        return std::nullopt;
    if (!holdsText(shape.accountColumn) || (shape.sideColumn >= 0 && !holdsText(shape.sideColumn)))
        return std::nullopt;
    const Literals literals{shape.account.toUtf8(), shape.side.toUtf8()};
    QVector<QVector<QVariant>> rows;
    for (qsizetype i = 0; i < m_rows.rows.size(); ++i) {
        if (passes(i, shape, literals, accentSensitive))
            rows.append(m_rows.rows[i]);
    }
    return typedRowSet(m_rows, std::move(rows));
}

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
    if (m_ranges.size() >= rangeLimit)
        clearRanges();
    if (range && m_keptRows + range->rowCount() > rowBudget)
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
