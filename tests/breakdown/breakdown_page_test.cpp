#include "breakdown/breakdown_page.h"
#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/regional_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using breakdown::BreakdownPage;
using platform::Currency;

const QString Head = QStringLiteral(
    "<!DOCTYPE html><HTML><HEAD><TITLE> Reporte Estadistico</TITLE><LINK REL ='stylesheet' "
    "TYPE='text/css' HREF='Style.css' TITLE='Style'></HEAD><BODY>");

const QString TitleAndTable = QStringLiteral(
    "<TABLE Border=0 CellPadding=3 CellSpacing=0 WIDTH=100%><TR CLASS=TableTitulo><td "
    "ALIGN=center >Resultados</td><TD ALIGN=right ></td></TR></TABLE>&nbsp\r\n"
    "<TABLE Border=1 CellPadding=3 CellSpacing=0 WIDTH=100%>\r\n");

const QString PageEnd = QStringLiteral("</TABLE></BODY></HTML>\r\n");

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BreakdownPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousSettings = platform::regionalSettings();
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    }
    void TearDown() override { platform::setRegionalSettings(m_previousSettings); }

    QString pagePath() const { return folder.filePath(QStringLiteral("Panel_CTA_1.html")); }
    BreakdownPage newPage(const QString &nombre = QStringLiteral("Resultados")) const
    {
        return BreakdownPage(
            pagePath(), breakdown::pageHead(QStringLiteral("Reporte Estadistico"), false), nombre);
    }
    QString writtenPage() const { return platform::readTextFile(pagePath()); }

    QTemporaryDir folder;

private:
    platform::RegionalSettings m_previousSettings;
};

TEST(BreakdownFileNames, PageNameIsTheMomentWithoutLeadingZerosOrSeparators)
{
    const struct
    {
        QDateTime moment;
        QString name;
    } cases[] = {
        {QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)), "Panel_CTA_5320261479.html"},
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)), "Panel_CTA_31122026235959.html"},
        {QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)), "Panel_CTA_112027000.html"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(breakdown::pageFileName(c.moment), c.name) << qPrintable(c.moment.toString());
}

TEST(BreakdownHead, HeadIsOneLineAndOpensTheBodyOnlyWithoutFrames)
{
    EXPECT_EQ(breakdown::pageHead(QStringLiteral("Reporte Estadistico"), false), Head);
    EXPECT_EQ(breakdown::pageHead(QStringLiteral("Reporte Estadistico"), true),
              QString(Head).remove(QStringLiteral("<BODY>")));
    EXPECT_EQ(breakdown::pageHead(QStringLiteral("A</TITLE><script>"), false),
              QString(Head).replace(QStringLiteral("Reporte Estadistico"),
                                    QStringLiteral("A&lt;/TITLE&gt;&lt;script&gt;")));
}

TEST(BreakdownEscaping, MarkupCharactersAndLettersBeyondAsciiBecomeReferences)
{
    const struct
    {
        const char *text;
        const char *escaped;
    } cases[] = {
        {"Caja y Bancos", "Caja y Bancos"},
        {"Deudas <corto> & largo", "Deudas &lt;corto&gt; &amp; largo"},
        {"O'Higgins \"Sur\"", "O&#39;Higgins &quot;Sur&quot;"},
        {"Información Año €", "Informaci&#243;n A&#241;o &#8364;"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(breakdown::escapeHtml(QString::fromUtf8(c.text)), QString::fromUtf8(c.escaped))
            << c.text;
}

TEST_F(BreakdownPageTest, StyleSheetIsWrittenLineByLineInTheAnsiCodePageAndReplacesAnOldOne)
{
    const QString path = folder.filePath(QStringLiteral("Style.css"));
    platform::writeTextLines(path, {QStringLiteral("old rule that must go")});

    breakdown::writeStyleSheet(folder.path()); // without its trailing separator

    const QStringList lines = breakdown::styleSheetLines();
    ASSERT_EQ(lines.size(), 34);
    EXPECT_EQ(lines.first(), QStringLiteral("/* Velbrana: style sheet */"));
    EXPECT_EQ(lines[14],
              QStringLiteral(".TableTitulo{ background: #3498DB; font-size: 11px; "
                             "FONT-FAMILY: Verdana, sans-serif; Text-Decoration: Bold; color: "
                             "white; }"));
    EXPECT_EQ(lines[22],
              QStringLiteral(".TableRowTotFinal{ background: #93BFE8; font-size: 10px; "
                             "FONT-FAMILY: Verdana, sans-serif; font-color: black; "
                             "font-weight:bold; }"));
    EXPECT_EQ(lines[28],
              QStringLiteral(".TableCabeceraCaption{ font-size: 11px; FONT-FAMILY: arial, "
                             "sans-serif; font-color: black; Text-Decoration: Bold; "
                             "background-color:#93BFE8}"));
    EXPECT_EQ(lines.last(),
              QStringLiteral(".BotonDisabled {background-color:#CCCCFF; color:#000000;}"));

    const QByteArray bytes = fileBytes(path);
    EXPECT_EQ(bytes, platform::toWindows1252(QString(lines.join(QStringLiteral("\r\n")) + "\r\n")));
    EXPECT_TRUE(bytes.contains("/* Background de p\xe1gina */\r\n"));
    EXPECT_EQ(QFile::permissions(path),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}

TEST_F(BreakdownPageTest, DefinitionWithoutLinesHasOnlyTheFinalTotalRow)
{
    BreakdownPage page = newPage();
    page.closeGroup(QString()); // the last group's subtotal is built whatever the lines were
    page.writePendingRows();
    page.finish();

    EXPECT_EQ(writtenPage(),
              Head + "\r\n" + TitleAndTable
                  + "<tr Class='TableRowTotFinal'>\r\n<td>TOTAL</td>\r\n<td></td>\r\n</tr>\r\n"
                  + PageEnd);
}

TEST_F(BreakdownPageTest, AccountRowsGroupSubtotalsAndFinalTotals)
{
    BreakdownPage page = newPage();
    page.toggleRowClass(); // the definition has lines
    page.addColumnCaption(QStringLiteral("01/03/2026"));
    page.addColumnCaption(QStringLiteral("02/03/2026"));
    ASSERT_EQ(page.columnCount(), 2);
    page.writeColumnHeader();

    const auto line = [&page](const QString &group, const QString &previous) {
        page.toggleRowClass();
        if (!previous.isEmpty() && group.compare(previous, Qt::CaseInsensitive) != 0)
            page.closeGroup(previous);
        page.writePendingRows();
    };
    line(QStringLiteral("Activo"), QString());
    page.startAccountRow(QStringLiteral("Activo"), QStringLiteral("1.1"), QStringLiteral("Caja"));
    page.addAmount(Currency::fromDouble(1234.5));
    page.addEmptyColumn();
    line(QStringLiteral("Activo"), QStringLiteral("Activo"));
    page.startAccountRow(QStringLiteral("Activo"), QStringLiteral("1.2"), QStringLiteral("Banco"));
    page.addAmount(Currency::fromDouble(100));
    page.addAmount(Currency::fromDouble(-0.5));
    line(QStringLiteral("Pasivo"), QStringLiteral("Activo"));
    page.startAccountRow(QStringLiteral("Pasivo"), QStringLiteral("2.1"),
                         QStringLiteral("Deudas <corto> & largo"));
    page.addAmount(Currency::fromDouble(-2000000));
    page.addEmptyColumn();
    page.closeGroup(QStringLiteral("Pasivo"));
    page.writePendingRows();
    page.finish();

    const QString expected = Head + "\r\n" + TitleAndTable
        + "<tr CLASS='TableCabeceraCaption'>\r\n<td>Grupo</td>\r\n<td>Cuenta</td>\r\n"
          "<td>01/03/2026</td>\r\n<td>02/03/2026</td>\r\n</tr>\r\n"
          "<tr><td class='TableRowPar'>Activo</td>\r\n"
          "<td class='TableRowPar'>1.1 Caja</td>\r\n"
          "<td align=right class='TableRowPar'>1.234,50</td>\r\n"
          "<td align=right class='TableRowPar'>0.00</td></tr>\r\n"
          "<tr><td class='TableRowImpar'>Activo</td>\r\n"
          "<td class='TableRowImpar'>1.2 Banco</td>\r\n"
          "<td align=right class='TableRowImpar'>100,00</td>\r\n"
          "<td align=right class='TableRowImpar'>-0,50</td></tr>\r\n"
          "<tr Class='TableRow2'>\r\n<td>TOTAL Activo</td>\r\n<td>***</td>\r\n"
          "<td align=right>1.334,50</td>\r\n<td align=right>-0,50</td>\r\n</tr>\r\n"
          "<tr><td class='TableRowPar'>Pasivo</td>\r\n"
          "<td class='TableRowPar'>2.1 Deudas &lt;corto&gt; &amp; largo</td>\r\n"
          "<td align=right class='TableRowPar'>-2.000.000,00</td>\r\n"
          "<td align=right class='TableRowPar'>0.00</td></tr>\r\n"
          "<tr Class='TableRow2'>\r\n<td>TOTAL Pasivo</td>\r\n<td>***</td>\r\n"
          "<td align=right>-2.000.000,00</td>\r\n<td align=right>0,00</td>\r\n</tr>\r\n"
          "<tr Class='TableRowTotFinal'>\r\n<td>TOTAL</td>\r\n<td></td>\r\n"
          "<td align=right>-1.998.665,50</td>\r\n<td align=right>-0,50</td>\r\n</tr>\r\n"
        + PageEnd;
    EXPECT_EQ(writtenPage(), expected);

    // The same rows, in page order, for the spreadsheet: amounts as amounts, empty columns zero.
    using Kind = breakdown::BreakdownRow::Kind;
    const auto money = [](double value) { return Currency::fromDouble(value); };
    const QList<breakdown::BreakdownRow> rows{
        {Kind::Title, {"Resultados", ""}, {}},
        {Kind::Blank, {}, {}},
        {Kind::Header, {"Grupo", "Cuenta", "01/03/2026", "02/03/2026"}, {}},
        {Kind::Account, {"Activo", "1.1 Caja"}, {money(1234.5), money(0)}},
        {Kind::Account, {"Activo", "1.2 Banco"}, {money(100), money(-0.5)}},
        {Kind::GroupTotal, {"TOTAL Activo", "***"}, {money(1334.5), money(-0.5)}},
        {Kind::Account, {"Pasivo", "2.1 Deudas <corto> & largo"}, {money(-2000000), money(0)}},
        {Kind::GroupTotal, {"TOTAL Pasivo", "***"}, {money(-2000000), money(0)}},
        {Kind::Total, {"TOTAL", ""}, {money(-1998665.5), money(-0.5)}},
    };
    EXPECT_EQ(page.rows(), rows);
}

TEST_F(BreakdownPageTest, OneGroupsFinalTotalsEqualItsSubtotals)
{
    BreakdownPage page = newPage();
    page.toggleRowClass();
    page.addColumnCaption(QStringLiteral("0001 Casa Central"));
    page.writeColumnHeader();
    for (const char *account : {"1.1", "1.2"}) {
        page.toggleRowClass();
        page.writePendingRows();
        page.startAccountRow(QStringLiteral("Caja"), QString::fromLatin1(account), {});
        page.addAmount(Currency::fromDouble(7.25));
    }
    page.closeGroup(QStringLiteral("Caja"));
    page.writePendingRows();
    page.finish();

    const QString text = writtenPage();
    EXPECT_TRUE(text.contains("<td>TOTAL Caja</td>\r\n<td>***</td>\r\n<td align=right>14,50</td>"));
    EXPECT_TRUE(text.contains("<td>TOTAL</td>\r\n<td></td>\r\n<td align=right>14,50</td>"));
    EXPECT_EQ(text.count(QStringLiteral("TOTAL Caja")), 1);
    EXPECT_TRUE(text.indexOf("1.2 ") < text.indexOf("TOTAL Caja"));
}

TEST_F(BreakdownPageTest, CaptionsAndTheStatisticsNameAreEscaped)
{
    BreakdownPage page = newPage(QStringLiteral("Ventas <2026> & más"));
    page.toggleRowClass();
    page.addColumnCaption(QStringLiteral("0002 Norte & <Sur>"));
    page.writeColumnHeader();
    page.finish();

    const QString text = writtenPage();
    EXPECT_TRUE(text.contains("<td ALIGN=center >Ventas &lt;2026&gt; &amp; m&#225;s</td>"));
    EXPECT_TRUE(text.contains("<td>0002 Norte &amp; &lt;Sur&gt;</td>"));
}

TEST_F(BreakdownPageTest, StoppedRunLeavesAnEarlierPageOfThatNameAsItWas)
{
    platform::writeTextLines(pagePath(), {QStringLiteral("earlier page")});
    {
        BreakdownPage page = newPage();
        page.toggleRowClass();
        page.addColumnCaption(QStringLiteral("01/03/2026"));
        page.writeColumnHeader();
    }
    EXPECT_EQ(writtenPage(), QStringLiteral("earlier page\r\n"));
}

TEST_F(BreakdownPageTest, UnwritableFolderRaisesLeavesNoFileAndCanBeRetried)
{
    const QString missingFolder = folder.filePath(QStringLiteral("missing"));
    const QString path = missingFolder + QStringLiteral("/Panel_CTA_1.html");
    BreakdownPage page(path, Head, QStringLiteral("Resultados"));
    try {
        page.finish();
        FAIL() << "a page in a missing folder was reported as written";
    } catch (const platform::Error &error) {
        EXPECT_TRUE(error.number() == platform::errors::PathNotFound
                    || error.number() == platform::errors::PathFileAccess)
            << error.number();
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_THROW(breakdown::writeStyleSheet(missingFolder), platform::Error);

    // The user makes the folder and retries: the page is written once, whole.
    ASSERT_TRUE(QDir().mkpath(missingFolder));
    page.finish();
    EXPECT_EQ(platform::readTextFile(path),
              Head + "\r\n" + TitleAndTable
                  + "<tr Class='TableRowTotFinal'>\r\n<td>TOTAL</td>\r\n<td></td>\r\n</tr>\r\n"
                  + PageEnd);
}

} // namespace
