#pragma once

#include "platform/db/connection.h"
#include "scripted_dialogs.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

namespace data {
class DB_Dll;
}

namespace core_testing {

// The error log goes to a temporary folder of its own, the clock stands still and every box is
// scripted.
class ErrorLogTest : public ::testing::Test
{
protected:
    static const QDateTime FixedNow; // 5 March 2026, 14:07:09

    void SetUp() override;
    void TearDown() override;

    // The lines of the error log, without their CR LF; none when it does not exist.
    QStringList logLines() const;
    QString tempFolder() const { return m_tempFolder.path(); }
    // Expects the log to hold one line: an error of the routine that no one was asked about,
    // its message beginning with "Ha ocurrido el Siguiente Error (" and numberStart.
    void expectOneUnansweredLine(const QString &routine, const QString &numberStart = {}) const;

    testing_support::ScriptedDialogs dialogs;

private:
    QTemporaryDir m_tempFolder;
    QByteArray m_previousTmpDir;
    QByteArray m_previousRuntimeDir;
    QByteArray m_previousDataHome;
};

// Adds the program's two connections on fresh embedded databases of their own: the main one
// with the suite's tables and no rows, and the statistics one with its configuration table.
class CoreDatabaseTest : public ErrorLogTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Statements and single values on the test's own connections, beside the program's.
    void runOnMain(const QString &sql);
    void runOnStatistics(const QString &sql);
    QVariant valueOnMain(const QString &sql);
    QVariant valueOnStatistics(const QString &sql);

    // The data class logs its own errors beside the global module's log, not in the program
    // folder.
    void openProgramConnection(data::DB_Dll &db, const QString &database);
    static void closeProgramConnection(data::DB_Dll &db);

private:
    QTemporaryDir m_dataFolder;
    std::shared_ptr<platform::db::Connection> m_main;
    std::shared_ptr<platform::db::Connection> m_statistics;
};

} // namespace core_testing
