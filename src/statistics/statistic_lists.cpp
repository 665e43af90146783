#include "statistics/statistic_lists.h"

#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/suite/utilidades.h"

#include <QListWidget>

namespace statistics {

QString listItemText(const QVariant &description, const QVariant &code, CodeText form)
{
    const platform::Utilidades &util = platform::gUtil();
    QString codeText = util.ValorTexto(code);
    if (form == CodeText::Trimmed)
        codeText = codeText.trimmed();
    return util.ValorTexto(description) + QStringLiteral(" (") + codeText + QLatin1Char(')');
}

void fillCodeList(QListWidget &list, const QString &statement, platform::db::Recordset &rows,
                  CodeText form)
{
    list.clear();
    data::gDB().AbrirRecordset(statement, rows);
    if (rows.state() != platform::db::adStateOpen)
        return;
    try {
        for (; !rows.eof(); rows.moveNext())
            list.addItem(listItemText(rows.field(QStringLiteral("Descripcion")).value(),
                                      rows.field(QStringLiteral("Codigo")).value(), form));
    } catch (const platform::Error &) {
        // Left as far as it was filled: see the header.
    }
}

} // namespace statistics
