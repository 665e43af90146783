#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A small builder of INSERT and UPDATE statements: columns and their values are collected one by
// one and then joined into one statement, appended to a list that the transaction runner takes.
namespace core {

struct CampoSentencia
{
    QString Nombre; // the column
    QString Valor; // an SQL literal, or the keyword Null
};
using ListaCampos = QList<CampoSentencia>;

// The module's field list and statement list; both live for the whole process.
ListaCampos &gCampos();
QStringList &gSentencias();

// Adds a column to the module's field list; Inicializar starts the list afresh. The value
// "null" in any case becomes the keyword Null; any other value the literal SQLValue makes of
// it for Delimitador ("'" quotes a text, doubling its apostrophes).
void AgregarCampo(const QString &Nombre, const QString &Valor, const QString &Delimitador,
                  bool Inicializar);

// Joins the fields into "INSERT INTO <Tabla> (<names>) VALUES (<values>)" or, with EsUpdate,
// "UPDATE <Tabla> SET <name> = <value>,... <Condicion>", where a condition without the word
// WHERE gets " WHERE " in front (handed back in Condicion). The statement is appended to
// Sentencias, followed by an empty element. Unless ConservarCampos is set the field list is
// emptied for the next statement.
void ArmarSentencia(ListaCampos &Campos, QStringList &Sentencias, const QString &Tabla,
                    bool EsUpdate, QString &Condicion, bool ConservarCampos);

} // namespace core
