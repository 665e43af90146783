#include "data/db_dll.h"
#include "platform/steps.h"

namespace data {

namespace {

// Walks a catalog rowset for a row whose column holds the name, trimmed and in any letter case.
// Errors are reported through the main instance, whose answer decides as everywhere.
bool catalogLists(const std::function<platform::db::Recordset()> &openRowset, const QString &column,
                  const QString &name)
{
    bool found = false;
    platform::db::Recordset rowset;
    platform::StepRunner::run(
        {
            [&] { rowset = openRowset(); },
            [&] {
                for (; !rowset.eof(); rowset.moveNext()) {
                    if (rowset.field(column).value().toString().trimmed().compare(
                            name.trimmed(), Qt::CaseInsensitive)
                        == 0) {
                        found = true;
                        return;
                    }
                }
            },
        },
        [](const platform::Error &error, int) {
            return platform::resumeForAnswer(
                gDB().TratamientoErrores(error, std::nullopt, QStringLiteral("VerificaCampos")));
        });
    return found;
}

} // namespace

bool DB_Dll::ExisteTablaDB(const QString &Tabla)
{
    return catalogLists([this] { return gCnn->openSchema(platform::db::adSchemaTables); },
                        QStringLiteral("TABLE_NAME"), Tabla);
}

bool DB_Dll::ExisteCampoDB(const QString &Tabla, const QString &Campo)
{
    // An Oracle catalog is not asked: every column is taken as present.
    if (m_oracle)
        return true;
    return catalogLists(
        [this, &Tabla] {
            return gCnn->openSchema(platform::db::adSchemaColumns,
                                    {gDBName, QVariant(), Tabla, QVariant()});
        },
        QStringLiteral("COLUMN_NAME"), Campo);
}

void DB_Dll::AddField(const QString &Tabla, const QString &Campo, const QString &Tipo,
                      bool PermiteNulos, const QVariant &ValorDefault)
{
    const QString nullability
        = PermiteNulos ? QStringLiteral(" Null ") : QStringLiteral(" Not Null ");
    const QString defaultClause = ValorDefault.isValid() ? QStringLiteral(" CONSTRAINT DF_")
            + Tabla.trimmed() + QStringLiteral("_") + Campo.trimmed() + QStringLiteral(" DEFAULT (")
            + ValorDefault.toString() + QStringLiteral(")")
                                                         : QString();
    EjecutaConsultaSQL(QStringLiteral("ALTER TABLE dbo.") + Tabla + QStringLiteral(" ADD ") + Campo
                       + QStringLiteral(" ") + Tipo + nullability + defaultClause);
}

bool DB_Dll::VerCampoDB(const QString &Tabla, const QString &Campo, bool Agregar,
                        const QString &Tipo, bool PermiteNulos, const QVariant &ValorDefault)
{
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar)
        AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    return true;
}

} // namespace data
