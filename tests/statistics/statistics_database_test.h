#pragma once

#include "core_database_test.h"
#include "scripted_dialogs.h"

#include <QStringList>

namespace statistics_testing {

// Answers the lookup's list dialog with the row whose first column reads choice, or cancels it
// when the choice is empty; the statement the dialog was opened on goes to seenStatement.
testing_support::ScriptedDialogs::DialogScript chooseInList(const QString &choice,
                                                            QString &seenStatement);

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
