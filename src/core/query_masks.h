#pragma once

#include <QString>

namespace core {

// The record of the query-mask file: four text fields padded with blanks and CR LF, in this
// order. The start-up writes it and the lookup service reads it.
namespace query_mask_record {
inline constexpr int TitleWidth = 100;
inline constexpr int TableWidth = 100;
inline constexpr int ColumnListWidth = 500;
inline constexpr int ConditionWidth = 500;
inline constexpr int LineEndWidth = 2;
inline constexpr int Length
    = TitleWidth + TableWidth + ColumnListWidth + ConditionWidth + LineEndWidth;
} // namespace query_mask_record

// Appends the default query masks to the query-mask file at the path, creating it when missing:
// eleven records of 1,202 bytes (title, table, column list, condition, CR LF; Windows-1252,
// blank padded). A file that cannot be written is reported through MensajeError with the
// routine "DefinirConsultas": Retry writes the records again, any other answer goes on without
// them. Never raises, so the start-up goes on.
void DefinirConsultas(const QString &RutaMascaraConsultas);

} // namespace core
