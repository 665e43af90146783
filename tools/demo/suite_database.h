#pragma once

#include <QDate>
#include <QString>
#include <cstdint>

namespace platform::db {
class Connection;
}

// Databases of the suite on the embedded engine, made through the engine itself: the demo
// database of the program and the fixtures of its tests. Every failure raises platform::Error
// as the engine reports it.
namespace demo {

// The users of the sample data, each a login of the embedded server with its password.
struct SuiteUser
{
    QString name;
    QString password;
    bool administrator = false;
};
const SuiteUser &administratorUser();
const SuiteUser &operatorUser();

// The program's connection string for a database of the embedded engine.
QString connectionString(const QString &database, const SuiteUser &user = administratorUser());

// Gives the server the users' logins it lacks, as its installer does.
void registerLogins();

// Creates an empty database of that name in the data folder (and the folder itself when it is
// missing), after giving the server the users' logins it lacks. Fails with 1801 when the
// database exists.
void createDatabase(const QString &name);

// Creates the suite's tables, views and indexes in the connection's current database.
void createSchema(platform::db::Connection &connection);

struct SampleOptions
{
    int journalLines = 4000;
    std::uint64_t seed = 1;
    QDate firstDay{2023, 1, 1}; // the journal covers two years from this day
};

// Fills a database that has the suite's schema and no rows with the sample data: masters,
// configuration, users, statistic definitions and a journal of options.journalLines lines.
// The same options always give the same rows. Runs in one transaction: on a failure nothing
// stays written.
void insertSampleData(platform::db::Connection &connection, const SampleOptions &options = {});

struct SuiteOptions
{
    bool sampleData = true;
    SampleOptions sample;
};

// Creates the database, its schema and (unless switched off) its sample data; returns the
// connection string of the administrator user.
QString createSuiteDatabase(const QString &name, const SuiteOptions &options = {});

// The last day the journal of the options covers.
QDate lastJournalDay(const SampleOptions &options);

} // namespace demo
