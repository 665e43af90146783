#include "platform/suite/dialogo_archivo.h"

#include "platform/user_dialogs.h"

#include <QFileDialog>

namespace platform {

namespace {

// "Access |*.MDB|Todos|*.*" as Qt writes name filters: "Access (*.MDB *.mdb)", "Todos (*.*)".
// File names on this system are case-sensitive, so each pattern is offered in both cases.
QStringList nameFiltersOf(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString &variant :
                 {pattern.trimmed(), pattern.trimmed().toLower(), pattern.trimmed().toUpper()})
                if (!patterns.contains(variant))
                    patterns << variant;
        }
        result << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                + QLatin1Char(')');
    }
    return result;
}

} // namespace

void DialogoArchivo::MostrarAbrir()
{
    QFileDialog dialog(nullptr, TituloDialogo);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = nameFiltersOf(Filtro);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    const bool chosen
        = userDialogs().execModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    Cancelado = chosen ? 0 : 1;
    if (chosen)
        NombreArchivo = dialog.selectedFiles().front();
}

} // namespace platform
