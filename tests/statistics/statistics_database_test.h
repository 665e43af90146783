#pragma once

#include "child_controls.h"
#include "core_database_test.h"
#include "scripted_dialogs.h"
#include "statistics/breakdown_report.h"

#include <QList>
#include <QString>
#include <QStringList>

class QLineEdit;

namespace statistics {
class MSFlexGrid;
class frm_Estadistica;
} // namespace statistics

namespace statistics_testing {

// Records what the report action hands the breakdown.
class RecordingBreakdown final : public statistics::BreakdownReport
{
public:
    void GeneraAuxiliar(const QString &nombre, const statistics::StatisticDefinition &) override
    {
        computed << nombre;
    }
    void Show() override { ++shown; }
    QStringList computed;
    int shown = 0;
};

using testing_support::child;

// The main window's header field of that index ("txtfields0" to "txtfields2"), and all three.
QLineEdit *headerField(const QWidget &window, int index);
QList<QLineEdit *> headerFields(const QWidget &window);

// The main window's form-level state, which the steps the tests call read and set.
struct FormState
{
    explicit FormState(statistics::frm_Estadistica &window);

    bool &HayError;
    bool &Borrando;
    bool &Nuevo;
    bool &Existe;
    bool &Validando;
    QWidget *&ControlActivo;
    bool &Editando;
    const bool &ModoMenu;
    const QString &NombreTabla;
};

// The definition lines below the grid's header, each its cells joined by "|".
QStringList gridLines(const statistics::MSFlexGrid &grid);

// Fills the group dialog and presses Aceptar or Cancelar, as a user would.
testing_support::ScriptedDialogs::DialogScript answerGroupDialog(const QString &name, int signItem,
                                                                 bool accept);

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

    // Declares MA_PANELCTA anew, empty, its opening-balance box column of the type given, as a
    // table of another program may declare it.
    void redeclareDefinitionTable(const QString &calculasiType);
};

} // namespace statistics_testing
