#pragma once

#include "platform/error.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <gtest/gtest.h>

// The run-time error number a call raises; 0 when it raises none.
template<typename Call>
std::int32_t errorNumberOf(Call &&call)
{
    try {
        call();
    } catch (const platform::Error &error) {
        return error.number();
    }
    return 0;
}

// Writes the bytes as the whole file, as another program of the suite would have left it.
inline void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}
