#pragma once

#include "platform/variant.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The breakdown's two files: the page, which grows while the breakdown is computed, and the
// style sheet beside it. Both are Windows-1252 text with CR LF line ends. Every name, account,
// description and caption is escaped, so a "<" or "&" in a description cannot break the page.
// Failures raise platform::Error (75, path or file access error).
namespace breakdown {

inline constexpr auto RowClassEven = "TableRowPar";
inline constexpr auto RowClassOdd = "TableRowImpar";

// "Panel_CTA_" and the moment's day, month, year, hour, minute and second without leading
// zeros or separators, then ".html".
QString pageFileName(const QDateTime &moment);

// The 34 lines of "Style.css", in order.
QStringList styleSheetLines();
// Replaces "Style.css" in the folder.
void writeStyleSheet(const QString &folder);

// The page head as one line; the title is escaped. Without frames it opens the body.
QString pageHead(const QString &title, bool frames);

// Text made safe inside an HTML element.
QString escapeHtml(const QString &text);

// One row of the breakdown as the page shows it: its texts, then one amount per column. A column
// without journal lines holds zero. The spreadsheet export is written from these rows.
struct BreakdownRow
{
    enum class Kind { Title, Blank, Header, Account, GroupTotal, Total };

    Kind kind = Kind::Account;
    QStringList texts;
    QList<platform::Currency> amounts;

    bool operator==(const BreakdownRow &) const = default;
};

// One breakdown page, built in the order the computation reaches its parts. The file is written
// in one step by finish(); a run that is stopped or fails before it leaves no half-written page.
class BreakdownPage
{
public:
    // Starts the page with the head, the title table with the statistic's name and the opening
    // of the bordered table.
    BreakdownPage(const QString &path, const QString &head, const QString &nombre);

    // The next row style: "TableRowPar" becomes "TableRowImpar", any other "TableRowPar". The
    // page starts with "TableRowPar".
    void toggleRowClass();

    // One column heading, in column order; each caption counts one column.
    void addColumnCaption(const QString &caption);
    int columnCount() const { return m_captions.size(); }
    // Writes the header row with the captions and starts every column's totals at zero.
    void writeColumnHeader();

    // Turns the totals of the group just ended into its subtotal row, waiting to be written after
    // that group's last account row, and carries them into the grand totals.
    void closeGroup(const QString &group);
    // Writes the pending account row and after it the pending subtotal row, if any. Nothing is
    // written while no account row is pending.
    void writePendingRows();

    // Starts an account row with the group and the account and its description.
    void startAccountRow(const QString &group, const QString &account, const QString &description);
    // The next column of the pending account row: an amount, or a column without journal lines,
    // which always reads "0.00". Both count in the column's group total.
    void addAmount(platform::Currency amount);
    void addEmptyColumn();

    // Writes the file, created for this user alone: the page so far, the final total row and
    // the end of the page. It can be run again after a failed write.
    void finish() const;

    // The rows of the page so far, in page order, the final total row last.
    QList<BreakdownRow> rows() const;

private:
    void write(const QString &item);
    void addAmountCell(const QString &text);
    void addToGroupTotal(platform::Currency amount);
    QString amountCells(const QList<platform::Currency> &totals) const;
    BreakdownRow totalRow() const;

    QString m_path;
    QStringList m_items;
    QString m_rowClass = RowClassEven;
    QStringList m_captions;
    QString m_pendingRow;
    QString m_pendingTotalRow;
    QList<BreakdownRow> m_rows;
    BreakdownRow m_pendingAccount;
    std::optional<BreakdownRow> m_pendingGroupTotal;
    int m_pendingColumns = 0;
    QList<platform::Currency> m_groupTotals;
    QList<platform::Currency> m_grandTotals;
};

} // namespace breakdown
