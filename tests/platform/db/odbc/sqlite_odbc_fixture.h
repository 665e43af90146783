#pragma once

#include "platform/db/provider.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A fresh SQLite database file reached through the ODBC driver manager and Debian's SQLite
// ODBC driver: the real ODBC path, with a server anyone can run.
class SqliteOdbcTest : public ::testing::Test
{
protected:
    // "DRIVER=...;Database=<file>", by the driver's registered name when it has one.
    QString connectionString() const;

    std::unique_ptr<platform::db::Session> newSession() const;

    QString databaseFile() const;

    // Runs statements that must succeed, one per call as the driver takes them.
    static void run(platform::db::Session &session, std::initializer_list<const char *> statements);

    static QVector<QVector<QVariant>> rowsOf(platform::db::Session &session, const QString &query);

private:
    QTemporaryDir m_folder;
};
