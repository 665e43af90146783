#include "data/db_dll.h"
#include "data/services.h"
#include "data/sql_rewriting.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

using platform::Error;
using platform::Flow;
using platform::Resume;
using platform::StepRunner;
using platform::db::Connection;
using platform::db::Recordset;

namespace data {

namespace {

// ---- Type codes -------------------------------------------------------------------------------

bool isOneOf(const QVariant &code, std::initializer_list<int> codes)
{
    if (platform::isNullOrEmpty(code))
        return false;
    bool isNumber = false;
    const int value = code.toInt(&isNumber);
    return isNumber && std::find(codes.begin(), codes.end(), value) != codes.end();
}

// ---- Error box of the existence and field lookups ---------------------------------------------

Resume askOperator(const Error &error)
{
    const int answer = platform::userDialogs().messageBox(
        error.description(), platform::msgbox::AbortRetryIgnore | platform::msgbox::Critical,
        QStringLiteral("Aviso al Operador"));
    return platform::resumeForAnswer(answer);
}

bool isOpen(const Recordset &recordset)
{
    return recordset.state() != platform::db::adStateClosed;
}

// ---- Existence lookups ------------------------------------------------------------------------

// Runs the statement the first step prepares and tells whether it found a row. A caller's
// recordset is left open on the found row; a private one is closed again. Every error,
// preparing included, goes to the operator's box.
bool rowExists(const std::function<QString()> &prepareStatement,
               const std::shared_ptr<Connection> &connection, Recordset *callerRecordset,
               bool soloLectura)
{
    Recordset privateRecordset;
    Recordset &recordset = callerRecordset ? *callerRecordset : privateRecordset;
    const bool readOnly = !callerRecordset || soloLectura;
    QString statement;
    bool found = false;
    StepRunner::run({[&] { statement = prepareStatement(); },
                     [&] {
                         if (isOpen(recordset))
                             recordset.close();
                     },
                     [&] {
                         recordset.open(
                             statement, connection,
                             readOnly ? platform::db::adOpenForwardOnly : recordset.cursorType(),
                             readOnly ? platform::db::adLockReadOnly : recordset.lockType());
                     },
                     [&] { found = isOpen(recordset) && !recordset.bof(); },
                     [&] {
                         if (!callerRecordset && isOpen(recordset))
                             recordset.close();
                     }},
                    [](const Error &error, int) { return askOperator(error); });
    return found;
}

// The statement as the class sends it: restricted synonyms, then the Oracle dialect.
QString sentForm(DB_Dll &db, const QString &statement)
{
    return db.ORACLE_Dicc(db.SS_TSinonimos(statement));
}

// ---- Column lookups ---------------------------------------------------------------------------

// The aggregate's value, or nothing when the query gave no row. Errors reach the caller.
std::optional<QVariant> readAggregate(const std::shared_ptr<Connection> &connection,
                                      const QString &statement)
{
    Recordset recordset;
    recordset.open(statement, connection, platform::db::adOpenForwardOnly,
                   platform::db::adLockReadOnly);
    std::optional<QVariant> value;
    if (!recordset.eof())
        value = recordset.field(0).value();
    recordset.close();
    return value;
}

// A number stays the number it is; a text gives its leading number and Null gives 0, so a
// regional decimal comma cannot cut a decimal maximum short.
double numericValue(const QVariant &value)
{
    if (platform::isNullOrEmpty(value))
        return 0;
    if (platform::isCurrency(value))
        return value.value<platform::Currency>().toDouble();
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    default:
        return platform::leadingNumber(platform::gUtil().ValorTexto(value));
    }
}

const QString kArticleTable = QStringLiteral("V_MA_ARTICULOS");
const QString kNoLeadingZeroArticles = QStringLiteral(" substring(ltrim(idarticulo),1,1)<>'0'");

// ---- Object names -----------------------------------------------------------------------------

// The first count characters, raising 5 for a negative count as the names' callers expect.
QString leftChars(const QString &text, qsizetype count)
{
    if (count < 0)
        throw Error(platform::errors::InvalidProcedureCall,
                    QStringLiteral("Llamada a procedimiento o argumento no válido"));
    return text.left(count);
}

} // namespace

// ---- Column lookups ---------------------------------------------------------------------------

QVariant DB_Dll::BuscaMaximo(const QString &QueTabla, const QString &QueCampo, const QVariant &Tipo)
{
    QVariant condicion;
    return BuscaMaximo(QueTabla, QueCampo, Tipo, condicion);
}

QVariant DB_Dll::BuscaMaximo(const QString &QueTabla, const QString &QueCampo, const QVariant &Tipo,
                             QVariant &Condicion)
{
    const auto maximumFor = [&] {
        return readAggregate(gCnn,
                             columnLookupStatement(ColumnAggregate::Maximum, QueTabla, QueCampo,
                                                   Condicion.toString()));
    };
    std::optional<QVariant> maximum = maximumFor();
    // Article codes with a leading zero are reserved; the largest real code is wanted.
    if (maximum && platform::equalsIgnoringCase(QueTabla, kArticleTable)
        && util().ValorTexto(*maximum).trimmed().startsWith(QLatin1Char('0'))) {
        const QString given = Condicion.toString();
        Condicion = given.isEmpty() ? kNoLeadingZeroArticles
                                    : given + QStringLiteral(" and") + kNoLeadingZeroArticles;
        maximum = maximumFor();
    }
    if (!maximum)
        return {};
    return isOneOf(Tipo, {platform::db::adDate}) ? QVariant(util().ValorTexto(*maximum))
                                                 : QVariant(numericValue(*maximum));
}

QVariant DB_Dll::BuscaMinimo(const QString &QueTabla, const QString &QueCampo, const QVariant &,
                             const QVariant &Condicion)
{
    const QString statement
        = columnLookupStatement(ColumnAggregate::Minimum, QueTabla, QueCampo, Condicion.toString());
    const std::optional<QVariant> minimum = readAggregate(gCnn, statement);
    return minimum ? QVariant(numericValue(*minimum)) : QVariant();
}

QVariant DB_Dll::BuscaUltimoCodigo(const QString &QueTabla, const QString &QueCampo,
                                   const QVariant &, const QString &Condicion)
{
    const QString statement
        = columnLookupStatement(ColumnAggregate::LastCode, QueTabla, QueCampo, Condicion);
    const std::optional<QVariant> last = readAggregate(gCnn, statement);
    return last ? QVariant(numericValue(*last)) : QVariant();
}

// ---- Existence and field lookups --------------------------------------------------------------

bool DB_Dll::ExisteEnTablaST(const QString &Tabla, const QString &ValorBuscado,
                             const QString &Campo, Recordset *Lrcs, const QVariant &Tipodato,
                             const QString &Condicion, bool SoloLectura)
{
    const auto statement = [&] {
        return existenceStatement(ExistenceForm::AllRowsExact, Tabla, ValorBuscado, Campo, Tipodato,
                                  Condicion);
    };
    return rowExists(statement, gDB().gCnn, Lrcs, SoloLectura);
}

bool DB_Dll::ExisteEnTabla(const QString &Tabla, const QString &ValorBuscado, const QString &Campo,
                           Recordset *Lrcs, const QVariant &Tipodato, const QString &Condicion,
                           bool SoloLectura)
{
    // The caller's recordset gets the Oracle form too, or the name check fails on Oracle.
    const auto statement = [&] {
        return sentForm(*this,
                        existenceStatement(ExistenceForm::FirstRowTrimmed, Tabla, ValorBuscado,
                                           Campo, Tipodato, Condicion));
    };
    return rowExists(statement, gCnn, Lrcs, SoloLectura);
}

QVariant DB_Dll::DatosTabla(const QString &Tabla, const QString &ValorBuscado,
                            const QString &CampoDevuelto, const QString &Campo,
                            const QVariant &Tipodato, const QString &Condicion, bool UsaTrim,
                            bool IgnoraError)
{
    QString statement;
    Recordset recordset;
    QString result;
    StepRunner::run({[&] {
                         statement = fieldLookupStatement(Tabla, ValorBuscado, Campo, Tipodato,
                                                          Condicion, UsaTrim);
                     },
                     [&] {
                         // AbrirRecordset reports its own failures; a lookup that must stay quiet
                         // opens the same rewritten statement itself.
                         if (IgnoraError)
                             recordset.open(sentForm(*this, statement), gCnn);
                         else
                             AbrirRecordset(statement, recordset);
                     },
                     [&] { return gOpenFlag ? Flow::Next : Flow::Finish; },
                     [&] {
                         if (isOpen(recordset) && !recordset.eof())
                             result = util().ValorTexto(recordset.field(CampoDevuelto));
                     },
                     [&] {
                         if (isOpen(recordset))
                             recordset.close();
                     }},
                    [&](const Error &error, int) {
                        if (IgnoraError) {
                            result.clear();
                            return Resume::Leave;
                        }
                        return askOperator(error);
                    });
    return result;
}

// ---- Literals ---------------------------------------------------------------------------------

QVariant DB_Dll::SQLValue(const QVariant &Valor, const QString &Tipo)
{
    if (Tipo == QLatin1String("@"))
        return platform::isNull(Valor) ? QStringLiteral("0")
                                       : util().TextoAMoneda(util().ValorTexto(Valor)).toString();
    if (platform::isNull(Valor))
        return QStringLiteral("NULL");
    if (Tipo == QLatin1String("'"))
        return QString(QLatin1Char('\'') + escapeSqlQuotes(util().ValorTexto(Valor))
                       + QLatin1Char('\''));
    return util().ValorTexto(Valor);
}

// ---- Field type tests -------------------------------------------------------------------------

bool DB_Dll::adodate(const QVariant &Qtype) const
{
    using namespace platform::db;
    return isOneOf(Qtype, {adDate, adDBDate, adDBFileTime, adDBTime, adDBTimeStamp, adFileTime});
}

bool DB_Dll::ADOText(const QVariant &Qtype) const
{
    using namespace platform::db;
    return isOneOf(Qtype,
                   {adBSTR, adLongVarChar, adLongVarWChar, adVarChar, adVarWChar, adWChar, adChar});
}

bool DB_Dll::ADONumeric(const QVariant &Qtype) const
{
    using namespace platform::db;
    return isOneOf(Qtype,
                   {adBigInt, adDecimal, adDouble, adInteger, adNumeric, adSingle, adSmallInt,
                    adTinyInt, adUnsignedBigInt, adUnsignedInt, adUnsignedSmallInt,
                    adUnsignedTinyInt});
}

bool DB_Dll::ADOCurrency(const QVariant &Qtype) const
{
    return isOneOf(Qtype, {platform::db::adCurrency});
}

bool DB_Dll::ADOBoolean(const QVariant &Qtype) const
{
    return isOneOf(Qtype, {platform::db::adBoolean});
}

QString DB_Dll::ADOComilla(const QVariant &Qtype) const
{
    return adodate(Qtype) || ADOText(Qtype) ? QStringLiteral("'") : QString();
}

// ---- Object names -----------------------------------------------------------------------------

QString DB_Dll::stSTF(QString &rsName, bool rnPart)
{
    const qsizetype firstDot = rsName.indexOf(QLatin1Char('.'));
    if (firstDot >= 0 && rsName.indexOf(QLatin1Char('.'), firstDot + 1) >= 0)
        return StripOwner(rsName);
    if (rnPart)
        return rsName.mid(firstDot + 1);
    return leftChars(rsName, firstDot);
}

QString DB_Dll::AddBrackets(const QString &rObjName) const
{
    if (rObjName.contains(QLatin1Char(' ')) && !rObjName.startsWith(QLatin1Char('[')))
        return QLatin1Char('[') + rObjName + QLatin1Char(']');
    return rObjName;
}

QString DB_Dll::StripConnect(const QString &rsTblName) const
{
    const qsizetype arrow = rsTblName.indexOf(QLatin1String("->"));
    return arrow < 0 ? rsTblName : leftChars(rsTblName, arrow - 1);
}

QString DB_Dll::StripBrackets(const QString &rsObjName) const
{
    if (!rsObjName.startsWith(QLatin1Char('[')))
        return rsObjName;
    return leftChars(rsObjName.mid(1), rsObjName.size() - 2);
}

QString DB_Dll::StripOwner(QString &rsTblName) const
{
    const qsizetype dot = rsTblName.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        rsTblName = rsTblName.mid(dot + 1);
    return rsTblName;
}

// Paths on this system use "/", those the suite hands over may still use "\".
QString DB_Dll::StripFileName(const QString &rsFileName) const
{
    const qsizetype separator = std::max(rsFileName.lastIndexOf(QLatin1Char('\\')),
                                         rsFileName.lastIndexOf(QLatin1Char('/')));
    return separator < 0 ? QString() : rsFileName.left(separator);
}

// ---- SQL rewriting ----------------------------------------------------------------------------

QString DB_Dll::SS_TSinonimos(const QString &SQL)
{
    return applyRestrictedSynonyms(SQL, {gEsAdmin, gSSConfidencialidad(), platform::programName()});
}

bool DB_Dll::restrictsJournal() const
{
    return data::restrictsJournal({gEsAdmin, gSSConfidencialidad(), platform::programName()});
}

QString DB_Dll::ORACLE_Dicc(const QString &Valor)
{
    return isOracle() ? toOracleDialect(Valor) : Valor;
}

} // namespace data
