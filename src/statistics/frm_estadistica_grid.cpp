#include "platform/suite/controles.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "statistics/frm_est_cta_gpo.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolBar>

namespace statistics {

namespace {

constexpr int ShiftMask = 1; // the Shift bit of a key's shift state

struct ColumnLayout
{
    const char *header;
    int widthInLetters; // the width of that many capital X in the window's font
};

constexpr ColumnLayout gridColumns[] = {
    {"Grupo", 41}, {"Cuenta", 15}, {"Descripcion", 32}, {"Debe(S/N)", 9}, {"Haber(S/N)", 9},
};

// What the editor takes on for a column: the rule Campo_Valida applies, the table the lookup
// offers and the longest value.
struct EditorSettings
{
    const char *dataField;
    const char *tag;
    int maxLength;
};

EditorSettings editorSettingsFor(int column)
{
    switch (column) {
    case AccountColumn:
        return {"CUENTA", "MA_CUENTAS", 15};
    case DebitColumn:
        return {"DEBE", "", 1};
    case CreditColumn:
        return {"HABER", "", 1};
    default:
        return {"", "", 0};
    }
}

void setEditorMaxLength(QLineEdit &editor, int length)
{
    static const int unlimited = QLineEdit().maxLength();
    editor.setMaxLength(length > 0 ? length : unlimited);
}

// The editor's own visibility, whether or not the window is on screen.
bool editing(const QLineEdit &editor)
{
    return !editor.isHidden();
}

// The open cell edit ends: its text goes into the cell that is still current.
void commitEdit(MSFlexGrid &grid, QLineEdit &editor)
{
    if (!editing(editor))
        return;
    grid.setText(editor.text());
    editor.hide();
}

// Whether another row than the one given holds the group cell text. The fixed header row is
// compared too, so no group can be called like the column.
bool groupCellTaken(const MSFlexGrid &grid, const QString &name, int exceptRow)
{
    const QString wanted = name.trimmed();
    for (int row = 0; row < grid.Rows(); ++row)
        if (row != exceptRow
            && platform::equalsIgnoringCase(grid.TextMatrix(row, GroupColumn).trimmed(), wanted))
            return true;
    return false;
}

QString groupLabel(const QString &name, const QString &sign)
{
    return sign.isEmpty() ? name : name % QStringLiteral(" (") % sign % QStringLiteral(")");
}

// The cell after the current one in typing order: the description is skipped, and after the
// last column comes the next line's account, a line being added after the last.
void moveToNextCell(MSFlexGrid &grid)
{
    switch (grid.Col()) {
    case GroupColumn:
        grid.setCol(AccountColumn);
        break;
    case AccountColumn:
    case DescriptionColumn:
        grid.setCol(DebitColumn);
        break;
    case DebitColumn:
        grid.setCol(CreditColumn);
        break;
    default:
        if (grid.Row() < grid.Rows() - 1) {
            grid.setRow(grid.Row() + 1);
        } else {
            grid.setRows(grid.Rows() + 1);
            grid.setRow(grid.Rows() - 1);
        }
        grid.setCol(AccountColumn);
    }
}

// The typed cell before the current one; the first line's account stays where it is.
void moveToPreviousCell(MSFlexGrid &grid)
{
    switch (grid.Col()) {
    case CreditColumn:
        grid.setCol(DebitColumn);
        break;
    case DebitColumn:
    case DescriptionColumn:
        grid.setCol(AccountColumn);
        break;
    default:
        if (grid.Row() > grid.FixedRows()) {
            grid.setRow(grid.Row() - 1);
            grid.setCol(CreditColumn);
        }
    }
}

// A line that names its group hands the label to the line below when it goes, if that line
// continues the group: the group's other lines keep belonging to it.
void handGroupDown(MSFlexGrid &grid, int row)
{
    const QString group = grid.TextMatrix(row, GroupColumn);
    if (group.isEmpty() || row + 1 >= grid.Rows()
        || !grid.TextMatrix(row + 1, GroupColumn).isEmpty())
        return;
    grid.setTextMatrix(row + 1, GroupColumn, group);
}

// Scrolls one line when the current cell is cut off at the grid's bottom.
void keepCurrentCellInView(MSFlexGrid &grid)
{
    if (grid.HeightTwips() < grid.CellTop() + grid.CellHeight() && grid.TopRow() < grid.Rows() - 1)
        grid.setTopRow(grid.TopRow() + 1);
}

// The grid takes the focus and the events it raises run, so its GotFocus commits the edit
// into the cell that is current before anything moves.
void returnFocusToGrid(MSFlexGrid &grid, QLineEdit &editor)
{
    grid.setFocus();
    QApplication::processEvents();
    // Without an active window the focus event never comes; the edit is committed all the same.
    commitEdit(grid, editor);
}

} // namespace

// Routes the cell editor's key and focus events to the window's handlers, the keys a handler
// has consumed going no further.
class frm_Estadistica::CellEditorEvents : public QObject
{
public:
    CellEditorEvents(frm_Estadistica &window, QLineEdit &editor)
        : QObject(&editor), m_window(window)
    {
        editor.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_window.TxtEdit_GotFocus();
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);

        const auto &key = static_cast<const QKeyEvent &>(*event);
        if (int keyCode = virtualKeyCode(key); keyCode != 0) {
            // Keys that end an edit stay in the editor, passed or refused: Tab never moves the
            // focus out of the grid.
            const bool confirming = platform::gControles().TeclaConfirma(keyCode);
            m_window.TxtEdit_KeyDown(keyCode, shiftStateOf(key));
            if (keyCode == 0 || confirming)
                return true;
        }
        if (int keyAscii = keyAsciiOf(key); keyAscii != 0) {
            m_window.TxtEdit_KeyPress(keyAscii);
            if (keyAscii == 0)
                return true;
        }
        return false;
    }

private:
    frm_Estadistica &m_window;
};

namespace {

platform::StepRunner::Handler reportingTo(const QString &routine)
{
    return [routine](const platform::Error &error, int) {
        // Giving the focus to a control that cannot take it is no reason to stop.
        if (error.number() == platform::errors::InvalidProcedureCall)
            return platform::Resume::Next;
        return platform::resumeForAnswer(
            platform::gUtil().MuestraError(error, platform::Utilidades::EstiloError, routine));
    };
}

} // namespace

void frm_Estadistica::ArmarGrilla()
{
    MSFlexGrid1->Clear();
    MSFlexGrid1->setCols(int(std::size(gridColumns)));
    MSFlexGrid1->setRows(1);
    MSFlexGrid1->setRow(0);
    for (int col = 0; col < int(std::size(gridColumns)); ++col) {
        const ColumnLayout &column = gridColumns[col];
        MSFlexGrid1->setTextMatrix(0, col, QString::fromLatin1(column.header));
        const int pixels = fontMetrics().horizontalAdvance(QString(column.widthInLetters, u'X'));
        MSFlexGrid1->setColWidth(col, pixels * MSFlexGrid::TwipsPerPixel);
    }
}

void frm_Estadistica::TextPropiedades(QWidget *control, int columna)
{
    auto *editor = qobject_cast<QLineEdit *>(control);
    if (!editor
        || !platform::equalsIgnoringCase(editor->objectName().trimmed(), QStringLiteral("TxtEdit")))
        return;
    const EditorSettings settings = editorSettingsFor(columna);
    editor->setProperty(platform::Controles::DataFieldProperty,
                        QString::fromLatin1(settings.dataField));
    editor->setProperty(platform::Controles::TagProperty, QString::fromLatin1(settings.tag));
    setEditorMaxLength(*editor, settings.maxLength);
}

void frm_Estadistica::MSFlexGridEdit(MSFlexGrid &grilla, QLineEdit &editor, int KeyAscii)
{
    using platform::Flow;
    platform::StepRunner::run(
        {
            [&] {
                // The header row, the group labels and the descriptions are not typed.
                const int col = grilla.Col();
                return grilla.Row() < grilla.FixedRows() || col == GroupColumn
                        || col == DescriptionColumn
                    ? Flow::Finish
                    : Flow::Next;
            },
            // The cell comes into view before the editor is laid over it, so the editor lands
            // on the cell and the scrolling does not end the edit it opens.
            [&] { keepCurrentCellInView(grilla); },
            [&] {
                const QPoint cell = grilla.mapTo(editor.parentWidget(),
                                                 QPoint(grilla.CellLeft(), grilla.CellTop())
                                                     / MSFlexGrid::TwipsPerPixel);
                editor.setGeometry(QRect(cell,
                                         QSize(grilla.CellWidth(), grilla.CellHeight())
                                             / MSFlexGrid::TwipsPerPixel));
                editor.raise();
                editor.show();
            },
            [&] { TextPropiedades(&editor, grilla.Col()); },
            [&] {
                // Enter, Space, Backspace and a double click edit the value; a typed character
                // replaces it.
                if (KeyAscii >= 0 && KeyAscii <= 32) {
                    editor.setText(grilla.Text());
                    editor.setCursorPosition(int(editor.text().size()));
                } else {
                    editor.setText(QString(QChar(KeyAscii)));
                    editor.setCursorPosition(1);
                }
            },
            [&] { editor.setFocus(); },
        },
        reportingTo(QStringLiteral("MSFLEXGRIDEDT")));
}

void frm_Estadistica::EditKeyCode(MSFlexGrid &grilla, QLineEdit &editor, int KeyCode, int Shift)
{
    using namespace platform::keys;
    const auto move = [&] {
        switch (KeyCode) {
        case Escape:
            editor.hide();
            grilla.setFocus();
            break;
        case Enter:
            returnFocusToGrid(grilla, editor);
            moveToNextCell(grilla);
            break;
        case Tab:
            // Tab walks the grid's cells as Enter does (Shift+Tab backwards) instead of leaving
            // the grid, where the next key would land in another field.
            returnFocusToGrid(grilla, editor);
            if (Shift & ShiftMask)
                moveToPreviousCell(grilla);
            else
                moveToNextCell(grilla);
            break;
        case Up:
            returnFocusToGrid(grilla, editor);
            if (grilla.Row() > grilla.FixedRows())
                grilla.setRow(grilla.Row() - 1);
            break;
        case Down:
            returnFocusToGrid(grilla, editor);
            if (grilla.Row() < grilla.Rows() - 1) {
                grilla.setRow(grilla.Row() + 1);
                grilla.setCol(DescriptionColumn);
            }
            break;
        default:
            break;
        }
    };
    platform::StepRunner::run({move, [&] { keepCurrentCellInView(grilla); }},
                              reportingTo(QStringLiteral("EditKeyCode")));
}

bool frm_Estadistica::ExisteGrupo(const QString &nombre)
{
    return groupCellTaken(*MSFlexGrid1, nombre, MSFlexGrid1->Row());
}

void frm_Estadistica::AgregarGrupo()
{
    QString name;
    QString sign;
    {
        FrmEstCtaGpo dialog(this);
        platform::userDialogs().execModal(dialog);
        name = dialog.pGrupo;
        sign = dialog.pSigno;
    }
    if (name.trimmed().isEmpty())
        return;

    // A group on the header row would replace the column's title and never be saved: with the
    // header current the group goes to the first line, which is added when there is none.
    const int row = std::max(MSFlexGrid1->Row(), MSFlexGrid1->FixedRows());
    if (groupCellTaken(*MSFlexGrid1, name, row)) {
        platform::userDialogs().messageBox(
            QStringLiteral("El nombre ingresado ya fue asignado a un Grupo o a un Subgrupo, "
                           "Ingrese otro, y vuelva a intentarlo"),
            platform::msgbox::Critical | platform::msgbox::OkOnly,
            QStringLiteral(" AVISO AL OPERADOR"));
        return;
    }
    if (row >= MSFlexGrid1->Rows())
        MSFlexGrid1->setRows(row + 1);
    MSFlexGrid1->setRow(row);
    MSFlexGrid1->setTextMatrix(row, GroupColumn, groupLabel(name, sign));
    MSFlexGrid1->setCol(AccountColumn);
}

void frm_Estadistica::MsflexKey(MSFlexGrid &grid, int &KeyCode)
{
    constexpr int insertKey = 45;
    constexpr int deleteKey = 46;
    const auto handle = [&] {
        if (KeyCode == deleteKey) {
            // The header never goes, nor the last line, so the definition keeps one line.
            if (grid.Rows() > grid.FixedRows() + 1 && grid.Row() >= grid.FixedRows()) {
                handGroupDown(grid, grid.Row());
                grid.RemoveItem(grid.Row());
            }
        } else if (KeyCode == insertKey) {
            grid.AddItem(grid.Row() + 1);
        }
    };
    platform::StepRunner::run({handle}, reportingTo(QStringLiteral("MSFlexGrid1_KeyDown")));
}

void frm_Estadistica::wireGridEvents()
{
    connect(MSFlexGrid1, &MSFlexGrid::Click, this, [this] { MSFlexGrid1_Click(); });
    connect(MSFlexGrid1, &MSFlexGrid::DblClick, this, [this] { MSFlexGrid1_DblClick(); });
    connect(MSFlexGrid1, &MSFlexGrid::EnterCell, this, [this] { MSFlexGrid1_EnterCell(); });
    connect(MSFlexGrid1, &MSFlexGrid::LeaveCell, this, [this] { MSFlexGrid1_LeaveCell(); });
    connect(MSFlexGrid1, &MSFlexGrid::GotFocus, this, [this] { MSFlexGrid1_GotFocus(); });
    connect(MSFlexGrid1, &MSFlexGrid::Scroll, this, [this] { MSFlexGrid1_Scroll(); });
    connect(MSFlexGrid1, &MSFlexGrid::KeyDown, this,
            [this](int &keyCode, int shift) { MSFlexGrid1_KeyDown(keyCode, shift); });
    connect(MSFlexGrid1, &MSFlexGrid::KeyPress, this,
            [this](int &keyAscii) { MSFlexGrid1_KeyPress(keyAscii); });
    new CellEditorEvents(*this, *TxtEdit);

    const QList<QAction *> buttons = Toolbar1->actions();
    if (!buttons.isEmpty())
        buttons.first()->setShortcut(Qt::Key_F8);
    connect(Toolbar1, &QToolBar::actionTriggered, this, [this](QAction *button) {
        Toolbar1_ButtonClick(int(Toolbar1->actions().indexOf(button)) + 1);
    });
}

void frm_Estadistica::MSFlexGrid1_Click()
{
    ControlActivo = TxtEdit;
    TextPropiedades(TxtEdit, MSFlexGrid1->Col());
}

void frm_Estadistica::MSFlexGrid1_DblClick()
{
    ControlActivo = TxtEdit;
    TextPropiedades(TxtEdit, MSFlexGrid1->Col());
    MSFlexGridEdit(*MSFlexGrid1, *TxtEdit, 32);
}

void frm_Estadistica::MSFlexGrid1_EnterCell()
{
    MSFlexGrid1_Click();
}

void frm_Estadistica::MSFlexGrid1_LeaveCell()
{
    commitEdit(*MSFlexGrid1, *TxtEdit);
}

void frm_Estadistica::MSFlexGrid1_GotFocus()
{
    MSFlexGrid1_Click();
    commitEdit(*MSFlexGrid1, *TxtEdit);
}

void frm_Estadistica::MSFlexGrid1_KeyDown(int &KeyCode, int)
{
    MsflexKey(*MSFlexGrid1, KeyCode);
    MSFlexGrid1_Click();
}

void frm_Estadistica::MSFlexGrid1_KeyPress(int &KeyAscii)
{
    TextPropiedades(TxtEdit, MSFlexGrid1->Col());
    MSFlexGridEdit(*MSFlexGrid1, *TxtEdit, KeyAscii);
    platform::gControles().FiltrarTecla(TxtEdit, KeyAscii);
}

void frm_Estadistica::MSFlexGrid1_Scroll()
{
    commitOpenCellEdit();
}

void frm_Estadistica::commitOpenCellEdit()
{
    if (editing(*TxtEdit))
        EditKeyCode(*MSFlexGrid1, *TxtEdit, platform::keys::Enter);
}

void frm_Estadistica::TxtEdit_GotFocus()
{
    MSFlexGrid1_Click();
}

void frm_Estadistica::TxtEdit_KeyDown(int &KeyCode, int Shift)
{
    if (!platform::gControles().TeclaConfirma(KeyCode))
        return;
    // Escape drops the typed text, so there is nothing to check: checking it would keep a bad
    // value from being abandoned, and a good account would put its description beside the old
    // code.
    if (KeyCode != platform::keys::Escape) {
        Campo_Valida(TxtEdit);
        if (HayError)
            return;
    }
    EditKeyCode(*MSFlexGrid1, *TxtEdit, KeyCode, Shift);
}

void frm_Estadistica::TxtEdit_KeyPress(int &KeyAscii)
{
    MSFlexGrid1_Click();
    platform::gControles().FiltrarTecla(TxtEdit, KeyAscii);
}

void frm_Estadistica::Toolbar1_ButtonClick(int index)
{
    // Only the first button has work to do; the sub-group buttons are kept inert.
    if (index == 1)
        AgregarGrupo();
}

} // namespace statistics
