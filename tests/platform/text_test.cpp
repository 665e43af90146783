#include "platform/text.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

RegionalSettings argentina()
{
    return RegionalSettings::spanishArgentina();
}

RegionalSettings unitedStates()
{
    RegionalSettings s;
    s.shortDateFormat = QStringLiteral("MM/dd/yyyy");
    s.dateOrder = DateOrder::MonthDayYear;
    s.dateSeparator = QLatin1Char('/');
    s.decimalSeparator = QLatin1Char('.');
    s.thousandsSeparator = QLatin1Char(',');
    return s;
}

RegionalSettings sweden()
{
    RegionalSettings s;
    s.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    s.dateOrder = DateOrder::YearMonthDay;
    s.dateSeparator = QLatin1Char('-');
    s.decimalSeparator = QLatin1Char(',');
    s.thousandsSeparator = QChar(QChar::Nbsp);
    return s;
}

} // namespace

TEST(LeadingNumber, ReadsTheNumberATextStartsWith)
{
    const struct
    {
        const char *text;
        double value;
    } cases[] = {
        {"12.5abc", 12.5}, {"  -3", -3}, {"1,5", 1},       {"abc", 0},   {"", 0},
        {"2E3", 2000},     {"2E", 2},    {"1.5D-1", 0.15}, {".5", 0.5},  {"+7x", 7},
        {"1.2.3", 1.2},    {"-", 0},     {"1433", 1433},   {"\t8 9", 8},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(RegionalNumber, ReadsWholeTextsWithBothSeparators)
{
    const struct
    {
        RegionalSettings settings;
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {argentina(), "1.234,56", 1234.56},    {argentina(), "1234,5", 1234.5},
        {argentina(), " -0,5 ", -0.5},         {argentina(), ",25", 0.25},
        {argentina(), "1.234.567", 1234567},   {argentina(), "12", 12},
        {argentina(), "1.23,4", std::nullopt}, {argentina(), "12.5", std::nullopt},
        {argentina(), "1,2,3", std::nullopt},  {argentina(), "12a", std::nullopt},
        {argentina(), "", std::nullopt},       {argentina(), "-", std::nullopt},
        {unitedStates(), "1,234.56", 1234.56}, {unitedStates(), "1.234,56", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<double> value
            = parseRegionalNumber(QString::fromUtf8(c.text), c.settings);
        ASSERT_EQ(value.has_value(), c.value.has_value());
        if (value) {
            EXPECT_DOUBLE_EQ(*value, *c.value);
        }
    }
}

TEST(RegionalNumber, WritesRoundedAndGroupedText)
{
    const struct
    {
        RegionalSettings settings;
        double value;
        int decimals;
        bool group;
        const char *text;
    } cases[] = {
        {argentina(), 1234.5, 2, true, "1.234,50"},
        {argentina(), 1.005, 2, true, "1,01"}, // rounded as written, not as stored
        {argentina(), 2.5, 0, true, "3"},
        {argentina(), -2.5, 0, true, "-3"},
        {argentina(), 999.995, 2, true, "1.000,00"},
        {argentina(), -0.004, 2, true, "0,00"},
        {argentina(), 1234567, 0, false, "1234567"},
        {argentina(), -1234567.25, 1, true, "-1.234.567,3"},
        {argentina(), 12, 4, true, "12,0000"},
        {unitedStates(), 1234.5, 2, true, "1,234.50"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatRegionalNumber(c.value, c.decimals, c.group, c.settings),
                  QString::fromUtf8(c.text))
            << c.value;
}

TEST(RegionalNumber, WritesAValueAsTextWithoutGroupingOrTrailingZeros)
{
    const struct
    {
        double value;
        const char *text;
    } cases[] = {{1234.5, "1234,5"}, {3, "3"}, {-0.25, "-0,25"}, {1e-7, "0,0000001"}, {-0.0, "0"}};
    for (const auto &c : cases)
        EXPECT_EQ(regionalNumberText(c.value, argentina()), QString::fromUtf8(c.text)) << c.value;
}

TEST(RegionalDate, ReadsStrictlyInTheRegionalOrder)
{
    const struct
    {
        RegionalSettings settings;
        const char *text;
        QDate date;
    } cases[] = {
        {argentina(), "31/12/2025", QDate(2025, 12, 31)},
        {argentina(), "5/3/2026", QDate(2026, 3, 5)},
        {argentina(), " 05-03-2026 ", QDate(2026, 3, 5)},
        {argentina(), "05.03.2026", QDate(2026, 3, 5)},
        {argentina(), "29/02/2024", QDate(2024, 2, 29)},
        {argentina(), "05/03/00", QDate(2000, 3, 5)},
        {argentina(), "05/03/49", QDate(2049, 3, 5)},
        {argentina(), "05/03/50", QDate(1950, 3, 5)},
        {argentina(), "05/03/99", QDate(1999, 3, 5)},
        {argentina(), "2026-03-05", QDate(2026, 3, 5)},
        {argentina(), "31/02/2026", QDate()},
        {argentina(), "29/02/2025", QDate()},
        {argentina(), "13/13/2026", QDate()},
        {argentina(), "00/03/2026", QDate()},
        {argentina(), "05/03/2026x", QDate()},
        {argentina(), "05/03/2026 10:00", QDate()},
        {argentina(), "05/03", QDate()},
        {argentina(), "05/03/202", QDate()},
        {argentina(), "005/03/2026", QDate()},
        {argentina(), "", QDate()},
        {argentina(), "x' OR 1=1", QDate()},
        {unitedStates(), "03/05/2026", QDate(2026, 3, 5)},
        {unitedStates(), "31/12/2025", QDate()},
        {sweden(), "2026-03-05", QDate(2026, 3, 5)},
        {sweden(), "26-03-05", QDate(2026, 3, 5)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<QDate> date = parseRegionalDate(QString::fromUtf8(c.text), c.settings);
        EXPECT_EQ(date.value_or(QDate()), c.date);
    }
}

TEST(RegionalDate, WritesTheShortDateText)
{
    const QDate date(2026, 3, 5);
    EXPECT_EQ(formatShortDate(date, argentina()), QStringLiteral("05/03/2026"));
    EXPECT_EQ(formatShortDate(date, unitedStates()), QStringLiteral("03/05/2026"));
    EXPECT_EQ(formatShortDate(date, sweden()), QStringLiteral("2026-03-05"));
    EXPECT_EQ(formatShortDate(QDate(), argentina()), QString());
    for (const RegionalSettings &s : {argentina(), unitedStates(), sweden()})
        EXPECT_EQ(parseRegionalDate(formatShortDate(date, s), s), date);
}

TEST(TruthValue, ReadsWordsAndNumbers)
{
    setRegionalSettings(argentina());
    const struct
    {
        const char *text;
        std::optional<bool> value;
    } cases[] = {{"True", true}, {"verdadero", true}, {"FALSE", false},    {" Falso ", false},
                 {"1", true},    {"-1", true},        {"0", false},        {"0,0", false},
                 {"2,5", true},  {"", std::nullopt},  {"si", std::nullopt}};
    for (const auto &c : cases)
        EXPECT_EQ(parseTruthValue(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(IgnoringCase, FoldsNonAsciiLettersAndKeepsAccents)
{
    const struct
    {
        const char *a;
        const char *b;
        bool equal;
    } cases[] = {
        {"ÑANDÚ", "ñandú", true}, {"Campaña", "CAMPAÑA", true},
        {"Ángel", "ángel", true}, {"a", "á", false},
        {"ano", "año", false},    {"MA_PANELCTA", "ma_panelcta", true},
        {"", "", true},           {"a", "", false},
    };
    for (const auto &c : cases) {
        const QString a = QString::fromUtf8(c.a), b = QString::fromUtf8(c.b);
        EXPECT_EQ(equalsIgnoringCase(a, b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(compareIgnoringCase(a, b) == 0, c.equal) << c.a << " / " << c.b;
    }
    EXPECT_LT(compareIgnoringCase(QStringLiteral("abc"), QStringLiteral("ABD")), 0);
    EXPECT_GT(compareIgnoringCase(QStringLiteral("b"), QStringLiteral("A")), 0);
}

TEST(IgnoringCase, FindsAndReplaces)
{
    const QString text = QStringLiteral("Respondió la CAMPAÑA; año y ano");
    EXPECT_EQ(indexOfIgnoringCase(text, QStringLiteral("campaña")), 13);
    EXPECT_EQ(indexOfIgnoringCase(text, QStringLiteral("RESPONDIO")), -1);
    EXPECT_EQ(indexOfIgnoringCase(text, QStringLiteral("A"), 20), 22);
    EXPECT_TRUE(containsIgnoringCase(text, QStringLiteral("RESPONDIÓ")));
    EXPECT_FALSE(containsIgnoringCase(text, QStringLiteral("campana")));

    const struct
    {
        const char *text;
        const char *find;
        const char *put;
        const char *result;
    } cases[] = {
        {"select * from v_ma_articulos, V_MA_ARTICULOS", "V_MA_ARTICULOS", "VT_MA_ARTICULOS",
         "select * from VT_MA_ARTICULOS, VT_MA_ARTICULOS"},
        {"Año ano AÑO", "año", "X", "X ano X"},
        {"a|b|c", "|", ",", "a,b,c"},
        {"sin cambio", "", "X", "sin cambio"},
        {"", "a", "b", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(replaceIgnoringCase(QString::fromUtf8(c.text), QString::fromUtf8(c.find),
                                      QString::fromUtf8(c.put)),
                  QString::fromUtf8(c.result))
            << c.text;
}
