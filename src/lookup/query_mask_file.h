#pragma once

#include <QString>

namespace lookup {

// One record of the query-mask file "consultas.tvc", its five fixed-width fields as stored
// (padding included), so one record can be read into the same buffer search after search.
struct RegistroMascara
{
    QString title;
    QString table;
    QString columnList;
    QString condition;
    QString lineEnd;

    // Splits a record's text at the field widths of the file.
    static RegistroMascara fromRecordText(const QString &text);

    // The name the record is found by: the table field up to its first byte 0 or 255, trimmed.
    QString tableName() const;
    // The SELECT list: the columns written between bars, joined by commas; "*" when the record
    // names none.
    QString selectList() const;
    // The fixed condition, without the word WHERE; empty when the record has none.
    QString fixedCondition() const;
};

// Reads the query-mask file record after record into mask and stops at the first record whose
// table name equals the name (both trimmed, case ignored); later duplicates are never reached.
// False when no record matches or no file exists at the path. Raises platform::Error when the
// file is there but cannot be read.
bool findQueryMask(const QString &path, const QString &tableName, RegistroMascara &mask);

} // namespace lookup
