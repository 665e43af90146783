#include "statistics/definition_reader.h"

#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/suite/controles.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "statistics/definition_statements.h"
#include "statistics/statistic_report.h"

namespace statistics {

namespace {

using platform::Step;
using platform::db::Recordset;

// The run-time errors a stored value the window cannot show raises, as its controls would.
constexpr std::int32_t InvalidUseOfNull = 94;
constexpr std::int32_t InvalidPropertyValue = 380;

QString textOf(Recordset &rows, const QString &column)
{
    return platform::gUtil().ValorTexto(rows.field(column));
}

// A stored list position: -1 (what a save of an unselected list writes) selects none; null or
// a position the list lacks is refused.
int storedPosition(Recordset &rows, const QString &column, int entries)
{
    const QVariant value = rows.field(column).value();
    if (value.isNull())
        throw platform::Error(InvalidUseOfNull, QStringLiteral("Uso no válido de Null"));
    const int position = value.toInt();
    if (position < -1 || position >= entries)
        throw platform::Error(InvalidPropertyValue, QStringLiteral("Valor de propiedad no válido"));
    return position;
}

// A stored box value: null clears the box, anything else must read as a truth value.
bool storedBox(Recordset &rows, const QString &column)
{
    if (rows.field(column).value().isNull())
        return false;
    const std::optional<bool> ticked = platform::parseTruthValue(textOf(rows, column));
    if (!ticked)
        throw platform::Error(platform::errors::TypeMismatch,
                              QStringLiteral("No coinciden los tipos"));
    return *ticked;
}

// One character of the stored permissions read as a number; a missing or non-digit one is 0.
// Any non-zero digit a box can show grants the change.
bool permitted(const QString &permissions, int position)
{
    if (position >= permissions.size() || !permissions[position].isDigit())
        return false;
    const int digit = permissions[position].digitValue();
    if (digit > 2)
        throw platform::Error(InvalidPropertyValue, QStringLiteral("Valor de propiedad no válido"));
    return digit != 0;
}

bool isTrue(const QVariant &value)
{
    return !value.isNull() && value.toBool();
}

QString sideCell(const QVariant &value)
{
    return isTrue(value) ? QStringLiteral("S") : QStringLiteral("N");
}

} // namespace

platform::Resume reportLoadError(const platform::Error &error, int)
{
    return platform::resumeForAnswer(platform::gUtil().MuestraError(
        error, platform::Utilidades::EstiloError, QStringLiteral("AsignaCashProyectado")));
}

LoadedDefinition DefinitionReader::read(const QString &name, const QList<HeaderField> &header)
{
    LoadedDefinition loaded;
    StatisticDefinition &definition = loaded.definition;
    definition.header = header;
    Recordset rows;
    bool found = false;
    // A step reads one part; the part counts as read once its step has run.
    const auto part = [&](DefinitionPart read, std::function<void()> step) {
        return Step([&loaded, read, step = std::move(step)] {
            step();
            loaded.parts |= read;
        });
    };
    const platform::Outcome outcome = platform::StepRunner::run(
        {
            [&] {
                m_db.AbrirRecordset(definitionRowsStatement(name), rows, m_db.gCnn,
                                    platform::db::adOpenDynamic, platform::db::adLockReadOnly,
                                    platform::db::adOptionUnspecified, true);
            },
            [&] {
                if (rows.eof()) {
                    loaded.noRows = true;
                    return platform::Flow::Finish;
                }
                found = true;
                return platform::Flow::Next;
            },
            [&] { rows.moveFirst(); },
            part(DefinitionPart::Header,
                 [&] {
                     for (HeaderField &field : definition.header) {
                         if (const std::optional<QString> text
                             = platform::Controles::textForDataField(rows, field.dataField))
                             field.text = *text;
                     }
                 }),
            part(DefinitionPart::Periodicity,
                 [&] {
                     definition.periodicidad = storedPosition(rows, QStringLiteral("PERIODICIDAD"),
                                                              int(periodicityNames().size()));
                 }),
            part(DefinitionPart::Layout,
                 [&] {
                     definition.tipoGrafico = storedPosition(rows, QStringLiteral("TipoGrafico"),
                                                             int(layoutNames().size()));
                 }),
            part(DefinitionPart::Permissions,
                 [&] {
                     const QString permissions = textOf(rows, QStringLiteral("PermiteModificar"));
                     definition.permiteCptes = permitted(permissions, 0);
                     definition.permiteUneg = permitted(permissions, 1);
                     definition.permiteCCostos = permitted(permissions, 2);
                 }),
            part(DefinitionPart::Grouping,
                 [&] {
                     definition.grouping
                         = groupingOfStored(textOf(rows, QStringLiteral("Agrupar")));
                 }),
            part(
                DefinitionPart::MenuAnchor,
                [&] { definition.anclarAlMenu = storedBox(rows, QStringLiteral("anclaralmenu")); }),
            part(DefinitionPart::SwapRowsAndColumns,
                 [&] {
                     definition.invierteFilCol = storedBox(rows, QStringLiteral("InvierteFilCol"));
                 }),
            part(DefinitionPart::IgnoreZeros,
                 [&] { definition.ignoraCeros = storedBox(rows, QStringLiteral("ignoraceros")); }),
            part(DefinitionPart::AccountBreakdown,
                 [&] {
                     definition.aperturaCuentas
                         = storedBox(rows, QStringLiteral("aperturaCuentas"));
                 }),
            part(DefinitionPart::OpeningBalance,
                 [&] { definition.calculaSI = storedBox(rows, QStringLiteral("calculasi")); }),
            part(DefinitionPart::Vouchers,
                 [&] {
                     definition.comprobantes.stored = textOf(rows, QStringLiteral("Comprobantes"));
                 }),
            part(DefinitionPart::BusinessUnits,
                 [&] { definition.unegocios.stored = textOf(rows, QStringLiteral("unegocios")); }),
            part(DefinitionPart::CostCentres,
                 [&] { definition.ccostos.stored = textOf(rows, QStringLiteral("CCostos")); }),
        },
        reportLoadError);
    if (outcome == platform::Outcome::Left || !found)
        return loaded;

    // One line per stored row; a group's text stands only on its first line.
    loaded.parts |= DefinitionPart::Lines;
    QList<GridLine> &lines = definition.lines;
    QString previousGroup;
    std::vector<Step> steps;
    for (int i = 0; i < rows.recordCount(); ++i) {
        steps.push_back([&] { lines.append(GridLine{}); });
        steps.push_back([&] {
            const QString group = textOf(rows, QStringLiteral("Grupo"));
            lines.last().group
                = platform::equalsIgnoringCase(group, previousGroup) ? QString() : group;
        });
        steps.push_back([&] {
            const QString account = textOf(rows, QStringLiteral("Cuenta"));
            if (account.isEmpty())
                return;
            lines.last().account = account;
            lines.last().description
                = m_db.DatosTabla(QStringLiteral("ma_cuentas"), account,
                                  QStringLiteral("descripcion"), QStringLiteral("Codigo"), 8,
                                  QString(), true, false)
                      .toString();
        });
        steps.push_back([&] {
            lines.last().debit = sideCell(rows.field(QStringLiteral("DEBE")).value());
            lines.last().credit = sideCell(rows.field(QStringLiteral("Haber")).value());
        });
        steps.push_back([&] {
            previousGroup = textOf(rows, QStringLiteral("Grupo"));
            rows.moveNext();
        });
    }
    platform::StepRunner::run(std::move(steps), reportLoadError);
    return loaded;
}

} // namespace statistics
