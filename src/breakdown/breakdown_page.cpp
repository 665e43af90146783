#include "breakdown/breakdown_page.h"

#include "core/amount_format.h"
#include "platform/legacy_files.h"
#include "platform/private_folder.h"
#include "platform/suite/utilidades.h"

namespace breakdown {

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString cell(const QString &attributes, const QString &text)
{
    return QStringLiteral("<td") % attributes % QLatin1Char('>') % text % QStringLiteral("</td>");
}

QString amountText(platform::Currency amount)
{
    return core::FmtMoneda(amount, 2, true);
}

// The file is made anew for this user alone: an earlier file of the name, or a link in its
// place, is removed rather than written through.
void replacePrivateTextFile(const QString &path, const QStringList &lines)
{
    QFile::remove(path);
    platform::writePrivateFile(path, platform::toWindows1252(QString(lines.join(CrLf) + CrLf)));
}

} // namespace

QString pageFileName(const QDateTime &moment)
{
    const QDate day = moment.date();
    const QTime time = moment.time();
    return QStringLiteral("Panel_CTA_%1%2%3%4%5%6.html")
        .arg(day.day())
        .arg(day.month())
        .arg(day.year())
        .arg(time.hour())
        .arg(time.minute())
        .arg(time.second());
}

QStringList styleSheetLines()
{
    return {
        QStringLiteral("/* Velbrana: style sheet */"),
        QStringLiteral("/* Define colores, fuentes y atributos de estilo  */"),
        QStringLiteral("/* Background de página */"),
        QStringLiteral("body { background-color: #FFFFFF }"),
        QStringLiteral("* { color:black;}"),
        QStringLiteral("/* Colores de los enlaces */"),
        QStringLiteral("A:active { COLOR: red; text-decoration: none}"),
        QStringLiteral("A:link { COLOR: black; text-decoration: none }"),
        QStringLiteral("A:visited { COLOR: black; text-decoration: none }"),
        QStringLiteral("A {COLOR: black; text-decoration: none }"),
        QStringLiteral("/* Colores generales */"),
        QStringLiteral(
            ".Header { background: #EEEEEE; font-size: 17px; FONT-WEIGHT: bolder; color: "
            "black;}"),
        QStringLiteral(".SubroutineHeader { COLOR: #3333cc; FONT-SIZE: 15px; FONT-WEIGHT: bolder; "
                       "Text-Decoration: Underline;}"),
        QStringLiteral("/* Colores de tabla */"),
        QStringLiteral(
            ".TableTitulo{ background: #3498DB; font-size: 11px; FONT-FAMILY: Verdana, sans-serif; "
            "Text-Decoration: Bold; color: white; }"),
        QStringLiteral(".TableCaption { background: #000066; font-size: 10px; FONT-FAMILY: "
                       "Verdana, sans-serif; "
                       "color: #FFFFFF;}"),
        QStringLiteral(".TableSubcaption { background: #EEEEEE; font-size: 12px; FONT-WEIGHT: "
                       "bolder; color: #AA00AA;}"),
        QStringLiteral(".TableDetalles{ Border=0 CellPadding=3 CellSpacing=1;}"),
        QStringLiteral(
            ".TableRow{ background: #E6E6E6; font-size: 10px; FONT-FAMILY: Verdana, sans-serif; "
            "font-color: black;}"),
        QStringLiteral(
            ".TableRow2{ background: #BFBFBF; font-size: 10px; FONT-FAMILY: Verdana, sans-serif; "
            "font-color: black; font-weight:bold; }"),
        QStringLiteral(
            ".TableRowPar{ background: #E6E6E6; font-size: 10px; FONT-FAMILY: Verdana, sans-serif; "
            "font-color: black;}"),
        QStringLiteral(
            ".TableRowImpar{ background: white; font-size: 10px; FONT-FAMILY: Verdana, sans-serif; "
            "font-color: black;}"),
        QStringLiteral(".TableRowTotFinal{ background: #93BFE8; font-size: 10px; FONT-FAMILY: "
                       "Verdana, sans-serif; font-color: black; font-weight:bold; }"),
        QStringLiteral(
            ".TableRowAbierto{  font-size: 10px; FONT-FAMILY: Verdana, sans-serif; font-color: "
            "black;}"),
        QStringLiteral(".TableRowColor { background: #FFFFFF; }"),
        QStringLiteral(".RowHeader { background: #EEEEFF;}"),
        QStringLiteral(".TableCABDetalle{ font-size: 10px; FONT-FAMILY: verdana, sans-serif; "
                       "font-color: black; "
                       "Text-Decoration: Bold;}"),
        QStringLiteral(".TableRowDetalle{ font-size: 10px; FONT-FAMILY: verdana, sans-serif; "
                       "font-color: black; "
                       "Text-Decoration: Italic;}"),
        QStringLiteral(
            ".TableCabeceraCaption{ font-size: 11px; FONT-FAMILY: arial, sans-serif; font-color: "
            "black; Text-Decoration: Bold; background-color:#93BFE8}"),
        QStringLiteral(".TableCabeceraValor{ font-size: 10px; FONT-FAMILY: arial, sans-serif; "
                       "font-color: black; "
                       "Text-Decoration: Bold;}"),
        QStringLiteral(
            ".TableCABpIE{ font-size: 10px; FONT-FAMILY: verdana, sans-serif; font-color: black; "
            "Text-Decoration: Bold;}"),
        QStringLiteral("/* Barra de navegación */"),
        QStringLiteral(".BotonEnabled {background-color:#EEEEFF; color:#0000FF;}"),
        QStringLiteral(".BotonDisabled {background-color:#CCCCFF; color:#000000;}"),
    };
}

void writeStyleSheet(const QString &folder)
{
    replacePrivateTextFile(platform::gUtil().AgregarBarra(folder) + QStringLiteral("Style.css"),
                           styleSheetLines());
}

QString pageHead(const QString &title, bool frames)
{
    QString head = QStringLiteral("<!DOCTYPE html><HTML><HEAD><TITLE> ") % escapeHtml(title)
        % QStringLiteral("</TITLE><LINK REL ='stylesheet' TYPE='text/css' HREF='Style.css' "
                         "TITLE='Style'></HEAD>");
    if (!frames)
        head += QStringLiteral("<BODY>");
    return head;
}

QString escapeHtml(const QString &text)
{
    // The page declares no character set, so every character beyond ASCII goes as a character
    // reference: the browser and a spreadsheet read the same letters whatever code page they
    // assume.
    QString escaped;
    escaped.reserve(text.size());
    for (const char32_t character : text.toUcs4()) {
        switch (character) {
        case U'<':
            escaped += QStringLiteral("&lt;");
            break;
        case U'>':
            escaped += QStringLiteral("&gt;");
            break;
        case U'&':
            escaped += QStringLiteral("&amp;");
            break;
        case U'"':
            escaped += QStringLiteral("&quot;");
            break;
        case U'\'':
            escaped += QStringLiteral("&#39;");
            break;
        default:
            if (character < 0x80)
                escaped += QChar(char16_t(character));
            else
                escaped += QStringLiteral("&#%1;").arg(quint32(character));
        }
    }
    return escaped;
}

BreakdownPage::BreakdownPage(const QString &path, const QString &head, const QString &nombre)
    : m_path(path)
{
    write(head);
    write(QStringLiteral("<TABLE Border=0 CellPadding=3 CellSpacing=0 WIDTH=100%><TR "
                         "CLASS=TableTitulo><td ALIGN=center >")
          % escapeHtml(nombre) % QStringLiteral("</td><TD ALIGN=right ></td></TR></TABLE>&nbsp"));
    write(QStringLiteral("<TABLE Border=1 CellPadding=3 CellSpacing=0 WIDTH=100%>"));
    m_rows.append({BreakdownRow::Kind::Title, {nombre, QString()}, {}});
    m_rows.append({BreakdownRow::Kind::Blank, {}, {}});
}

void BreakdownPage::toggleRowClass()
{
    m_rowClass = m_rowClass == QLatin1String(RowClassEven) ? QString::fromLatin1(RowClassOdd)
                                                           : QString::fromLatin1(RowClassEven);
}

void BreakdownPage::addColumnCaption(const QString &caption)
{
    m_captions.append(caption);
}

void BreakdownPage::writeColumnHeader()
{
    write(QStringLiteral("<tr CLASS='TableCabeceraCaption'>"));
    write(QStringLiteral("<td>Grupo</td>"));
    write(QStringLiteral("<td>Cuenta</td>"));
    QStringList cells;
    for (const QString &caption : m_captions)
        cells.append(cell({}, escapeHtml(caption)));
    write(cells.join(CrLf));
    write(QStringLiteral("</tr>"));
    m_rows.append({BreakdownRow::Kind::Header,
                   QStringList{QStringLiteral("Grupo"), QStringLiteral("Cuenta")} + m_captions,
                   {}});
    m_groupTotals = QList<platform::Currency>(columnCount());
    m_grandTotals = QList<platform::Currency>(columnCount());
}

void BreakdownPage::closeGroup(const QString &group)
{
    m_pendingTotalRow = QStringLiteral("<tr Class='TableRow2'>") % CrLf
        % cell({}, QStringLiteral("TOTAL ") % escapeHtml(group)) % CrLf
        % cell({}, QStringLiteral("***")) % amountCells(m_groupTotals) % CrLf
        % QStringLiteral("</tr>");
    m_pendingGroupTotal = BreakdownRow{BreakdownRow::Kind::GroupTotal,
                                       {QStringLiteral("TOTAL ") + group, QStringLiteral("***")},
                                       m_groupTotals};
    for (qsizetype column = 0; column < m_groupTotals.size(); ++column) {
        m_grandTotals[column] += m_groupTotals[column];
        m_groupTotals[column] = {};
    }
}

void BreakdownPage::writePendingRows()
{
    if (m_pendingRow.trimmed().isEmpty())
        return;
    write(QStringLiteral("<tr>") % m_pendingRow % QStringLiteral("</tr>"));
    m_rows.append(m_pendingAccount);
    m_pendingRow.clear();
    if (!m_pendingTotalRow.trimmed().isEmpty()) {
        write(m_pendingTotalRow);
        m_rows.append(*m_pendingGroupTotal);
        m_pendingTotalRow.clear();
    }
}

void BreakdownPage::startAccountRow(const QString &group, const QString &account,
                                    const QString &description)
{
    const QString classAttribute = QStringLiteral(" class='") % m_rowClass % QLatin1Char('\'');
    m_pendingRow = cell(classAttribute, escapeHtml(group)) % CrLf
        % cell(classAttribute, escapeHtml(account % QLatin1Char(' ') % description));
    m_pendingAccount
        = {BreakdownRow::Kind::Account, {group, account % QLatin1Char(' ') % description}, {}};
    m_pendingColumns = 0;
}

void BreakdownPage::addAmount(platform::Currency amount)
{
    addAmountCell(amountText(amount));
    addToGroupTotal(amount);
    m_pendingAccount.amounts.append(amount);
}

void BreakdownPage::addEmptyColumn()
{
    // A column without journal lines reads "0.00" whatever the regional separators.
    addAmountCell(QStringLiteral("0.00"));
    addToGroupTotal({});
    m_pendingAccount.amounts.append(platform::Currency());
}

void BreakdownPage::finish() const
{
    // The page so far is left as it is, so a write that failed can simply be tried again.
    QStringList items = m_items;
    items.append(QStringLiteral("<tr Class='TableRowTotFinal'>") % CrLf
                 % cell({}, QStringLiteral("TOTAL")) % CrLf % cell({}, {})
                 % amountCells(m_grandTotals) % CrLf % QStringLiteral("</tr>"));
    items.append(QStringLiteral("</TABLE></BODY></HTML>"));
    replacePrivateTextFile(m_path, items);
}

QList<BreakdownRow> BreakdownPage::rows() const
{
    return m_rows + QList<BreakdownRow>{totalRow()};
}

BreakdownRow BreakdownPage::totalRow() const
{
    return {BreakdownRow::Kind::Total, {QStringLiteral("TOTAL"), QString()}, m_grandTotals};
}

void BreakdownPage::write(const QString &item)
{
    m_items.append(item);
}

void BreakdownPage::addAmountCell(const QString &text)
{
    m_pendingRow += CrLf
        % cell(QStringLiteral(" align=right class='") % m_rowClass % QLatin1Char('\''), text);
}

void BreakdownPage::addToGroupTotal(platform::Currency amount)
{
    // An account with more amounts than the header has columns has no total to add them to.
    if (m_pendingColumns < m_groupTotals.size())
        m_groupTotals[m_pendingColumns] += amount;
    ++m_pendingColumns;
}

QString BreakdownPage::amountCells(const QList<platform::Currency> &totals) const
{
    QString cells;
    for (const platform::Currency total : totals)
        cells += CrLf % cell(QStringLiteral(" align=right"), amountText(total));
    return cells;
}

} // namespace breakdown
