#include "platform/suite/dialogo_archivo.h"
#include "scripted_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

TEST(DialogoArchivo, ChosenFileAndCancel)
{
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("contable.mdb"));
    QFile(database).open(QIODevice::WriteOnly);

    testing_support::ScriptedDialogs dialogs;
    QStringList filtersSeen;
    dialogs.onDialog([&](QDialog &dialog) {
        auto &files = static_cast<QFileDialog &>(dialog);
        filtersSeen = files.nameFilters();
        files.selectFile(database);
        return int(QDialog::Accepted);
    });
    DialogoArchivo dlg;
    dlg.TituloDialogo = QStringLiteral("Buscar Base de Datos");
    dlg.Filtro = QStringLiteral("Base de Datos de Microsoft Access |*.MDB");
    dlg.MostrarAbrir();
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Buscar Base de Datos"));
    EXPECT_EQ(filtersSeen,
              QStringList{QStringLiteral("Base de Datos de Microsoft Access (*.MDB *.mdb)")});
    EXPECT_EQ(dlg.Cancelado, 0);
    EXPECT_EQ(dlg.NombreArchivo, database);

    dialogs.onDialog([](QDialog &) { return int(QDialog::Rejected); });
    dlg.MostrarAbrir();
    EXPECT_NE(dlg.Cancelado, 0);
}
