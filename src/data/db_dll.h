#pragma once

#include "platform/db/ado.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/error.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform {
class DialogoArchivo;
class Utilidades;
} // namespace platform

namespace data {

// The data-access class: one instance wraps one connection with its connection values, the
// administrator flag of the logged-in user and the error-log path. Every operation reports its
// own errors and returns normally; callers learn of a failure from the state it leaves.
//
// Texts passed by non-const reference receive the text as sent (rewritten); the const
// overloads take a text the caller does not need back.
class DB_Dll
{
public:
    DB_Dll();
    ~DB_Dll();
    DB_Dll(const DB_Dll &) = delete;
    DB_Dll &operator=(const DB_Dll &) = delete;

    // ---- Members ---------------------------------------------------------------------------

    std::shared_ptr<platform::DialogoArchivo> CmdDlg; // created when the Access path is asked
    bool gOpenFlag = false;
    QVariant gIgnoraPassWord; // True: an Access password is taken from gUserPassWord
    std::shared_ptr<platform::db::Connection> gCnn = platform::db::Connection::create();
    platform::db::Recordset glrcs;
    QVariant gCursorLocation;
    QString gProveedor;
    QString gDsn;
    QString gServidor; // a "#" anywhere marks an Oracle data source
    QString gDBName;
    QString gUsuario;
    bool gEsAdmin = false;
    QString gUserPassWord;
    QString gConnString;
    QString gExtended; // appended to every SQL Server and Access connection string built here
    QString gLogErr; // empty: the user's own "TVERR.LOG" (data::userErrorLogPath)
    bool ParametrosSQL = false;
    std::int16_t gTVTimeOut = 0;

    // Whether the connection was opened for Oracle: fixed when it opens, from the server's "#"
    // or the provider actually used, and asked by every dialect decision of the class.
    bool isOracle() const { return m_oracle; }

    // ---- Column lookups --------------------------------------------------------------------

    QVariant BuscaMaximo(const QString &QueTabla, const QString &QueCampo,
                         const QVariant &Tipo = QVariant());
    QVariant BuscaMaximo(const QString &QueTabla, const QString &QueCampo, const QVariant &Tipo,
                         QVariant &Condicion);
    QVariant BuscaMinimo(const QString &QueTabla, const QString &QueCampo,
                         const QVariant &Tipo = QVariant(), const QVariant &Condicion = QVariant());

    // ---- Opening ---------------------------------------------------------------------------

    void OpenServerADODB(bool PideParametrosSQL, int lCursor, const QString &ConnString,
                         bool ValidaAdmin, bool MuestraError);
    void ReintentaConectar();
    void OpenLocalADODB(const QString &ConnString, const QString &CadenaID,
                        const QString &CadenaPWD);

    // ---- Existence and field lookups -------------------------------------------------------

    bool ExisteEnTablaST(const QString &Tabla, const QString &ValorBuscado, const QString &Campo,
                         platform::db::Recordset *Lrcs = nullptr,
                         const QVariant &Tipodato = QVariant(),
                         const QString &Condicion = QString(), bool SoloLectura = true);
    bool ExisteEnTabla(const QString &Tabla, const QString &ValorBuscado, const QString &Campo,
                       platform::db::Recordset *Lrcs = nullptr,
                       const QVariant &Tipodato = QVariant(), const QString &Condicion = QString(),
                       bool SoloLectura = true);
    QVariant DatosTabla(const QString &Tabla, const QString &ValorBuscado,
                        const QString &CampoDevuelto, const QString &Campo,
                        const QVariant &Tipodato = QVariant(), const QString &Condicion = QString(),
                        bool UsaTrim = true, bool IgnoraError = false);

    // ---- Field type tests ------------------------------------------------------------------

    bool adodate(const QVariant &Qtype) const;
    QString ADOComilla(const QVariant &Qtype) const;
    bool ADOText(const QVariant &Qtype) const;
    bool ADONumeric(const QVariant &Qtype) const;
    bool ADOCurrency(const QVariant &Qtype) const;
    bool ADOBoolean(const QVariant &Qtype) const;

    // ---- Recordsets ------------------------------------------------------------------------

    void CierraRecordset(platform::db::Recordset &LrcsTemp);

    // ---- Object names ----------------------------------------------------------------------

    QString stSTF(QString &rsName, bool rnPart);
    QString AddBrackets(const QString &rObjName) const;
    QString StripConnect(const QString &rsTblName) const;
    QString StripBrackets(const QString &rsObjName) const;
    QString StripOwner(QString &rsTblName) const;
    QString StripFileName(const QString &rsFileName) const;

    // ---- Statements and queries ------------------------------------------------------------

    // Runs a statement or batch; true when it ran without error. RecordsAffected receives the
    // provider's count; Lrcs, when given, the recordset the statement returns.
    bool EjecutaConsultaSQL(QString &SentenciaSQL, std::int32_t *RecordsAffected = nullptr,
                            platform::db::Recordset *Lrcs = nullptr);
    bool EjecutaConsultaSQL(const QString &SentenciaSQL, std::int32_t *RecordsAffected = nullptr,
                            platform::db::Recordset *Lrcs = nullptr);
    bool EjecutaConsultaRSQL(QString &SentenciaSQL, std::int32_t *RecordsAffected = nullptr,
                             platform::db::Recordset *Lrcs = nullptr);
    bool EjecutaConsultaRSQL(const QString &SentenciaSQL, std::int32_t *RecordsAffected = nullptr,
                             platform::db::Recordset *Lrcs = nullptr);

    // Opens Lrcs on the query. A given Conexionactiva becomes the instance's gCnn.
    void AbrirRecordset(QString &SentenciaSQL, platform::db::Recordset &Lrcs,
                        const std::shared_ptr<platform::db::Connection> &Conexionactiva = nullptr,
                        int CursorType = platform::db::adOpenForwardOnly,
                        int LockType = platform::db::adLockReadOnly,
                        int Options = platform::db::adOptionUnspecified, bool ConvOracle = true);
    void AbrirRecordset(const QString &SentenciaSQL, platform::db::Recordset &Lrcs,
                        const std::shared_ptr<platform::db::Connection> &Conexionactiva = nullptr,
                        int CursorType = platform::db::adOpenForwardOnly,
                        int LockType = platform::db::adLockReadOnly,
                        int Options = platform::db::adOptionUnspecified, bool ConvOracle = true);

    // ---- SQL rewriting ---------------------------------------------------------------------

    QString ORACLE_Dicc(const QString &Valor);

    QVariant BuscaUltimoCodigo(const QString &QueTabla, const QString &QueCampo,
                               const QVariant &Tipo, const QString &Condicion);

    // ---- Provider names --------------------------------------------------------------------

    static QString pJETOLEDB40() { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    static QString pSQLOLEDB() { return QStringLiteral("SQLOLEDB"); }

    // ---- Literals --------------------------------------------------------------------------

    QVariant SQLValue(const QVariant &Valor, const QString &Tipo);

    // ---- Schema ----------------------------------------------------------------------------

    void AddField(const QString &Tabla, const QString &Campo, const QString &Tipo,
                  bool PermiteNulos, const QVariant &ValorDefault = QVariant());
    bool ExisteTablaDB(const QString &Tabla);
    bool ExisteCampoDB(const QString &Tabla, const QString &Campo);
    bool VerCampoDB(const QString &Tabla, const QString &Campo, bool Agregar, const QString &Tipo,
                    bool PermiteNulos, const QVariant &ValorDefault = QVariant());

    QString SS_TSinonimos(const QString &SQL);
    // Whether SS_TSinonimos reads the journal through its restricted synonym for this user.
    bool restrictsJournal() const;

    // ---- Error treatment -------------------------------------------------------------------

    QVariant ArchivoErrores() const { return gLogErr; }
    void setArchivoErrores(const QVariant &path) { gLogErr = path.toString(); }

    // Shows the error (Abort, Retry and Ignore with the critical icon unless Botones says
    // otherwise), logs one line and returns the answer; 0 without a box when the number is 0.
    int TratamientoErrores(const platform::Error &CodErr, std::optional<int> Botones = std::nullopt,
                           std::optional<QString> Rutina = std::nullopt);

private:
    platform::Utilidades &util();

    // Opening.
    bool askConnectionValues();
    void buildServerConnectionString();
    QString accessConnectionString(const QString &CadenaID, const QString &CadenaPWD) const;
    bool askAccessPath();
    int askRetryAfterConnectionError(const platform::db::ProviderError &error) const;
    void closeIfOpen();
    void fixDialect(const QString &connectionString);

    // Statements and queries.
    QString withAdminMarkerResolved(const QString &sql);
    bool runStatement(QString &SentenciaSQL, std::int32_t *RecordsAffected,
                      platform::db::Recordset *Lrcs, const QString &routine,
                      const QString &boxTitle);
    void runOracleBatch(const QString &script, std::int32_t *RecordsAffected);
    void reconnectAfterLostLink();

    std::shared_ptr<platform::Utilidades> m_util;
    bool m_oracle = false;
};

// The program-wide instances, each created on first use: the main connection, the statistics
// database, and two that nothing opens.
DB_Dll &gDB();
DB_Dll &gDBEstadisticas();
DB_Dll &gUDBC();
DB_Dll &gDBAux();

} // namespace data
