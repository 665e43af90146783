#include "breakdown/breakdown_workbook.h"

#include "platform/error.h"
#include "platform/private_folder.h"

#include <QFile>
#include <QFileInfo>
#include <xlsxwriter.h>

namespace breakdown {

namespace {

constexpr auto SheetName = "Apertura por Cuentas";
constexpr auto AmountFormat = "#,##0.00";

[[noreturn]] void raiseWriteFailure(const QString &path, const QString &reason)
{
    throw platform::Error(
        platform::errors::PathFileAccess,
        QStringLiteral("No se pudo escribir la planilla %1 (%2)").arg(path, reason));
}

class SheetWriter
{
public:
    SheetWriter(lxw_workbook *workbook, lxw_worksheet *sheet) : m_sheet(sheet)
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
        for (const platform::Currency amount : cells.amounts)
            worksheet_write_number(m_sheet, row, column++, amount.toDouble(),
                                   bold ? m_boldAmount : m_amount);
    }

private:
    lxw_worksheet *m_sheet;
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
