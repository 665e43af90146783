#include "platform/report/reporte.h"

#include "platform/db/connection.h"
#include "platform/error.h"
#include "platform/report/cross_table.h"
#include "platform/report/report_document.h"
#include "platform/report/report_formula.h"
#include "platform/report/report_output.h"
#include "platform/runtime.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

#include <QDate>
#include <QDir>
#include <map>

namespace platform {

namespace {

using report::FieldReference;
using report::NamedFormula;

// Every built-in statistic template reads the work table and sums this amount.
const QString kReportTable = QStringLiteral("AUX_PANELCTA");
const QString kAmountColumn = QStringLiteral("ImporteG1");

// A failure that ends the print with a message to the user.
struct PrintRefused
{
    QString message;
};

using Formulas = std::map<QString, NamedFormula>; // keyed by the upper-case name

Formulas readFormulas(std::initializer_list<const QVariant *> texts)
{
    Formulas formulas;
    for (const QVariant *text : texts) {
        if (auto formula = report::parseNamedFormula(text->toString()))
            formulas[formula->name.toUpper()] = *formula;
    }
    return formulas;
}

QString textFormula(const Formulas &formulas, const char *name)
{
    const auto it = formulas.find(QString::fromLatin1(name).toUpper());
    return it != formulas.end() && it->second.text ? *it->second.text : QString();
}

// The work-table column a grouping formula names, checked to belong to that table.
QString groupingColumn(const Formulas &formulas, const char *name)
{
    const auto it = formulas.find(QString::fromLatin1(name).toUpper());
    if (it == formulas.end() || !it->second.field)
        throw PrintRefused{
            QStringLiteral("Falta la fórmula %1 del reporte.").arg(QString::fromLatin1(name))};
    const FieldReference &field = *it->second.field;
    if (!equalsIgnoringCase(field.table, kReportTable))
        throw PrintRefused{
            QStringLiteral("La fórmula %1 nombra el campo {%2.%3}, que no es de "
                           "la tabla %4.")
                .arg(QString::fromLatin1(name), field.table, field.column, kReportTable)};
    return field.column;
}

QString headingOf(const QString &column)
{
    static const std::map<QString, QString> headings{
        {QStringLiteral("GRUPO"), QStringLiteral("Grupo")},
        {QStringLiteral("FECHAD"), QStringLiteral("Fecha")},
        {QStringLiteral("FECHAH"), QStringLiteral("Fecha hasta")},
        {QStringLiteral("UNEGOCIO"), QStringLiteral("Unidad de negocio")},
        {QStringLiteral("CCOSTO"), QStringLiteral("Centro de costo")},
    };
    const auto it = headings.find(column.toUpper());
    return it != headings.end() ? it->second : column;
}

report::ReportLayout layoutOf(const QString &templateName, const QString &folder)
{
    if (auto layout = report::builtInLayout(templateName))
        return *layout;
    throw PrintRefused{QStringLiteral("No se encuentra el reporte \"%1\" en la carpeta de "
                                      "reportes %2.")
                           .arg(templateName.trimmed(), QDir::toNativeSeparators(folder))};
}

} // namespace

Reporte::Reporte() = default;
Reporte::~Reporte() = default;

void Reporte::setConexion(std::shared_ptr<db::Connection> connection)
{
    m_connection = std::move(connection);
}

std::shared_ptr<db::Connection> Reporte::conexion() const
{
    return m_connection;
}

void Reporte::Imprimir(const QString &NombreReporte, const std::array<QString, 2> &,
                       const QString &Seleccion, const QString &, const QVariant &Formula1,
                       const QVariant &Formula2, const QVariant &Formula3, const QVariant &Formula4,
                       const QVariant &Formula5, const QString &, const QString &, const QString &)
{
    try {
        const report::ReportLayout layout = layoutOf(NombreReporte, CarpetaReportes);
        const Formulas formulas
            = readFormulas({&Formula1, &Formula2, &Formula3, &Formula4, &Formula5});
        const QString rowColumn = groupingColumn(formulas, "Grupo");
        const QString columnColumn = groupingColumn(formulas, "Columna1");
        const report::SelectionCondition selection
            = report::translateSelection(Seleccion, kReportTable);
        if (!selection.error.isEmpty())
            throw PrintRefused{QStringLiteral("La fórmula de selección del reporte no es válida: ")
                               + selection.error + QLatin1Char('.')};
        if (!m_connection || m_connection->state() != db::adStateOpen)
            throw PrintRefused{QStringLiteral("El reporte no tiene una conexión abierta con la "
                                              "base de datos.")};

        report::ReportContent content;
        content.company = textFormula(formulas, "empresa").trimmed();
        content.title = textFormula(formulas, "NOMBREREP").trimmed();
        content.parameters = textFormula(formulas, "Parametros").trimmed();
        content.rowHeading = headingOf(rowColumn);
        content.layout = layout;
        content.printedOn = now().date();
        content.table = report::loadCrossTable(m_connection, kReportTable, selection.sql, rowColumn,
                                               columnColumn, kAmountColumn);

        const report::ReportDocument document(std::move(content));
        if (VistaPrevia)
            report::previewReport(document, PermiteExportar, Maximizada);
        else
            report::printReport(document);
    } catch (const PrintRefused &refusal) {
        userDialogs().messageBox(refusal.message, msgbox::Critical);
    } catch (const Error &error) {
        userDialogs().messageBox(QStringLiteral("No se pudieron leer los datos del reporte.\n")
                                     + error.description(),
                                 msgbox::Critical);
    }
}

Reporte &gReporte()
{
    static Reporte instance;
    return instance;
}

} // namespace platform
