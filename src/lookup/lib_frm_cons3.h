#pragma once

#include "lookup/lib_frm_cons3_collection.h"
#include "lookup/lib_frm_cons3_list_view.h"

#include <QDialog>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;

namespace lookup {

// The list dialog of the lookup service: the rows of a lookup statement in a list with one
// search box above each column. The service sets the public members, loads the dialog (touching
// a control or showing it loads it), shows it modally and reads the results after the dialog has
// hidden itself on accept or cancel; it then unloads and discards the instance.
//
// Sizes and positions are in twips (see lookup::twips).
class Lib_FrmCons3 : public QDialog
{
    Q_OBJECT

public:
    explicit Lib_FrmCons3(QWidget *parent = nullptr);
    ~Lib_FrmCons3() override;

    // Row colours of article lists by stock state, and the switch of that colouring ("SI").
    QVariant StkNivel1;
    QVariant StkNivel2;
    QVariant StkNivel3;
    QVariant StkNivel4;
    QString MuestraStock;
    // The lookup statement; one blank is appended at every load.
    QString SQL;
    // The column whose value identifies a row: pre-checking and the single result.
    QString CampoDevuelto;
    // Further columns whose values the caller wants back; the caller's own collection.
    StringCollection CmpsDevueltos;
    // Multiple selection by check marks.
    bool CheckBoxes = false;
    // Kept for the caller; the dialog itself does not use it.
    QString gConnString;
    // The single result (a text once set).
    QVariant ValorDevuelto;
    // Initial text of the first search box.
    QString FiltroInicial;
    // Kept for the caller; the dialog itself does not use it.
    QString CampoBusqueda;
    // The list is sorted after filling.
    bool OrdenarPorLwv = false;
    // Multiple results; a new empty collection at every load.
    StringCollection Valores;
    // Quantities; a new empty collection at every load, nothing is added to it.
    StringCollection Cantidades;
    // The quantity keys of the list are active.
    bool UsaCantidades = false;
    // Values whose rows start checked; the exact text "@10" widens every column instead.
    QString ValoresDefault;
    // F5 searches anywhere in the field (true) or by prefix (false).
    bool CfgUsaConsultaLIKE = false;
    // Save the column widths to "CONSULTASLEN.TVC" when the dialog unloads.
    bool GrabarCfg = false;
    // Open the statement on the alternative connection gUDBC; cleared at every unload.
    bool UsarUDBC = false;

    // Runs the load sequence once; later calls do nothing until the dialog is unloaded.
    void load();
    bool isLoaded() const { return m_loaded; }
    // Loads the dialog when needed and shows it modally through the user-dialogs seam; returns
    // when accept or cancel has hidden it.
    int showModal();
    // Clears UsarUDBC, saves the column widths when GrabarCfg is set and removes the rows.
    void unload();

    // Builds one list column and one search box per field of the open statement.
    void Encolumnar();
    // Fills the rows; both arguments are accepted and have no effect: every row is read.
    void Leer(long &Cdesde, int &Cuantas);
    // Places the search boxes over their columns and sizes the list and the window to them.
    void CalcularAncho();
    // The first column (from 1) whose trimmed header equals the trimmed name, case ignored; 0
    // when there is none.
    int IndiceColumna(const QString &Columna);
    // The first row (from 1) whose trimmed value in the search box's column starts with the
    // trimmed text, case ignored; 0 when none. Clave below 1 searches the item text.
    long Busqueda(long Clave, const QString &QueValor);

    // Controls; touching one loads the dialog.
    ListView &ListView1();
    QComboBox &CmbSearch(int index);
    int CmbSearchCount() const;
    QWidget &picFields();
    QLabel &lblFieldName();
    QScrollBar &HScroll1();
    QFrame &Frame1();
    QPushButton &cmdAceptar();
    QPushButton &cmdCancelar();
    QPushButton &CmdNueva();
    QPushButton &CmdNuevo();
    QPushButton &CmdTodos();
    QLabel &Label1();

    // Outer size of the window; a change runs the resize layout.
    double windowWidth() const { return m_windowWidth; }
    double windowHeight() const { return m_windowHeight; }
    void setWindowWidth(double twips);
    void setWindowHeight(double twips);

    // Closing the window or pressing Escape cancels, as Cancelar does.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Impl;
    friend class Impl;
    std::unique_ptr<Impl> d;
    bool m_loaded = false;
    double m_windowWidth = 7260;
    double m_windowHeight = 5025;
};

} // namespace lookup
