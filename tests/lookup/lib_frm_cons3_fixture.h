#pragma once

#include "../data/qt_printers.h"
#include "core_database_test.h"
#include "lookup/lib_frm_cons3.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace list_dialog_testing {

// The main database with the few master tables the list dialog is tried on, the program
// folder (where the column-width file lives) in a temporary folder, a fixed screen width and
// Spanish (Argentina) regional settings.
class ListDialogTest : public core_testing::CoreDatabaseTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh dialog with the members the service would set, loaded on the statement.
    std::unique_ptr<lookup::Lib_FrmCons3>
    loaded(const QString &sql,
           const std::function<void(lookup::Lib_FrmCons3 &)> &configure = {}) const;

    // Shows the dialog modally and runs the script while it is shown; true when the dialog hid
    // itself (accept or cancel) by the end of the script.
    bool whileShown(lookup::Lib_FrmCons3 &dialog, const std::function<void()> &script);

    static QStringList headers(lookup::Lib_FrmCons3 &dialog);
    static QStringList columnValues(lookup::Lib_FrmCons3 &dialog, int column);
    static QList<bool> checkMarks(lookup::Lib_FrmCons3 &dialog);
    static int selectedRow(lookup::Lib_FrmCons3 &dialog);

    // The width in twips of a column of that many letters, as the dialog measures it.
    static double lettersWidth(const lookup::Lib_FrmCons3 &dialog, int letters);

    QString programFolder() const { return m_home.path(); }
    QString widthFilePath() const;
    // Writes the column-width file in the program folder: each line ends in CR LF.
    void writeWidthFile(const QStringList &lines) const;
    QByteArray widthFileBytes() const;

private:
    QTemporaryDir m_home;
    QByteArray m_previousHome;
};

} // namespace list_dialog_testing
