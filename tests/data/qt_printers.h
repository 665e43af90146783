#pragma once

#include <QString>
#include <QVariant>
#include <ostream>

// Readable failure messages for the Qt values the data tests compare.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QVariant &value, std::ostream *out)
{
    *out << (value.isValid() ? value.typeName() : "Empty") << ' ';
    PrintTo(value.toString(), out);
}
