#include "statistics/msflexgrid.h"

#include "platform/error.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace statistics {

int virtualKeyCode(const QKeyEvent &event)
{
    const int key = event.key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key; // the virtual-key codes of digits and letters are their characters
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

int keyAsciiOf(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return 0;
    return text.at(0).unicode();
}

int shiftStateOf(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0)
        | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0)
        | (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

namespace {

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

// Raises KeyDown for a key the program knows; false when a handler swallowed it (code 0).
template<typename Control>
bool raiseKeyDown(const QKeyEvent &event, Control &control)
{
    int keyCode = virtualKeyCode(event);
    if (keyCode == 0)
        return true;
    Q_EMIT control.KeyDown(keyCode, shiftStateOf(event));
    return keyCode != 0;
}

[[noreturn]] void raiseInvalidIndex()
{
    throw platform::Error(MSFlexGrid::InvalidIndex, QStringLiteral("Subscript out of range"),
                          QStringLiteral("MSFlexGrid"));
}

} // namespace

MSFlexGrid::MSFlexGrid(QWidget *parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Lines as compact as the text they hold, with room for the editor's frame.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(1);
    setCols(2);
    setRows(2);
    for (QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] { Q_EMIT Scroll(); });
    connect(this, &QTableWidget::cellClicked, this, [this] { Q_EMIT Click(); });
    connect(this, &QTableWidget::cellDoubleClicked, this, [this] { Q_EMIT DblClick(); });
}

int MSFlexGrid::Rows() const
{
    return rowCount() + FixedRows();
}

void MSFlexGrid::setRows(int rows)
{
    if (rows < FixedRows())
        raiseInvalidIndex();
    // Leave the current cell while it still exists, so a handler may still write to it.
    if (m_row >= rows)
        moveTo(rows - 1, m_col);
    changeLines([&] { setRowCount(rows - FixedRows()); }, m_row);
}

int MSFlexGrid::Cols() const
{
    return columnCount();
}

void MSFlexGrid::setCols(int cols)
{
    if (cols < 1)
        raiseInvalidIndex();
    if (m_col >= cols)
        moveTo(m_row, cols - 1);
    const int before = columnCount();
    setColumnCount(cols);
    for (int col = before; col < cols; ++col)
        setHorizontalHeaderItem(col, new QTableWidgetItem());
}

void MSFlexGrid::setRow(int row)
{
    checkRow(row);
    moveTo(row, m_col);
}

void MSFlexGrid::setCol(int col)
{
    checkCol(col);
    moveTo(m_row, col);
}

int MSFlexGrid::TopRow() const
{
    const int line = rowAt(0);
    return line < 0 ? FixedRows() : line + FixedRows();
}

void MSFlexGrid::setTopRow(int row)
{
    checkRow(row);
    if (row >= FixedRows())
        scrollTo(model()->index(row - FixedRows(), 0), QAbstractItemView::PositionAtTop);
}

QString MSFlexGrid::TextMatrix(int row, int col) const
{
    checkRow(row);
    checkCol(col);
    const QTableWidgetItem *cell
        = row < FixedRows() ? horizontalHeaderItem(col) : item(row - FixedRows(), col);
    return cell ? cell->text() : QString();
}

void MSFlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    checkRow(row);
    checkCol(col);
    if (row < FixedRows()) {
        if (QTableWidgetItem *header = horizontalHeaderItem(col))
            header->setText(text);
        else
            setHorizontalHeaderItem(col, new QTableWidgetItem(text));
        return;
    }
    if (QTableWidgetItem *cell = item(row - FixedRows(), col))
        cell->setText(text);
    else
        setItem(row - FixedRows(), col, new QTableWidgetItem(text));
}

int MSFlexGrid::ColWidth(int col) const
{
    checkCol(col);
    return columnWidth(col) * TwipsPerPixel;
}

void MSFlexGrid::setColWidth(int col, int twips)
{
    checkCol(col);
    setColumnWidth(col, (twips + TwipsPerPixel / 2) / TwipsPerPixel);
}

int MSFlexGrid::RowHeight(int row) const
{
    checkRow(row);
    const int pixels
        = row < FixedRows() ? horizontalHeader()->height() : rowHeight(row - FixedRows());
    return pixels * TwipsPerPixel;
}

int MSFlexGrid::CellLeft() const
{
    return cellRect().left() * TwipsPerPixel;
}
int MSFlexGrid::CellTop() const
{
    return cellRect().top() * TwipsPerPixel;
}
int MSFlexGrid::CellWidth() const
{
    return cellRect().width() * TwipsPerPixel;
}
int MSFlexGrid::CellHeight() const
{
    return cellRect().height() * TwipsPerPixel;
}

void MSFlexGrid::Clear()
{
    clearContents();
    for (int col = 0; col < columnCount(); ++col)
        setTextMatrix(0, col, {});
}

void MSFlexGrid::AddItem(int row)
{
    if (row < FixedRows() || row > Rows())
        raiseInvalidIndex();
    changeLines([&] { insertRow(row - FixedRows()); }, row <= m_row ? m_row + 1 : m_row);
}

void MSFlexGrid::RemoveItem(int row)
{
    if (row < FixedRows())
        raiseInvalidIndex();
    checkRow(row);
    // The current line keeps its number, unless it was the last.
    const int current = row < m_row ? m_row - 1 : m_row;
    changeLines([&] { removeRow(row - FixedRows()); }, std::min(current, Rows() - 2));
}

void MSFlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // A click or an arrow key moved the cell.
    // The move is announced before the view scrolls to the new cell, so a handler of LeaveCell
    // still sees the old one current.
    if (!m_moving && current.isValid())
        moveTo(current.row() + FixedRows(), current.column());
    QTableWidget::currentChanged(current, previous);
}

void MSFlexGrid::keyPressEvent(QKeyEvent *event)
{
    if (!raiseKeyDown(*event, *this)) {
        event->accept();
        return;
    }
    if (int keyAscii = keyAsciiOf(*event); keyAscii != 0)
        Q_EMIT KeyPress(keyAscii);
    // Typed characters belong to the cell editor, not to the view's keyboard search.
    if (isNavigationKey(event->key()))
        QTableWidget::keyPressEvent(event);
    else
        event->accept();
}

void MSFlexGrid::focusInEvent(QFocusEvent *event)
{
    QTableWidget::focusInEvent(event);
    Q_EMIT GotFocus();
}

void MSFlexGrid::checkRow(int row) const
{
    if (row < 0 || row >= Rows())
        raiseInvalidIndex();
}

void MSFlexGrid::checkCol(int col) const
{
    if (col < 0 || col >= Cols())
        raiseInvalidIndex();
}

void MSFlexGrid::moveTo(int row, int col)
{
    if (row == m_row && col == m_col)
        return;
    if (m_row < Rows() && m_col < Cols())
        Q_EMIT LeaveCell();
    m_row = row;
    m_col = col;
    showCurrentCell();
    Q_EMIT EnterCell();
}

void MSFlexGrid::showCurrentCell()
{
    m_moving = true;
    if (m_row >= FixedRows())
        setCurrentCell(m_row - FixedRows(), m_col);
    else
        setCurrentIndex(QModelIndex());
    m_moving = false;
}

QRect MSFlexGrid::cellRect() const
{
    const QRect viewportArea = viewport()->geometry();
    const int left = viewportArea.left() + columnViewportPosition(m_col);
    if (m_row < FixedRows()) {
        const QRect header = horizontalHeader()->geometry();
        return {left, header.top(), columnWidth(m_col), header.height()};
    }
    return {left, viewportArea.top() + rowViewportPosition(m_row - FixedRows()), columnWidth(m_col),
            rowHeight(m_row - FixedRows())};
}

} // namespace statistics
