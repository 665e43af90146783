#pragma once

#include <QTableWidget>

namespace statistics {

// Windows virtual-key code of a key event (Enter 13, Escape 27, Insert 45, Delete 46, F8 119,
// letters and digits their upper-case character), 0 for keys the program never tests.
int virtualKeyCode(const QKeyEvent &event);
// The character code a key press types (Enter 13, Backspace 8, a letter its code), 0 for none.
int keyAsciiOf(const QKeyEvent &event);
// The Shift, Ctrl and Alt bits (1, 2, 4) of a key event.
int shiftStateOf(const QKeyEvent &event);

// The flexible grid of the definition editor. Rows and columns are counted from 0 as the
// program counts them; row 0 is the one fixed row, drawn as the column header so it stays in
// view while the lines scroll. The grid is read-only: values are typed into a separate editor
// laid over the current cell. Positions and sizes are in twips (15 per pixel). An index outside
// the grid raises error 381, as the control does.
class MSFlexGrid : public QTableWidget
{
    Q_OBJECT

public:
    static constexpr int TwipsPerPixel = 15;
    static constexpr int InvalidIndex = 381;

    explicit MSFlexGrid(QWidget *parent = nullptr);

    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);
    int FixedRows() const { return 1; }

    // The current cell. Moving it raises LeaveCell (still on the old cell) and EnterCell.
    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);

    // First line in view below the fixed row.
    int TopRow() const;
    void setTopRow(int row);

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    // Text of the current cell.
    QString Text() const { return TextMatrix(m_row, m_col); }
    void setText(const QString &text) { setTextMatrix(m_row, m_col, text); }

    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int RowHeight(int row) const;

    // Place of the current cell inside the grid.
    int CellLeft() const;
    int CellTop() const;
    int CellWidth() const;
    int CellHeight() const;

    // The grid's own height.
    int HeightTwips() const { return height() * TwipsPerPixel; }

    // Empties every cell, the fixed row included; rows and columns stay.
    void Clear();
    // Inserts an empty line at the row (from 1 to Rows).
    void AddItem(int row);
    void RemoveItem(int row);

Q_SIGNALS:
    void Click();
    void DblClick();
    void EnterCell();
    void LeaveCell();
    void GotFocus();
    void Scroll();
    // A handler may set the code to 0 to swallow the key.
    void KeyDown(int &keyCode, int shift);
    void KeyPress(int &keyAscii);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void checkRow(int row) const;
    void checkCol(int col) const;
    // Moves the current cell; LeaveCell is raised only while the old cell still exists.
    void moveTo(int row, int col);
    // Points the view's current cell at Row and Col without announcing a move.
    void showCurrentCell();
    // Adds or removes lines, the view's own choice of a new current cell ignored: the current
    // cell becomes the given row.
    template<typename Change>
    void changeLines(Change change, int currentRow)
    {
        m_moving = true;
        change();
        m_moving = false;
        m_row = currentRow;
        showCurrentCell();
    }
    QRect cellRect() const;

    int m_row = 0;
    int m_col = 0;
    bool m_moving = false;
};

} // namespace statistics
