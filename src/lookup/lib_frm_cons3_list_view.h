#pragma once

#include <QColor>
#include <QString>
#include <QTreeWidget>

namespace lookup {

// The report-style list of the lookup dialog. Columns and rows are counted from 1, in the order
// the user sees them; column 1 is a row's item text and column k > 1 its sub-item k - 1. Column
// widths are kept in twips. Sorting happens only when asked for (header clicks are left to the
// dialog), by cell text.
class ListView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ListView(QWidget *parent = nullptr);

    void setCheckBoxes(bool shown);
    bool checkBoxes() const { return m_checkBoxes; }

    void clearHeaders();
    void addHeader(const QString &text, double widthTwips);
    int headerCount() const;
    QString headerText(int column) const;
    double headerWidth(int column) const;
    void setHeaderWidth(int column, double widthTwips);
    double headerLeft(int column) const;

    void clearRows();
    // Adds a row at the end (or at its sorted place while the list is sorted) and returns its
    // number at the time it was added.
    int addRow(const QString &text);
    int rowCount() const;
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    void setCellStyle(int row, int column, bool bold, const QColor &colour);
    bool cellBold(int row, int column) const;
    QColor cellColour(int row, int column) const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);

    // 0 when no row is selected.
    int selectedRow() const;
    void selectRow(int row);

    void setSorted(bool sorted);
    bool sorted() const { return m_sorted; }
    void setSortKey(int key); // numbered from 0, as the control numbers its columns
    void setSortOrder(Qt::SortOrder order);
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

Q_SIGNALS:
    // A header was clicked (column numbered from 1).
    void columnClicked(int column);

private:
    QTreeWidgetItem *row(int number) const;
    void applySort();

    bool m_checkBoxes = false;
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QList<double> m_columnWidths;
};

} // namespace lookup
