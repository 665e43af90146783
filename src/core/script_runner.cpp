#include "core/script_runner.h"

#include "core/configuration_store.h"
#include "core/documents.h"
#include "core/error_reporter.h"
#include "core/mod_global.h"
#include "core/progress_drawing.h"
#include "data/db_dll.h"
#include "platform/legacy_files.h"
#include "platform/private_folder.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <optional>

namespace core {

namespace {

using platform::Flow;
using platform::Resume;
namespace msgbox = platform::msgbox;
namespace native = platform::db::native;

const QString NL = QStringLiteral("\r\n");
constexpr int MaxPasses = 20;
const QString SecondPassMarker = QStringLiteral("FMT_ESTADISTICAFH");
const QString DeletionPassword = QStringLiteral("VEKO@");

void letEventsRun()
{
    QCoreApplication::processEvents();
}

// ---- Reading ---------------------------------------------------------------------------------

// The lines of the script. A carriage return, a line feed, or both together end a line.
QStringList scriptLines(const QString &path)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    return platform::readTextFile(path).split(lineEnd);
}

// The line as the reading rules leave it: a UTF-8 byte-order mark read as ANSI is cut off; a
// comment line gives nothing.
std::optional<QString> preparedLine(const QString &line)
{
    static const QString byteOrderMark = QString::fromLatin1("\xEF\xBB\xBF");
    QString prepared = line;
    if (prepared.trimmed().startsWith(byteOrderMark))
        prepared = prepared.trimmed().mid(byteOrderMark.size());
    if (prepared.trimmed().startsWith(QLatin1String("--")))
        return std::nullopt;
    return prepared;
}

// A line that drops or truncates a table, other than the work tables the suite empties itself.
bool deletesTable(const QString &line)
{
    static const QStringList allowed
        = {QStringLiteral("TRUNCATE TABLE AC_VentasFormTStock"),
           QStringLiteral("TRUNCATE TABLE MA_CUENTAS_SALDOS"), QStringLiteral("DROP TABLE #TTEmp")};
    if (!line.contains(QLatin1String("drop table"))
        && !line.contains(QLatin1String("truncate table")))
        return false;
    for (const QString &exception : allowed) {
        if (line.contains(exception))
            return false;
    }
    return true;
}

// Asks for the password of a deleting line; true when it was given.
bool deletionAllowed(const QString &line)
{
    platform::UserDialogs &dialogs = platform::userDialogs();
    const QString answer = dialogs.inputBox(
        QStringLiteral("Ingresa la Clave para permitir ejecutar este comando..") + NL + line,
        QStringLiteral("Atencion"));
    if (answer == DeletionPassword)
        return true;
    dialogs.messageBox(QStringLiteral("SE HA DETECTADO UN COMANDO DE ELIMINACION DE TABLA... NO "
                                      "ESTA PERMITIDO LA EJECUCION DE ESTOS COMANDOS...")
                           + NL + QStringLiteral("OPERACION ABORTADA!!!"),
                       msgbox::OkOnly | msgbox::Critical, QStringLiteral("ATENCION!"));
    return false;
}

// ---- Rewriting -------------------------------------------------------------------------------

QString withPlaceholders(QString batch, const QString &database)
{
    const QDateTime now = platform::now();
    const QDate today = now.date();
    batch.replace(QLatin1String("<DATE>"), platform::formatShortDate(today));
    batch.replace(QLatin1String("<NOW>"), platform::gUtil().ValorTexto(now));
    batch.replace(QLatin1String("<DATE+YEAR>"), platform::formatShortDate(today.addYears(1)));
    batch.replace(QLatin1String("<DATE-YEAR>"), platform::formatShortDate(today.addYears(-1)));
    batch.replace(QLatin1String("<DATABASE>"), database.toUpper());
    return batch;
}

// The view of the accounts a user may see: restricted to the user's group when the
// configuration asks for confidentiality.
QString accountsView(bool confidential)
{
    if (confidential) {
        return QStringLiteral("CREATE VIEW dbo.SS_MA_CUENTAS  AS  SELECT MA_CUENTAS.*  FROM "
                              "MA_CUENTAS_USUARIOS INNER JOIN  MA_CUENTAS ON   "
                              "MA_CUENTAS_USUARIOS.Cuenta = MA_CUENTAS.CODIGO INNER   Join "
                              "TA_USUARIOS ON  MA_CUENTAS_USUARIOS.GrupoUser = TA_USUARIOS.Grupo  "
                              " Where (TA_USUARIOS.Nombre = SYSTEM_USER)");
    }
    return QStringLiteral("CREATE VIEW dbo.SS_MA_CUENTAS  AS  SELECT *  FROM MA_CUENTAS");
}

bool isViewScript(const QString &path)
{
    return path.contains(QLatin1String("VISTAS"));
}

bool rewritesAccountsView(const QString &path)
{
    return isViewScript(path) || path.contains(QLatin1String("COMPLETO"));
}

// Errors of a script run again over objects that exist already, and the missing object a later
// pass may find: none of them is worth the log.
bool isLogged(std::int32_t nativeError)
{
    switch (nativeError) {
    case native::InvalidObject:
    case 1779: // primary key exists
    case 1781: // default exists
    case native::IndexExists:
    case native::ObjectExists:
    case 2729: // procedure group exists
        return false;
    default:
        return true;
    }
}

// ---- One run ---------------------------------------------------------------------------------

class ScriptRun
{
public:
    ScriptRun(const QString &path, QWidget *form, const QString &filter, bool &permitDeletion,
              data::DB_Dll &db)
        : m_path(path), m_form(form), m_filter(filter), m_permitDeletion(permitDeletion), m_db(db)
    { }

    void run(bool byStatement)
    {
        const platform::Outcome outcome = platform::StepRunner::run(
            {
                [&] { m_logPath = scriptLogPath(platform::now()); },
                [&] {
                    if (isViewScript(m_path))
                        m_confidential
                            = Cfg(QStringLiteral("SS_Confidencialidad")) == QLatin1String("SI");
                },
                [&] { m_lines = scriptLines(m_path); },
                [&] { return byStatement ? readAndRunStatements() : readBatches(); },
                [&] { return byStatement ? Flow::Finish : setNoCount(); },
            },
            [](const platform::Error &error, int) {
                return platform::resumeForAnswer(
                    MensajeError(error, std::nullopt, QStringLiteral("Ejecutar")));
            });
        if (outcome == platform::Outcome::Left)
            return;
        if (!byStatement && !m_refused)
            runPasses();
        announceLog();
    }

private:
    void status(const QString &text) { MostrarEstado(text, m_form); }

    // Reads one line through the rules and the guard; nothing for a dropped line. A refused
    // password ends the reading.
    std::optional<QString> nextLine(const QString &raw)
    {
        const std::optional<QString> line = preparedLine(raw);
        if (!line)
            return std::nullopt;
        status(QStringLiteral("Analizando Script ") + QString::number(m_batches.size() - 1));
        if (!m_permitDeletion && deletesTable(*line)) {
            if (!deletionAllowed(*line)) {
                m_refused = true;
                return std::nullopt;
            }
            m_permitDeletion = true;
        }
        return line;
    }

    Flow readBatches()
    {
        m_batches = {QString()};
        for (const QString &raw : std::as_const(m_lines)) {
            const std::optional<QString> line = nextLine(raw);
            if (m_refused)
                return Flow::Finish;
            if (line) {
                const QString trimmed = line->trimmed();
                if (trimmed == QLatin1String("GO") || trimmed == QLatin1String("/"))
                    m_batches.append(QString());
                else if (!trimmed.isEmpty())
                    m_batches.last() += *line + NL;
            }
            letEventsRun();
        }
        return Flow::Next;
    }

    Flow setNoCount()
    {
        m_db.EjecutaConsultaSQL(QStringLiteral("SET NOCOUNT ON"));
        platform::db::Errors &errors = m_db.gCnn->errors();
        if (errors.count() > 0) {
            platform::userDialogs().messageBox(errors.item(0).description);
            errors.clear();
        }
        return Flow::Next;
    }

    void runPasses()
    {
        const int last = int(m_batches.size()) - 1;
        QVector<bool> ran(m_batches.size(), false);
        QVector<bool> failedBefore(m_batches.size(), false);
        for (int pass = 1; pass <= MaxPasses; ++pass) {
            QVector<bool> failed(m_batches.size(), false);
            bool repeat = false;
            for (int index = 0; index <= last; ++index) {
                try {
                    QString batch = withPlaceholders(m_batches[index], data::gDB().gDBName);
                    letEventsRun();
                    if (!m_filter.isEmpty() && !batch.contains(m_filter))
                        continue;
                    if (rewritesAccountsView(m_path)
                        && batch.contains(QLatin1String("CREATE VIEW dbo.SS_MA_CUENTAS")))
                        batch = accountsView(m_confidential && isViewScript(m_path));
                    status(QStringLiteral("Ciclo: ") + QString::number(pass) + QLatin1Char('(')
                           + QString::number(index) + QStringLiteral(" de ") + QString::number(last)
                           + QLatin1Char(')'));
                    if (!runsInPass(pass, batch, ran[index] && !failedBefore[index]))
                        continue;
                    ran[index] = true;
                    failed[index] = !runBatch(batch, repeat);
                    letEventsRun();
                } catch (const platform::Error &) {
                    // Once the script has begun to run, it runs to its end.
                }
            }
            if (!repeat)
                break;
            failedBefore = failed;
        }
    }

    static bool runsInPass(int pass, const QString &batch, bool doneAlready)
    {
        if (batch.trimmed().isEmpty())
            return false;
        if (pass == 1)
            return !batch.contains(SecondPassMarker);
        return !batch.contains(QLatin1String("drop ")) && !doneAlready;
    }

    // Runs the batch and logs its error; false when it failed. A missing object asks for
    // another pass.
    bool runBatch(QString &batch, bool &repeat)
    {
        const bool ran = m_db.EjecutaConsultaSQL(batch);
        platform::db::Errors &errors = m_db.gCnn->errors();
        const bool failed = !ran || errors.count() > 0;
        if (errors.count() > 0) {
            const platform::db::ProviderError &error = errors.item(0);
            if (isLogged(error.nativeError))
                log(error, batch);
            if (error.nativeError == native::InvalidObject)
                repeat = true;
        }
        errors.clear();
        return !failed;
    }

    void log(const platform::db::ProviderError &error, const QString &batch)
    {
        static const QString asterisks(112, QLatin1Char('*'));
        const QDateTime now = platform::now();
        platform::appendPrivateTextLines(
            m_logPath,
            {asterisks,
             platform::formatShortDate(now.date()) + QStringLiteral(" - ")
                 + now.time().toString(QStringLiteral("HH:mm:ss")),
             QStringLiteral("  Error ") + QString::number(error.nativeError) + QLatin1Char(' ')
                 + error.description,
             asterisks, batch, asterisks});
        m_errorsLogged = true;
    }

    Flow readAndRunStatements()
    {
        QString statement;
        bool firstLine = true;
        bool showErrors = true;
        for (const QString &raw : std::as_const(m_lines)) {
            const std::optional<QString> line = nextLine(raw);
            if (m_refused)
                return Flow::Finish;
            if (!line || line->trimmed().startsWith(QLatin1String("go")))
                continue;
            if (line->startsWith(QLatin1String("IF NOT EXISTS")) && !firstLine) {
                if (const std::optional<QString> error = runStatement(statement)) {
                    if (showErrors && !continueShowingErrors(*error))
                        showErrors = false;
                    status(QStringLiteral("Ejecutando... ERROR"));
                }
                statement = *line + NL;
            } else if (!line->trimmed().isEmpty()) {
                statement += *line + NL;
            }
            letEventsRun();
            status(QStringLiteral("Ejecutando... ") + platform::gUtil().CortarTexto(*line, 100));
            firstLine = false;
        }
        if (!statement.trimmed().isEmpty()) {
            if (const std::optional<QString> error = runStatement(statement))
                platform::userDialogs().messageBox(*error);
        }
        return Flow::Finish;
    }

    // Runs the collected lines joined without their line ends; the description of the error it
    // raised, if any.
    std::optional<QString> runStatement(const QString &statement)
    {
        QString joined = statement;
        joined.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        try {
            m_db.EjecutaConsultaSQL(joined);
        } catch (const platform::Error &) {
            // Statements run to the end of the file whatever one of them raised.
        }
        platform::db::Errors &errors = m_db.gCnn->errors();
        if (errors.count() == 0)
            return std::nullopt;
        const QString description = errors.item(0).description;
        errors.clear();
        return description;
    }

    static bool continueShowingErrors(const QString &description)
    {
        return platform::userDialogs().messageBox(
                   QStringLiteral("Ocurrio el siguiente error ") + description + NL
                       + QStringLiteral(
                           "- De continuar los errores, desea seguir visualizandolos?"),
                   msgbox::YesNo, QStringLiteral("Atencion"))
            != msgbox::No;
    }

    void announceLog()
    {
        if (!m_errorsLogged || gParametroAdicional == QLatin1String("Automatica"))
            return;
        platform::userDialogs().messageBox(
            QStringLiteral("Se detectaron errores, consulte el archivo ") + m_logPath);
        AbrirDocumento(m_logPath, true);
    }

    const QString m_path;
    QWidget *const m_form;
    const QString m_filter;
    bool &m_permitDeletion;
    data::DB_Dll &m_db;

    QString m_logPath;
    bool m_confidential = false;
    QStringList m_lines;
    QStringList m_batches{QString()};
    bool m_refused = false;
    bool m_errorsLogged = false;
};

} // namespace

QString scriptPrivateFolder()
{
    // A failing batch is logged whole, and a login's batch holds its password.
    return platform::gUtil().AgregarBarra(platform::privateFolder(QStringLiteral("scripts")));
}

QString scriptLogPath(const QDateTime &started)
{
    const QTime time = started.time();
    return scriptPrivateFolder() + QStringLiteral("Script") + QString::number(time.hour())
        + QString::number(time.minute()) + QString::number(time.second()) + QStringLiteral(".TXT");
}

void EjecutarScript(const QString &Archivo, QWidget *Formulario, const QString &Filtro,
                    bool &PermitirBorrado, bool PorSentencia, data::DB_Dll *Conexion)
{
    if (Archivo.isEmpty())
        return;
    ScriptRun(Archivo, Formulario, Filtro, PermitirBorrado, Conexion ? *Conexion : data::gDB())
        .run(PorSentencia);
}

} // namespace core
