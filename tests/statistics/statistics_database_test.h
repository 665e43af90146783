#pragma once

#include "core_database_test.h"

#include <QStringList>

namespace statistics_testing {

// A fresh main database with the suite's tables and no rows, the program's connection open on
// it; every box is scripted.
class StatisticsDatabaseTest : public core_testing::CoreDatabaseTest
{
protected:
    // Every row of the query, its columns joined by "|" (Null as "NULL").
    QStringList rowsOf(const QString &sql);

    // The demo's sample rows with a journal of that many lines, under the Spanish (Argentina)
    // regional settings the window's texts are written for.
    void insertSampleRows(int journalLines);
};

} // namespace statistics_testing
