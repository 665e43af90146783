#include "demo/suite_database.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"

namespace demo {

namespace {

// The tables and views of the suite that this program reads and writes, as the suite's own
// SQL Server scripts declare them. Identity columns give every table that is edited through a
// recordset a key to write rows back by.
const char *const suiteSchema[] = {
    // Account-statistic definitions, one row per line. No unique key: two identical lines
    // are two rows.
    R"(CREATE TABLE MA_PANELCTA (
        ID int IDENTITY(1,1) PRIMARY KEY,
        NOMBRE varchar(200) NOT NULL,
        FechaD datetime NULL,
        FechaH datetime NULL,
        Grupo varchar(100) NULL,
        Cuenta varchar(15) NULL,
        DEBE bit NULL,
        Haber bit NULL,
        TipoGrafico smallint NULL,
        PERIODICIDAD smallint NULL,
        Comprobantes varchar(max) NULL,
        unegocios varchar(max) NULL,
        CCostos varchar(max) NULL,
        PermiteModificar char(3) NULL,
        Agrupar varchar(10) NULL,
        anclaralmenu smallint NULL,
        InvierteFilCol smallint NULL,
        ignoraceros smallint NULL,
        calculasi smallint NULL,
        aperturaCuentas smallint NULL,
        EsRanking bit NOT NULL DEFAULT (0)
    ))",
    "CREATE INDEX IX_MA_PANELCTA_NOMBRE ON MA_PANELCTA (NOMBRE)",

    // Work rows of each station and user.
    R"(CREATE TABLE AUX_PANELCTA (
        ID int IDENTITY(1,1) PRIMARY KEY,
        USUARIO varchar(50) NOT NULL,
        Nombre varchar(200) NOT NULL,
        Grupo varchar(100) NULL,
        FechaD datetime NOT NULL,
        FechaH datetime NOT NULL,
        ImporteG1 money NOT NULL DEFAULT (0),
        ImporteG2 money NULL,
        Unegocio varchar(4) NULL,
        CCOSTO varchar(4) NULL
    ))",
    "CREATE INDEX IX_AUX_PANELCTA_USUARIO ON AUX_PANELCTA (USUARIO, Nombre, Grupo)",

    // The journal. Amounts are never negative: the side says whether a line debits or credits.
    R"(CREATE TABLE MV_ASIENTOS (
        ID int IDENTITY(1,1) PRIMARY KEY,
        CUENTA varchar(15) NOT NULL,
        FECHA datetime NOT NULL,
        [DEBE-HABER] char(1) NOT NULL CHECK ([DEBE-HABER] IN ('D', 'H')),
        IMPORTE money NOT NULL CHECK (IMPORTE >= 0),
        TC varchar(4) NOT NULL,
        UNEGOCIO varchar(4) NOT NULL,
        EsResumen bit NOT NULL DEFAULT (0)
    ))",
    // Every journal sum of a statistic run filters an account, or the accounts a title's code
    // begins, and a date range, and by business unit also the unit. Each index holds every
    // column the sums read, so a sum never visits the table: the first serves one account, the
    // second the accounts of a title over a short period, the third one unit.
    "CREATE INDEX IX_MV_ASIENTOS_CUENTA_FECHA ON MV_ASIENTOS (CUENTA, FECHA, [DEBE-HABER], "
    "EsResumen, TC, UNEGOCIO, IMPORTE)",
    "CREATE INDEX IX_MV_ASIENTOS_FECHA_CUENTA ON MV_ASIENTOS (FECHA, CUENTA, [DEBE-HABER], "
    "EsResumen, TC, UNEGOCIO, IMPORTE)",
    "CREATE INDEX IX_MV_ASIENTOS_UNEGOCIO_CUENTA ON MV_ASIENTOS (UNEGOCIO, CUENTA, FECHA, "
    "[DEBE-HABER], EsResumen, TC, IMPORTE)",
    R"(CREATE TABLE MV_ASIENTOS_CCOSTO (
        IdAsiento int NOT NULL REFERENCES MV_ASIENTOS (ID),
        CCOSTO varchar(4) NOT NULL,
        IMPORTECC money NOT NULL,
        PRIMARY KEY (IdAsiento, CCOSTO)
    ))",
    R"(CREATE VIEW Vt_ASIENTOS_Ccosto AS
        SELECT MV_ASIENTOS.CUENTA, MV_ASIENTOS.FECHA, MV_ASIENTOS.[DEBE-HABER], MV_ASIENTOS.TC,
               MV_ASIENTOS.UNEGOCIO, MV_ASIENTOS.EsResumen, MV_ASIENTOS_CCOSTO.CCOSTO,
               MV_ASIENTOS_CCOSTO.IMPORTECC
        FROM MV_ASIENTOS INNER JOIN MV_ASIENTOS_CCOSTO
             ON MV_ASIENTOS_CCOSTO.IdAsiento = MV_ASIENTOS.ID)",

    // Chart of accounts; a title account stands for every account its code begins.
    R"(CREATE TABLE MA_CUENTAS (
        CODIGO varchar(15) NOT NULL PRIMARY KEY,
        DESCRIPCION varchar(100) NULL,
        Titulo bit NOT NULL DEFAULT (0)
    ))",
    "CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS",

    R"(CREATE TABLE TA_CPTE (
        Codigo varchar(4) NOT NULL PRIMARY KEY,
        Descripcion varchar(50) NULL
    ))",
    "CREATE VIEW Vt_TA_Cpte AS SELECT Codigo, Descripcion FROM TA_CPTE",
    R"(CREATE TABLE TA_UNIDADNEGOCIO (
        CODIGO varchar(4) NOT NULL PRIMARY KEY,
        Descripcion varchar(50) NULL
    ))",
    "CREATE VIEW V_TA_UNIDADNEGOCIO AS SELECT CODIGO, Descripcion FROM TA_UNIDADNEGOCIO",
    R"(CREATE TABLE TA_CCOSTO (
        CODIGO varchar(4) NOT NULL PRIMARY KEY,
        Descripcion varchar(50) NULL,
        Titulo bit NULL
    ))",

    R"(CREATE TABLE TA_CONFIGURACION (
        CLAVE varchar(50) NOT NULL PRIMARY KEY,
        VALOR varchar(255) NULL,
        ValorAux varchar(255) NULL,
        Grupo varchar(50) NULL,
        PoliticaNegocio bit NULL
    ))",
    R"(CREATE TABLE TA_USUARIOS (
        Nombre varchar(50) NOT NULL PRIMARY KEY,
        Administrador smallint NULL,
        UNegocio varchar(4) NULL,
        verproforma bit NULL,
        Grupo varchar(20) NULL
    ))",
    R"(CREATE TABLE TA_MENU (
        CLAVE varchar(20) NOT NULL PRIMARY KEY,
        MENU varchar(10) NULL,
        TITULO varchar(20) NULL,
        NOMBRE varchar(200) NULL,
        IMAGEN varchar(50) NULL,
        PROCESO varchar(255) NULL,
        HABILITADO smallint NULL
    ))",
    "CREATE INDEX IX_TA_MENU_TITULO ON TA_MENU (TITULO)",
    R"(CREATE TABLE TA_TAREAS (
        USUARIO varchar(50) NOT NULL,
        SISTEMA varchar(20) NOT NULL,
        TAREA varchar(20) NOT NULL,
        PRIMARY KEY (USUARIO, SISTEMA, TAREA)
    ))",
    R"(CREATE TABLE Control_Acceso (
        Id int IDENTITY(1,1) PRIMARY KEY,
        Maquina varchar(50) NULL,
        Usuario varchar(50) NULL,
        Formulario varchar(50) NULL,
        Tarea varchar(200) NULL,
        Ingreso datetime NULL,
        NombreUsuario varchar(50) NULL
    ))",
    R"(CREATE TABLE AUX_ERR (
        Id int IDENTITY(1,1) PRIMARY KEY,
        Proceso varchar(50) NULL,
        Fecha datetime NULL,
        Error int NULL,
        Descripcion varchar(250) NULL,
        SQL varchar(max) NULL,
        PC varchar(50) NULL,
        Usuario varchar(50) NULL
    ))",
    // A table rather than the suite's view: the engine's views take no inserts.
    R"(CREATE TABLE V_MV_FALTANTES (
        FechaHora datetime NULL,
        IdArticulo varchar(25) NULL,
        Descripcion varchar(100) NULL,
        Usuario varchar(50) NULL
    ))",
};

} // namespace

void createSchema(platform::db::Connection &connection)
{
    for (const char *statement : suiteSchema)
        connection.execute(QString::fromUtf8(statement));
}

} // namespace demo
