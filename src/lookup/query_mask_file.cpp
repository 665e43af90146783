#include "lookup/query_mask_file.h"

#include "core/query_masks.h"
#include "platform/legacy_files.h"
#include "platform/text.h"

#include <QFileInfo>

namespace lookup {

namespace {

namespace layout = core::query_mask_record;

// Text fields end at the first byte 0 or 255: older tools of the suite filled them so.
QString upToFieldEnd(const QString &field)
{
    qsizetype end = field.size();
    for (const QChar terminator : {QChar(0x00), QChar(0xFF)}) {
        const qsizetype at = field.indexOf(terminator);
        if (at >= 0 && at < end)
            end = at;
    }
    return field.left(end).trimmed();
}

} // namespace

RegistroMascara RegistroMascara::fromRecordText(const QString &text)
{
    RegistroMascara mask;
    qsizetype offset = 0;
    for (auto [field, width] : {std::pair{&mask.title, layout::TitleWidth},
                                {&mask.table, layout::TableWidth},
                                {&mask.columnList, layout::ColumnListWidth},
                                {&mask.condition, layout::ConditionWidth},
                                {&mask.lineEnd, layout::LineEndWidth}}) {
        *field = text.mid(offset, width);
        offset += width;
    }
    return mask;
}

QString RegistroMascara::tableName() const
{
    return upToFieldEnd(table);
}

QString RegistroMascara::selectList() const
{
    QString list = columnList.trimmed().replace(QLatin1Char('|'), QLatin1Char(','));
    if (list.startsWith(QLatin1Char(',')))
        list.remove(0, 1);
    if (list.endsWith(QLatin1Char(',')))
        list.chop(1);
    return list.isEmpty() ? QStringLiteral("*") : list;
}

QString RegistroMascara::fixedCondition() const
{
    return upToFieldEnd(condition);
}

bool findQueryMask(const QString &path, const QString &tableName, RegistroMascara &mask)
{
    if (!QFileInfo(path).isFile())
        return false;
    const platform::RecordFile file(path, layout::Length);
    const QString wanted = tableName.trimmed();
    const int records = file.count();
    for (int recordNumber = 1; recordNumber <= records; ++recordNumber) {
        mask = RegistroMascara::fromRecordText(file.readText(recordNumber));
        if (platform::equalsIgnoringCase(mask.tableName(), wanted))
            return true;
    }
    return false;
}

} // namespace lookup
