#pragma once

#include "data/db_dll.h"
#include "data/services.h"
#include "scripted_dialogs.h"

#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <vector>

namespace data_testing {

// The values a connection dialog shows or is given back.
struct ConnectionValues
{
    QString dbName;
    QString servidor;
    QString usuario;
    QString password;
    int plataforma = 0;
    bool operator==(const ConnectionValues &) const = default;
};

// Answers every connection dialog from a queue: each answer accepts the given values, or
// cancels. Records what each dialog showed when it opened.
class ScriptedConnectionDialogs
{
public:
    ScriptedConnectionDialogs();
    ~ScriptedConnectionDialogs();

    void accept(const ConnectionValues &values) { m_answers.push_back(values); }
    void cancel() { m_answers.push_back(std::nullopt); }

    const std::vector<ConnectionValues> &shown() const { return m_shown; }

private:
    std::deque<std::optional<ConnectionValues>> m_answers;
    std::vector<ConnectionValues> m_shown;
};

// Every test works in a folder of its own: the embedded engine's databases, the program folder
// and the user's own folder (for TVERR.LOG) all live there. The program-wide instances start
// afresh, the clock stands still and every box is scripted.
class DataTest : public ::testing::Test
{
protected:
    DataTest();
    ~DataTest() override;

    static QDateTime fixedNow() { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); }

    // An empty database of the embedded engine.
    void createDatabase(const QString &name);
    // A login of the embedded server; "sa" (password "x") is there.
    void addLogin(const QString &name, const QString &password);
    static QString embeddedConnectionString(const QString &database,
                                            const QString &provider = QStringLiteral("SQLOLEDB"));
    // Opens db on the embedded database through OpenServerADODB, quietly, as a login of that
    // name with the password "x".
    void openEmbedded(data::DB_Dll &db, const QString &database = QStringLiteral("PRUEBA"),
                      const QString &user = QStringLiteral("sa"));
    // Opens gDB() with an Oracle provider on the embedded engine.
    void openEmbeddedAsOracle(data::DB_Dll &db);

    // Straight on the connection, bypassing the class under test.
    void execute(const QString &sql, data::DB_Dll &db = data::gDB());
    QVariant scalar(const QString &sql, data::DB_Dll &db = data::gDB());

    QString logPath() const;
    QStringList logLines() const;

    QTemporaryDir m_folder;
    testing_support::ScriptedDialogs m_dialogs;
    ScriptedConnectionDialogs m_connectionDialogs;
};

void resetInstance(data::DB_Dll &db);

} // namespace data_testing
