#pragma once

#include "platform/error.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <gtest/gtest.h>

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_old;
};

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
