#pragma once

#include "lookup/lib_frm_cons3_collection.h"
#include "lookup/query_mask_file.h"
#include "platform/suite/utilidades.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace lookup {

class Lib_FrmCons3;
class ListView;

// The lookup service: the one way the program lets the user pick a value from a table. It
// builds the lookup statement (the caller's own, one from the query-mask file, or one from the
// table's columns), shows the list or the tree dialog modally and leaves the choice in its
// public members. Statements it builds itself read at most "TopConsArt" rows (1000 unless
// configured). Every text comparison ignores case.
class Lib_ClsCons3
{
public:
    // Reads the stock colours, the stock switch and the kind of search from the configuration.
    Lib_ClsCons3();

    // Row colours of article lists by stock state; the number 0 when the key is empty.
    QVariant StkNivel1;
    QVariant StkNivel2;
    QVariant StkNivel3;
    QVariant StkNivel4;
    // "SI" colours article lists by stock.
    QString MuestraStock;
    // The fields the caller wants back; filled before each call, left empty by it.
    StringCollection CmpsDevueltos = newStringCollection();
    // The values of the last dialog: one per requested field, or the checked rows.
    StringCollection Valores = newStringCollection();
    // The quantity collection of the last list dialog.
    StringCollection Cantidades;
    // One-shot: the next dialog shows check boxes; false again once a dialog has closed.
    bool Checks = false;
    // The value chosen in the last dialog.
    QVariant ValorDevuelto;
    // Handed to the list dialog; taken from the main connection when empty at call time.
    QString gConnString;
    // Full path of the query-mask file "consultas.tvc".
    QString gRutaMascaraConsultas;
    // True: a bare table name is looked up in the query-mask file.
    bool gUsarMascarasConsultas = false;
    // The list dialog offers a quantity column; kept from call to call.
    bool UsaCantidades = false;
    // One-shot: the column whose value the dialog returns in ValorDevuelto.
    QString CampoDevuelto;

    // A list of options to tick, each option's first character "1" when it starts ticked; the
    // ticked options come back in Valores. Always returns the empty text. The second argument
    // is accepted for callers and not used.
    QString CheckOpciones(const QString &Titulo, const StringCollection &, const QStringList &Opc);
    // A list of options to pick one from; the option chosen, or "" when none.
    QString MenuOpciones(const QString &Titulo, const QStringList &Opc);

    // The lookup. SQL is a complete statement (it contains "SELECT") or a table or view name.
    // CmpsDevueltos names the fields to return; the call leaves it empty. Clave is the text the
    // list starts filtering with. CampoBusqueda is the search and sort column; when empty the
    // service chooses one and writes it back. Where is an extra condition, with or without the
    // word WHERE, rewritten in place. SentenciaOpcional replaces the statement built from the
    // table's columns. TreeView shows the tree dialog instead of the list. ValoresDefault goes
    // to the list dialog unchanged.
    void ConsultaSearch(QString SQL, StringCollection &CmpsDevueltos, const QString &Clave,
                        QString &CampoBusqueda, QString &Where,
                        const QString &SentenciaOpcional = {}, bool TreeView = false,
                        const QString &ValoresDefault = {});

    // Lists the lines of a text file and returns the one chosen, or "" when none. A missing
    // file is reported and gives "". The third argument is accepted for callers and not used.
    QString ConsultaDesdeArchivo(const QString &Titulo, const QString &QueArchivo,
                                 const QString & = {});

private:
    struct Option
    {
        QString text;
        bool checked = false;
        qsizetype countedLength = 0;
    };

    bool findMask(const QString &tableName);
    std::optional<QString> maskStatement(QString &CampoBusqueda, const QString &Where,
                                         const QString &rowLimit);
    QString automaticStatement(const QString &table, QString &CampoBusqueda, const QString &Where,
                               const QString &SentenciaOpcional, const QString &rowLimit) const;
    void showTree(const QString &statement);
    void showList(const QString &statement, const StringCollection &CmpsDevueltos,
                  const QString &Clave, const QString &CampoBusqueda,
                  const QString &ValoresDefault);
    static double drawnWindowWidth(const ListView &list, const QString &Titulo,
                                   const QList<Option> &options);
    void showOptions(Lib_FrmCons3 &dialog, const QString &Titulo, bool checkBoxes,
                     const QList<Option> &options) const;

    bool m_usarConsultaLike = false;
    RegistroMascara m_mascara;
    platform::Utilidades m_util;
};

// The program's one lookup service, created on first use.
Lib_ClsCons3 &gConsultas();

} // namespace lookup
