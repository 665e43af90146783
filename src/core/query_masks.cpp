#include "core/query_masks.h"

#include "core/error_reporter.h"
#include "platform/legacy_files.h"
#include "platform/steps.h"

#include <array>

namespace core {

namespace {

namespace layout = query_mask_record;

struct DefaultMask
{
    const char *title;
    const char *table;
    const char *columns; // the first column is the default search and sort column
};

// The masks of the suite's common lookups. The table name is stored as written here, blanks and
// all; the other texts are trimmed.
constexpr std::array<DefaultMask, 11> DefaultMasks = {{
    {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|"},
    {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|"},
    {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|"},
    {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
    {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|"},
    {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|"},
    {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|"},
    {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|"},
    {"TAREAS", "V_TA_Tareas  ", "|Descripcion|IdTarea| "},
    {"UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|"},
    {"DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|"},
}};

QString fixedWidth(const QString &text, int width)
{
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

QString recordText(const DefaultMask &mask)
{
    return fixedWidth(QString::fromLatin1(mask.title).trimmed(), layout::TitleWidth)
        + fixedWidth(QString::fromLatin1(mask.table), layout::TableWidth)
        + fixedWidth(QString::fromLatin1(mask.columns).trimmed(), layout::ColumnListWidth)
        + fixedWidth(QString(), layout::ConditionWidth) + QStringLiteral("\r\n");
}

} // namespace

void DefinirConsultas(const QString &RutaMascaraConsultas)
{
    platform::RecordFile file(RutaMascaraConsultas, layout::Length);
    // Fixed before the first write, so that writing again after a failure fills the same
    // records instead of appending a second set.
    const int recordsBefore = file.count();
    platform::StepRunner::run(
        {
            [&] {
                int recordNumber = recordsBefore;
                for (const DefaultMask &mask : DefaultMasks)
                    file.writeText(++recordNumber, recordText(mask));
            },
        },
        [](const platform::Error &error, int) {
            return platform::resumeForAnswer(
                MensajeError(error, std::nullopt, QStringLiteral("DefinirConsultas")));
        });
}

} // namespace core
