#include "statistics/definition_writer.h"

#include "core/field_assignment.h"
#include "core/save_errors.h"
#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "statistics/definition_statements.h"

namespace statistics {

namespace {

using platform::Resume;
using platform::Step;
using platform::db::Recordset;
namespace msgbox = platform::msgbox;

const QString SaveRoutine = QStringLiteral("Actualizardatos");

// An empty side cell counts as "S", as the cell's own validation fills it in: the line is
// stored, shown after a reload and summed alike.
bool marksSide(const QString &cell)
{
    return cell.isEmpty() || platform::equalsIgnoringCase(cell, QStringLiteral("S"));
}

int nameIndex(const QList<HeaderField> &header)
{
    for (int i = 0; i < header.size(); ++i) {
        if (platform::equalsIgnoringCase(header[i].dataField, QStringLiteral("NOMBRE")))
            return i;
    }
    return 0;
}

// Flags and check boxes are stored as 0 or 1.
int storedFlag(bool ticked)
{
    return ticked ? 1 : 0;
}

void setField(Recordset &rows, const char *column, const QVariant &value)
{
    rows.field(QLatin1String(column)).setValue(value);
}

void assignRow(Recordset &rows, const StoredLine &line, const StatisticDefinition &definition)
{
    setField(rows, "Grupo", line.group);
    setField(rows, "Cuenta", line.account);
    setField(rows, "DEBE", storedFlag(line.debit));
    setField(rows, "Haber", storedFlag(line.credit));
    setField(rows, "TipoGrafico", definition.tipoGrafico);
    setField(rows, "PERIODICIDAD", definition.periodicidad);
    setField(rows, "Comprobantes", definition.comprobantes.stored);
    setField(rows, "unegocios", definition.unegocios.stored);
    setField(rows, "CCostos", definition.ccostos.stored);
    setField(rows, "PermiteModificar", definition.permiteModificar());
    setField(rows, "Agrupar", definition.agrupar());
    setField(rows, "anclaralmenu", storedFlag(definition.anclarAlMenu));
    setField(rows, "InvierteFilCol", storedFlag(definition.invierteFilCol));
    setField(rows, "ignoraceros", storedFlag(definition.ignoraCeros));
    setField(rows, "calculasi", storedFlag(definition.calculaSI));
    setField(rows, "aperturaCuentas", storedFlag(definition.aperturaCuentas));
    setField(rows, "EsRanking", 0);
}

// Runs a write of the definition inside one transaction and turns the answers of the error
// boxes into where it goes on. An abandoned write is rolled back, so the stored definition is
// either the old one or the new one, never a mix.
class TransactionalWrite
{
public:
    TransactionalWrite(data::DB_Dll &db, const QList<HeaderField> &header)
        : m_db(db), m_header(header), m_headerReached(nameIndex(header))
    { }

    // Runs the required steps (the delete), then the rest, then commits. Retry runs a failed
    // step again; Ignore abandons the write like any other answer: a row passed over would be
    // a line of the window missing from the stored definition, reported as saved.
    WriteResult run(std::vector<Step> required, std::vector<Step> rest, Recordset *rows)
    {
        std::vector<Step> steps;
        steps.push_back([this] { m_db.gCnn->beginTrans(); });
        for (std::vector<Step> *part : {&required, &rest}) {
            for (Step &step : *part)
                steps.push_back(std::move(step));
        }
        steps.push_back([this] { m_db.gCnn->commitTrans(); });

        const auto handler = [&](const platform::Error &error, int) {
            const int answer = answerFor(error, rows);
            return platform::resumeForAnswer(answer) == Resume::Retry ? Resume::Retry
                                                                      : leave(answer);
        };
        if (platform::StepRunner::run(std::move(steps), handler) == platform::Outcome::Left) {
            rollBack();
            m_result.failed = true;
        } else {
            m_result.completed = true;
        }
        return m_result;
    }

    // The write of one row, between AddNew and Update: a failure inside it discards the row.
    void writeRow(Recordset &rows, const StoredLine &line, const StatisticDefinition &definition)
    {
        m_rowPending = true;
        rows.addNew();
        for (int i = 0; i < m_header.size(); ++i) {
            m_headerReached = i;
            QString column = m_header[i].dataField;
            core::AsignarCampo(rows, column, m_header[i].text);
        }
        m_headerReached = int(m_header.size());
        assignRow(rows, line, definition);
        rows.update();
        m_rowPending = false;
    }

private:
    int answerFor(const platform::Error &error, Recordset *rows)
    {
        if (m_rowPending) {
            m_rowPending = false;
            if (rows && rows->editMode() == platform::db::adEditAdd)
                rows->cancelUpdate();
            return platform::gUtil().MuestraError(error);
        }
        m_result.failed = true;
        return core::MensajeErrorGrabacion(error, SaveRoutine);
    }

    // Abort ends the write where it stands; any other answer also sends the user back to the
    // header box the row had reached, unless every box had been written.
    Resume leave(int answer)
    {
        if (answer != msgbox::Abort && m_headerReached < m_header.size())
            m_result.focusHeader = m_headerReached;
        return Resume::Leave;
    }

    void rollBack()
    {
        try {
            m_db.gCnn->rollbackTrans();
        } catch (const platform::Error &) {
            // No transaction was begun, or the connection is gone and took it along.
        }
    }

    data::DB_Dll &m_db;
    const QList<HeaderField> &m_header;
    int m_headerReached;
    bool m_rowPending = false;
    WriteResult m_result;
};

} // namespace

QList<StoredLine> linesToStore(const QList<GridLine> &gridLines)
{
    QList<StoredLine> stored;
    QString group;
    for (const GridLine &line : gridLines) {
        if (!line.group.isEmpty())
            group = line.group;
        if (group.isEmpty() || line.account.isEmpty())
            continue;
        // Accounts are compared trimmed; a blank typed around a code must not store another.
        stored << StoredLine{group, line.account.trimmed(), marksSide(line.debit),
                             marksSide(line.credit)};
    }
    return stored;
}

WriteResult DefinitionWriter::replace(const QString &name, const StatisticDefinition &definition,
                                      Recordset &rows)
{
    TransactionalWrite write(m_db, definition.header);
    std::vector<Step> rest{[&] {
        m_db.AbrirRecordset(QStringLiteral("MA_PANELCTA"), rows, m_db.gCnn,
                            platform::db::adOpenDynamic, platform::db::adLockOptimistic,
                            platform::db::adOptionUnspecified, true);
    }};
    for (const StoredLine &line : linesToStore(definition.lines))
        rest.push_back([&, line] { write.writeRow(rows, line, definition); });
    return write.run({[&] { m_db.gCnn->execute(definitionDeleteStatement(name)); }},
                     std::move(rest), &rows);
}

WriteResult DefinitionWriter::remove(const QString &name, const QList<HeaderField> &header)
{
    TransactionalWrite write(m_db, header);
    return write.run({[&] { m_db.gCnn->execute(definitionDeleteStatement(name)); }}, {}, nullptr);
}

} // namespace statistics
