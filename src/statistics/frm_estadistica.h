#pragma once

#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/steps.h"
#include "statistics/statistic_definition.h"

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QResizeEvent;
class QTabWidget;
class QToolBar;

namespace platform {
class BrezaCtl;
}

namespace statistics_testing {
struct FormState;
}

namespace statistics {

class MSFlexGrid; // statistics/msflexgrid.h

// The columns of the definition grid; row 0 is its header.
enum GridColumn { GroupColumn, AccountColumn, DescriptionColumn, DebitColumn, CreditColumn };

// The program's main window: the editor of account-statistic definitions and the place a
// statistic is computed and printed from. One instance lives for the whole process
// (frmEstadistica()). What it shows is one StatisticDefinition: collected from the controls to
// validate, save, print or break it down, shown in them when a stored one is loaded.
//
// The class is implemented across several files, one per area; each group below names its file.
class frm_Estadistica : public QWidget
{
public:
    explicit frm_Estadistica(QWidget *parent = nullptr);
    ~frm_Estadistica() override;

    // Check-box values as the stored definition and the report read them: 0 clear, 1 ticked.
    // The boxes have two states: a stored permission digit 2 ticks its box, since a menu start
    // grants any non-zero digit.
    static int checkValue(const QCheckBox &box);
    static void setCheckValue(QCheckBox &box, int value);

    // The load sequence: connects the program, prepares the window, fills the combos and opens
    // the menu definition when the start-up parameter names one.
    void Form_Load();
    // The toolbar's Accion event: the eight command keys, compared in upper case.
    void BrezaCtl1_Accion(QString &clave);

    StatisticDefinition definitionOnScreen() const;

    // ---- The steps the commands are made of, each one whole -------------------------------------

    void ModoEdicion(bool editing);
    void Campo_Valida(QWidget *ctl);
    // Every header field, then the period and layout choices; the first refused one gets the
    // focus.
    bool ValidarCampos();
    void Consultar();
    void CargaCpte();
    void CargarUNeg();
    void CargarCCostos();
    void CargarEstadistica(QString &Nombre);
    void Actualizardatos();
    void ArmarGrilla();
    void TextPropiedades(QWidget *control, int columna);
    void MSFlexGridEdit(MSFlexGrid &grilla, QLineEdit &editor, int KeyAscii);
    void EditKeyCode(MSFlexGrid &grilla, QLineEdit &editor, int KeyCode, int Shift = 0);
    bool ExisteGrupo(const QString &nombre);
    void AgregarGrupo();
    void GeneraAuxiliar();
    // The computation's cancel step: hides the progress window and asks. True: the user stops
    // the run ("Grabacion Abortada!" already shown); false: the progress window is back and the
    // run goes on.
    bool ConfirmarCancelacion();
    // The computation's error tail: hides the progress window, shows the error with the routine
    // "GeneraAuxiliar" and turns the answer into what the run does next.
    platform::Resume ErrorGeneraAuxiliar(const platform::Error &error);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The unit tests of the steps above set up and read the window's state through it.
    friend struct ::statistics_testing::FormState;
    class FieldEventFilter;
    class CellEditorEvents;

    // ---- Start-up, modes, toolbar, layout, closing: frm_estadistica.cpp -------------------------

    void buildControls();
    void AbrirDesdeMenu();
    void Inicializa();
    void Form_KeyDown(int &KeyCode, int Shift);
    void Form_Resize();
    void Form_Unload();
    void focusNameField();
    QString nameFieldText() const;
    void runCommand(const QString &clave);
    void cancelEntry();
    void saveDefinition();
    void deleteDefinition();
    void printReport();
    // Hands a key to the toolbar; true when it became a command.
    bool previewKey(const QKeyEvent &event);
    // Asks what Cancelar asks before typed work is dropped; true when the user agrees.
    bool confirmDiscard();
    // The window differs from the definition as last loaded or saved.
    bool unsavedChanges() const;
    // A save with no line to store is refused with a message; true when it was.
    bool refuseEmptyDefinition();

    // ---- The definition on screen: frm_estadistica_definition.cpp -------------------------------

    // Shows the parts of the definition, in the order a load reads them.
    void showDefinition(const StatisticDefinition &definition, DefinitionParts parts);
    // Selects the grouping's option and applies its rule, also when it was selected already.
    void selectGrouping(Grouping grouping);
    void showLines(const QList<GridLine> &lines);

    // ---- Menu anchoring: frm_estadistica_store.cpp ----------------------------------------------

    void AnclarAlMenu();

    // ---- Definition grid, group rows and the group dialog: frm_estadistica_grid.cpp -------------

    void MsflexKey(MSFlexGrid &grid, int &KeyCode);
    // Connects the grid, its editor and Toolbar1 to the handlers below.
    void wireGridEvents();
    void MSFlexGrid1_Click();
    void MSFlexGrid1_DblClick();
    void MSFlexGrid1_EnterCell();
    void MSFlexGrid1_LeaveCell();
    void MSFlexGrid1_GotFocus();
    void MSFlexGrid1_KeyDown(int &KeyCode, int Shift);
    void MSFlexGrid1_KeyPress(int &KeyAscii);
    void MSFlexGrid1_Scroll();
    // Writes an open cell edit into the grid as Enter does, before the grid is read or reset.
    void commitOpenCellEdit();
    void TxtEdit_GotFocus();
    void TxtEdit_KeyDown(int &KeyCode, int Shift);
    void TxtEdit_KeyPress(int &KeyAscii);
    void Toolbar1_ButtonClick(int index);

    // ---- Header fields, lookups, lists and options: frm_estadistica_fields.cpp ------------------

    // A field's value is refused: the failure flag is set and the message shown.
    void refuseField(const QString &message);
    void MarcarTodos(QListWidget &lista, QPushButton &boton);
    // Connects the header fields, the combos, the lists' buttons, the options and the check
    // boxes to the handlers below.
    void wireFieldEvents();
    void txtfields_GotFocus(int Index);
    void txtfields_KeyDown(int Index, int &KeyCode, int Shift);
    void txtfields_KeyPress(int Index, int &KeyAscii);
    void txtfields_MouseDown(int Index, int Button, int Shift, float X, float Y);
    void CmbPeriodicidad_KeyPress(int &KeyAscii);
    void CmdTodos_Click();
    void CmdUNeg_Click();
    void cmdCCostos_Click();
    void optFecha_Click();
    void optUNeg_Click();
    void optCCostos_Click();
    void chkDetalle_Click();
    // Runs the handler of the selected grouping option. Selecting an option that is already
    // selected raises no click, so a reset or a load applies the rule itself.
    void applyGroupingRule();

    // ---- Controls ------------------------------------------------------------------------------
    // Each carries its name as its object name. Data controls carry the dynamic properties
    // "DataField" and "Tag" (platform::Controles).

    platform::BrezaCtl *BrezaCtl1 = nullptr;

    QGroupBox *FrmPrincipal = nullptr; // "Datos Principales"
    QLabel *Label2 = nullptr; // "Estadistica"
    QLabel *Label3 = nullptr; // "Fecha Desde....:"
    QLabel *Label1 = nullptr; // "Fecha Hasta"
    // 0 NOMBRE (Tag MA_PANELCTA, 200), 1 FechaD and 2 FechaH (Tag FECHA, 10); object names
    // "txtfields0" to "txtfields2".
    QList<QLineEdit *> txtfields;
    QLabel *lblPeriodicidad = nullptr;
    QComboBox *CmbPeriodicidad = nullptr;
    QLabel *TGrafico = nullptr;
    QComboBox *CmbTG = nullptr;

    QGroupBox *Frame2 = nullptr;
    QRadioButton *optFecha = nullptr;
    QRadioButton *optUNeg = nullptr;
    QRadioButton *optCCostos = nullptr;

    QGroupBox *FrmMod = nullptr;
    QCheckBox *chkModCptes = nullptr;
    QCheckBox *chkModUneg = nullptr;
    QCheckBox *chkModCCostos = nullptr;

    QCheckBox *chkDetalle = nullptr;
    QCheckBox *ChkInvertirFilCol = nullptr;
    QCheckBox *chkCalculaSI = nullptr;
    QCheckBox *chkIgnorarCeros = nullptr;
    QCheckBox *chkAlMenu = nullptr;

    QTabWidget *SSTab1 = nullptr; // tabs "Comprobantes", "UNegocio", "C. Costos"
    QLabel *LblCpte = nullptr;
    QListWidget *LstCpte = nullptr;
    QPushButton *CmdTodos = nullptr;
    QLabel *lblUNeg = nullptr;
    QListWidget *LstUNeg = nullptr;
    QPushButton *CmdUNeg = nullptr;
    QLabel *lblCcostos = nullptr;
    QListWidget *LstCCostos = nullptr;
    QPushButton *cmdCCostos = nullptr;

    QGroupBox *FrmDetalle = nullptr; // "Definicion"
    QToolBar *Toolbar1 = nullptr; // the four group buttons
    MSFlexGrid *MSFlexGrid1 = nullptr;
    QLineEdit *TxtEdit = nullptr; // the grid's in-place editor

    // ---- Form-level state ----------------------------------------------------------------------

    bool HayError = false; // the last validation or save failed (a message was shown)
    bool Borrando = false; // the next Actualizardatos deletes the definition
    bool Nuevo = false; // the accepted name is not a saved definition
    bool Existe = false; // the accepted name is a saved definition
    bool Validando = false; // all header fields are being validated before a save or report
    QWidget *ControlActivo = nullptr; // header field or TxtEdit that last had the focus
    bool Editando = false; // a name has been accepted and is being edited
    bool ModoMenu = false; // opened from a menu entry on one saved definition; never reset
    QString NombreTabla; // "MA_PANELCTA"
    platform::db::Recordset rsDefinicion;
    platform::db::Recordset rsConsulta;

    QString m_shownName; // the name of the definition loaded on screen, until a save or cancel
    QString m_acceptedName; // the name last accepted in the name box, which the flags describe
    StatisticDefinition m_definitionAsLoaded; // the window as last loaded or saved
};

// The window's default instance, created on first use.
frm_Estadistica &frmEstadistica();

} // namespace statistics
