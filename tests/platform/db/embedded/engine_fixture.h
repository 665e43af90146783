#pragma once

#include "platform/db/connection.h"
#include "platform/db/recordset.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A data folder of its own for each test, named by RP_PANELCTA_DATOS, holding an empty
// database PRUEBA that the connection opens as the login "prueba" (password "x").
class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    static QString connectionString(const QString &database = QStringLiteral("PRUEBA"));
    void createDatabaseFile(const QString &name) const;
    // A login of the test's server.
    void addLogin(const QString &name, const QString &password) const;

    // Runs a batch that must succeed.
    void run(const QString &sql);
    // Runs a batch that must fail, and returns the number it raised.
    std::int32_t failureOf(const QString &sql);
    // Runs an operation that must raise, and returns the number it raised.
    static std::int32_t failureOf(const std::function<void()> &operation);
    // The native numbers in the connection's Errors collection, in order.
    QVector<std::int32_t> nativeErrors() const;
    // A value as the program shows it: amounts to four decimals, dates as ISO days.
    static QString shown(const QVariant &value);
    // The first column of every row of a query, shown.
    QStringList column(const QString &sql);
    QVariant scalar(const QString &sql);

    QTemporaryDir m_folder;
    std::shared_ptr<platform::db::Connection> m_connection;
};
