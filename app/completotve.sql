-- Objects of the statistics database. Read by the program's script runner: one statement per
-- batch, batches separated by GO lines.
CREATE TABLE TA_CONFIGURACION (
    CLAVE varchar(50) NOT NULL PRIMARY KEY,
    VALOR varchar(255) NULL,
    ValorAux varchar(255) NULL,
    Grupo varchar(50) NULL,
    PoliticaNegocio bit NULL
)
GO
IF NOT EXISTS (SELECT CLAVE FROM TA_CONFIGURACION WHERE CLAVE = 'TIMEOUT')
    INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio)
    VALUES ('TIMEOUT', '360', '', 'BaseDeDatos', 0)
GO
