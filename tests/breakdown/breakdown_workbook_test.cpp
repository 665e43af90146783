#include "breakdown/breakdown_workbook.h"
#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/regional_settings.h"
#include "workbook_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using breakdown::BreakdownRow;
using Kind = BreakdownRow::Kind;
using platform::Currency;

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(BreakdownWorkbook, TextsStayTextsAndAmountsAreNumbersFromTheFirstCell)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("apertura.xlsx"));
    const QList<BreakdownRow> rows{
        {Kind::Title, {"Año \"bueno\" <2023> & más", ""}, {}},
        {Kind::Blank, {}, {}},
        {Kind::Header, {"Grupo", "Cuenta", "01/01/2023", "0002 Norte ñ"}, {}},
        {Kind::Account,
         {"Costos (-)", "5'1 O'Higgins"},
         {Currency::fromDouble(-1234567.89), Currency::fromDouble(0)}},
        {Kind::Total, {"TOTAL", ""}, {Currency::fromScaled(9000000000000000LL), Currency()}},
    };

    breakdown::writeWorkbook(path, rows);

    EXPECT_EQ(QFile::permissions(path),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const auto cells = breakdown_testing::readFirstSheet(path);
    const struct
    {
        const char *cell;
        const char *text; // nullptr for a number
        double value;
    } expected[] = {
        {"A1", "Año \"bueno\" <2023> & más", 0},
        {"A3", "Grupo", 0},
        {"D3", "0002 Norte ñ", 0},
        {"A4", "Costos (-)", 0},
        {"B4", "5'1 O'Higgins", 0},
        {"C4", nullptr, -1234567.89},
        {"D4", nullptr, 0},
        {"A5", "TOTAL", 0},
        {"C5", nullptr, 900000000000.0},
        {"D5", nullptr, 0},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(e.cell);
        ASSERT_TRUE(cells.contains(QString::fromLatin1(e.cell)));
        const breakdown_testing::SheetCell cell = cells.value(QString::fromLatin1(e.cell));
        EXPECT_EQ(cell.number, e.text == nullptr);
        if (e.text)
            EXPECT_EQ(cell.text, QString::fromUtf8(e.text));
        else
            EXPECT_DOUBLE_EQ(cell.value, e.value);
    }
    // Nothing stands in the title's empty cell, the blank row or beyond the last column.
    for (const char *empty : {"B1", "A2", "E3", "E4", "B5"})
        EXPECT_FALSE(cells.contains(QString::fromLatin1(empty))) << empty;
    // Account amounts and total amounts carry the two-decimal number format.
    EXPECT_TRUE(breakdown_testing::archiveMember(path, QStringLiteral("xl/styles.xml"))
                    .contains("formatCode=\"#,##0.00\""));
    EXPECT_NE(cells.value("C4").style, 0);
    EXPECT_NE(cells.value("C5").style, 0);
}

TEST(BreakdownWorkbook, ThePageAndTheWorkbookShowTheLargestAmountsToTheCent)
{
    const platform::RegionalSettings previous = platform::regionalSettings();
    platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    QTemporaryDir folder;
    const QString pagePath = folder.filePath(QStringLiteral("Panel_CTA_1.html"));
    breakdown::BreakdownPage page(pagePath, breakdown::pageHead(QStringLiteral("x"), false),
                                  QStringLiteral("Caja"));
    page.toggleRowClass();
    page.addColumnCaption(QStringLiteral("01/03/2026"));
    page.addColumnCaption(QStringLiteral("01/04/2026"));
    page.writeColumnHeader();
    const struct
    {
        const char *account;
        std::int64_t march;
        std::int64_t april;
    } lines[] = {{"1.1", 8000000000000000000, 1250}, {"1.2", 236996, -1350}};
    for (const auto &line : lines) {
        page.toggleRowClass();
        page.writePendingRows();
        page.startAccountRow(QStringLiteral("Caja"), QString::fromLatin1(line.account), {});
        page.addAmount(Currency::fromScaled(line.march));
        page.addAmount(Currency::fromScaled(line.april));
    }
    page.closeGroup(QStringLiteral("Caja"));
    page.writePendingRows();
    page.finish();
    const QString workbookPath = folder.filePath(QStringLiteral("apertura.xlsx"));
    breakdown::writeWorkbook(workbookPath, page.rows());
    platform::setRegionalSettings(previous);

    const QString pageText = platform::readTextFile(pagePath);
    EXPECT_TRUE(pageText.contains("<td>TOTAL Caja</td>\r\n<td>***</td>\r\n"
                                  "<td align=right>800.000.000.000.023,70</td>"));
    EXPECT_TRUE(pageText.contains("<td>TOTAL</td>\r\n<td></td>\r\n"
                                  "<td align=right>800.000.000.000.023,70</td>"));

    // Rows: title, blank, header, the two accounts, the group total, the final total.
    const auto cells = breakdown_testing::readFirstSheet(workbookPath);
    const QStringList formats = breakdown_testing::cellFormatCodes(workbookPath);
    const struct
    {
        const char *cell;
        double number;
        const char *shown;
    } expected[] = {
        {"C4", 800000000000000.0, "800000000000000.00"},
        {"C5", 23.7, "23.70"},
        {"C6", 800000000000023.7, "800.000.000.000.023,70"},
        {"C7", 800000000000023.7, "800.000.000.000.023,70"},
        // The page's own cents, halves to the even digit, not the amount's ten-thousandths.
        {"D4", 0.12, "0.12"},
        {"D5", -0.14, "-0.14"},
        {"D7", -0.01, "-0.01"},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(e.cell);
        ASSERT_TRUE(cells.contains(QString::fromLatin1(e.cell)));
        const breakdown_testing::SheetCell cell = cells.value(QString::fromLatin1(e.cell));
        EXPECT_TRUE(cell.number);
        EXPECT_EQ(cell.value, e.number);
        EXPECT_EQ(breakdown_testing::shownText(cell, formats), QString::fromUtf8(e.shown));
    }
}

TEST(BreakdownWorkbook, ANameTakenOrUnwritableRaisesAndWritesNothing)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("target.txt"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }
    const QString link = folder.filePath(QStringLiteral("link.xlsx"));
    QFile::link(target, link);
    const QString missing = folder.filePath(QStringLiteral("missing/apertura.xlsx"));
    const QList<BreakdownRow> rows{{Kind::Total, {"TOTAL", ""}, {Currency()}}};

    for (const QString &path : {link, target, missing}) {
        SCOPED_TRACE(path.toStdString());
        try {
            breakdown::writeWorkbook(path, rows);
            ADD_FAILURE() << "reported as written";
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), platform::errors::PathFileAccess);
            EXPECT_TRUE(error.description().contains(QDir::toNativeSeparators(path)));
        }
    }
    EXPECT_EQ(bytesOf(target), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo::exists(missing));
}

} // namespace
