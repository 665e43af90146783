#include "breakdown/breakdown_workbook.h"

#include "core/amount_format.h"
#include "platform/error.h"
#include "platform/private_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <xlsxwriter.h>

namespace breakdown {

namespace {

constexpr auto SheetName = "Apertura por Cuentas";
constexpr auto AmountFormat = "#,##0.00";

// A spreadsheet shows at most fifteen significant digits of a number, and its numbers are
// doubles; an amount with more digits to the cent cannot be shown from its number.
constexpr int ShownDigits = 15;

[[noreturn]] void raiseWriteFailure(const QString &path, const QString &reason)
{
    throw platform::Error(
        platform::errors::PathFileAccess,
        QStringLiteral("No se pudo escribir la planilla %1 (%2)").arg(path, reason));
}

// An amount cell as the page shows it: the number is the page's amount, to the cent.
struct AmountCell
{
    double number = 0; // the double nearest to that amount
    QString pageText; // FmtMoneda's text, when the number alone cannot show it
};

AmountCell amountCell(platform::Currency amount)
{
    platform::RegionalSettings plain = platform::regionalSettings();
    plain.decimalSeparator = QLatin1Char('.');
    const QString cents
        = platform::formatRegionalAmount(amount, 2, false, platform::Rounding::HalfToEven, plain);
    QString digits = cents;
    digits.remove(QLatin1Char('-')).remove(QLatin1Char('.'));
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    AmountCell cell{cents.toDouble(), {}};
    if (digits.size() > ShownDigits)
        cell.pageText = core::FmtMoneda(amount, 2, true);
    return cell;
}

class SheetWriter
{
public:
    SheetWriter(lxw_workbook *workbook, lxw_worksheet *sheet) : m_workbook(workbook), m_sheet(sheet)
    {
        m_amount = workbook_add_format(workbook);
        format_set_num_format(m_amount, AmountFormat);
        m_boldText = workbook_add_format(workbook);
        format_set_bold(m_boldText);
        m_boldAmount = workbook_add_format(workbook);
        format_set_num_format(m_boldAmount, AmountFormat);
        format_set_bold(m_boldAmount);
    }

    void setColumnWidths(int columns)
    {
        worksheet_set_column(m_sheet, 0, 0, 24, nullptr);
        worksheet_set_column(m_sheet, 1, 1, 40, nullptr);
        if (columns > 2)
            worksheet_set_column(m_sheet, 2, lxw_col_t(columns - 1), 14, nullptr);
    }

    void write(lxw_row_t row, const BreakdownRow &cells)
    {
        const bool bold = cells.kind != BreakdownRow::Kind::Account;
        lxw_col_t column = 0;
        for (const QString &text : cells.texts) {
            if (!text.isEmpty())
                worksheet_write_string(m_sheet, row, column, text.toUtf8().constData(),
                                       bold ? m_boldText : nullptr);
            ++column;
        }
        for (const platform::Currency amount : cells.amounts) {
            const AmountCell cell = amountCell(amount);
            lxw_format *format = cell.pageText.isEmpty() ? (bold ? m_boldAmount : m_amount)
                                                         : textFormat(cell.pageText, bold);
            worksheet_write_number(m_sheet, row, column++, cell.number, format);
        }
    }

private:
    // The cell keeps its number, for sums, and shows the page's text through a format that is
    // that text alone; its second section stands for negative numbers, which would otherwise
    // show a second minus sign.
    lxw_format *textFormat(const QString &text, bool bold)
    {
        QHash<QString, lxw_format *> &formats = bold ? m_boldTextAmounts : m_textAmounts;
        if (lxw_format *known = formats.value(text))
            return known;
        const QString quoted = QLatin1Char('"') + text + QLatin1Char('"');
        lxw_format *format = workbook_add_format(m_workbook);
        format_set_num_format(format, (quoted + QLatin1Char(';') + quoted).toUtf8().constData());
        if (bold)
            format_set_bold(format);
        formats.insert(text, format);
        return format;
    }

    lxw_workbook *m_workbook;
    lxw_worksheet *m_sheet;
    QHash<QString, lxw_format *> m_textAmounts;
    QHash<QString, lxw_format *> m_boldTextAmounts;
    lxw_format *m_amount = nullptr;
    lxw_format *m_boldText = nullptr;
    lxw_format *m_boldAmount = nullptr;
};

int widestRow(const QList<BreakdownRow> &rows)
{
    int widest = 0;
    for (const BreakdownRow &row : rows)
        widest = std::max(widest, int(row.texts.size() + row.amounts.size()));
    return widest;
}

} // namespace

void writeWorkbook(const QString &path, const QList<BreakdownRow> &rows)
{
    // The library opens the file by name when it closes the workbook; creating it here first
    // makes sure that name is a new file of this user, not a link or someone else's file.
    platform::createPrivateFile(path)->close();
    QByteArray temporaryFolder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.tmpdir = temporaryFolder.data();
    lxw_workbook *workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!workbook) {
        QFile::remove(path);
        raiseWriteFailure(path, QStringLiteral("memoria insuficiente"));
    }
    SheetWriter sheet(workbook, workbook_add_worksheet(workbook, SheetName));
    sheet.setColumnWidths(widestRow(rows));
    for (qsizetype row = 0; row < rows.size(); ++row)
        sheet.write(lxw_row_t(row), rows[row]);
    const lxw_error result = workbook_close(workbook);
    if (result != LXW_NO_ERROR) {
        QFile::remove(path);
        raiseWriteFailure(path, QString::fromUtf8(lxw_strerror(result)));
    }
}

} // namespace breakdown
