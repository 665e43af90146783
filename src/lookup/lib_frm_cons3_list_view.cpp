#include "lookup/lib_frm_cons3_list_view.h"

#include "lookup/lib_frm_cons3_twips.h"
#include "platform/error.h"
#include "platform/text.h"

#include <QHeaderView>
#include <cmath>

namespace lookup {
namespace {

// The list sorts by cell text without regard to case, as the dialog's comparisons do.
bool sortsBefore(const QTreeWidgetItem &a, const QTreeWidgetItem &b, int column)
{
    return platform::compareIgnoringCase(a.text(column), b.text(column)) < 0;
}

class ListRow final : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem &other) const override
    {
        return sortsBefore(*this, other, treeWidget()->sortColumn());
    }
};

platform::Error invalidIndex()
{
    return platform::Error(35600, QStringLiteral("Index out of bounds"));
}

int toPixels(double twipsValue)
{
    return std::max(0, int(std::lround(twipsValue / twips::perPixel)));
}

} // namespace

ListView::ListView(QWidget *parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int section) { Q_EMIT columnClicked(section + 1); });
}

void ListView::setCheckBoxes(bool shown)
{
    m_checkBoxes = shown;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        if (shown)
            item->setCheckState(0, item->checkState(0));
        else
            item->setData(0, Qt::CheckStateRole, QVariant());
    }
}

void ListView::clearHeaders()
{
    m_columnWidths.clear();
    setColumnCount(0);
    setHeaderLabels({});
}

void ListView::addHeader(const QString &text, double widthTwips)
{
    const int column = int(m_columnWidths.size());
    m_columnWidths.append(widthTwips);
    setColumnCount(column + 1);
    headerItem()->setText(column, text);
    QTreeView::setColumnWidth(column, toPixels(widthTwips));
}

int ListView::headerCount() const
{
    return int(m_columnWidths.size());
}

QString ListView::headerText(int column) const
{
    if (column < 1 || column > headerCount())
        throw invalidIndex();
    return headerItem()->text(column - 1);
}

double ListView::headerWidth(int column) const
{
    if (column < 1 || column > headerCount())
        throw invalidIndex();
    return m_columnWidths[column - 1];
}

void ListView::setHeaderWidth(int column, double widthTwips)
{
    if (column < 1 || column > headerCount())
        throw invalidIndex();
    m_columnWidths[column - 1] = widthTwips;
    QTreeView::setColumnWidth(column - 1, toPixels(widthTwips));
}

double ListView::headerLeft(int column) const
{
    if (column < 1 || column > headerCount())
        throw invalidIndex();
    double left = 0;
    for (int k = 0; k < column - 1; ++k)
        left += m_columnWidths[k];
    return left;
}

void ListView::clearRows()
{
    clear();
}

int ListView::addRow(const QString &text)
{
    auto *item = new ListRow;
    item->setText(0, text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    if (m_checkBoxes)
        item->setCheckState(0, Qt::Unchecked);
    int position = topLevelItemCount();
    if (m_sorted) {
        // The row goes after every row that sorts before it or equal to it.
        int low = 0;
        while (low < position) {
            const int middle = (low + position) / 2;
            const QTreeWidgetItem &existing = *topLevelItem(middle);
            const bool before = m_sortOrder == Qt::AscendingOrder
                ? !sortsBefore(*item, existing, m_sortKey)
                : !sortsBefore(existing, *item, m_sortKey);
            if (before)
                low = middle + 1;
            else
                position = middle;
        }
    }
    insertTopLevelItem(position, item);
    return position + 1;
}

int ListView::rowCount() const
{
    return topLevelItemCount();
}

QTreeWidgetItem *ListView::row(int number) const
{
    if (number < 1 || number > topLevelItemCount())
        throw invalidIndex();
    return topLevelItem(number - 1);
}

QString ListView::cell(int row, int column) const
{
    if (column < 1)
        throw invalidIndex();
    return this->row(row)->text(column - 1);
}

void ListView::setCell(int row, int column, const QString &text)
{
    if (column < 1)
        throw invalidIndex();
    this->row(row)->setText(column - 1, text);
}

void ListView::setCellStyle(int row, int column, bool bold, const QColor &colour)
{
    if (column < 1)
        throw invalidIndex();
    QTreeWidgetItem *item = this->row(row);
    QFont cellFont = font();
    cellFont.setBold(bold);
    item->setFont(column - 1, cellFont);
    item->setForeground(column - 1, colour);
}

bool ListView::cellBold(int row, int column) const
{
    const QTreeWidgetItem *item = this->row(row);
    const QVariant cellFont = item->data(column - 1, Qt::FontRole);
    return cellFont.isValid() ? cellFont.value<QFont>().bold() : font().bold();
}

QColor ListView::cellColour(int row, int column) const
{
    const QVariant brush = this->row(row)->data(column - 1, Qt::ForegroundRole);
    return brush.isValid() ? brush.value<QBrush>().color() : QColor();
}

bool ListView::isChecked(int row) const
{
    return this->row(row)->checkState(0) == Qt::Checked;
}

void ListView::setChecked(int row, bool checked)
{
    QTreeWidgetItem *item = this->row(row);
    if (m_checkBoxes)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    else
        item->setData(0, Qt::CheckStateRole, QVariant());
}

int ListView::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? 0 : indexOfTopLevelItem(selected.first()) + 1;
}

void ListView::selectRow(int number)
{
    QTreeWidgetItem *item = row(number);
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

void ListView::setSorted(bool sorted)
{
    m_sorted = sorted;
    applySort();
}

void ListView::setSortKey(int key)
{
    m_sortKey = key;
    applySort();
}

void ListView::setSortOrder(Qt::SortOrder order)
{
    m_sortOrder = order;
    applySort();
}

void ListView::applySort()
{
    if (m_sorted)
        sortItems(m_sortKey, m_sortOrder);
}

} // namespace lookup
