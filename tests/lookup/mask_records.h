#pragma once

#include "core/query_masks.h"

#include <QByteArray>
#include <QFile>
#include <initializer_list>

namespace lookup_testing {

// A query-mask record as the file holds it: every field cut or padded with blanks to its width.
inline QByteArray maskRecord(const QByteArray &table, const QByteArray &columns,
                             const QByteArray &condition = {})
{
    namespace layout = core::query_mask_record;
    return QByteArray("PRUEBA").leftJustified(layout::TitleWidth, ' ', true)
        + table.leftJustified(layout::TableWidth, ' ', true)
        + columns.leftJustified(layout::ColumnListWidth, ' ', true)
        + condition.leftJustified(layout::ConditionWidth, ' ', true) + "\r\n";
}

// Writes the records to the file, replacing it or appending to it.
inline bool writeMaskRecords(const QString &path, std::initializer_list<QByteArray> records,
                             QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile file(path);
    if (!file.open(mode))
        return false;
    for (const QByteArray &record : records)
        file.write(record);
    return true;
}

} // namespace lookup_testing
