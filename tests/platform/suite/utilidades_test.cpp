#include "../platform_test_helpers.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "scripted_dialogs.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class UtilidadesTest : public ::testing::Test
{
protected:
    void SetUp() override { setRegionalSettings(RegionalSettings::spanishArgentina()); }

    Utilidades util;
};

} // namespace

TEST_F(UtilidadesTest, TextoAMonedaReadsRegionalTextElseTheLeadingNumber)
{
    const struct
    {
        const char *text;
        std::int64_t scaled;
    } cases[] = {
        {"", 0},
        {"   ", 0},
        {"1.234,56", 12345600},
        {"1234,5", 12345000},
        {"-0,0001", -1},
        {"12.5", 125000}, // not a regional number: read with "." as the decimal point
        {"1433 x", 14330000},
        {"abc", 0},
        {"0,00005", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(util.TextoAMoneda(QString::fromUtf8(c.text)).scaled, c.scaled) << c.text;
    for (const char *text : {"1E20", "922337203685478", "-922337203685478"})
        EXPECT_EQ(errorNumberOf([&] { util.TextoAMoneda(QString::fromUtf8(text)); }),
                  errors::Overflow)
            << text;
}

TEST_F(UtilidadesTest, TextoAEnteroRoundsHalfToEven)
{
    const struct
    {
        const char *text;
        int value;
    } cases[] = {{"2,5", 2}, {"3,5", 4}, {"-2,5", -2}, {"7,51", 8}, {"", 0}, {"42abc", 42}};
    for (const auto &c : cases)
        EXPECT_EQ(util.TextoAEntero(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_EQ(errorNumberOf([&] { util.TextoAEntero(QStringLiteral("3000000000")); }),
              errors::Overflow);
}

TEST_F(UtilidadesTest, ValorTextoWritesEveryValueType)
{
    const struct
    {
        const char *name;
        QVariant value;
        const char *text;
    } cases[] = {
        {"null", nullVariant(), ""},
        {"empty", QVariant(), ""},
        {"text", QStringLiteral(" Caja ñ "), " Caja ñ "},
        {"empty text", QString(), ""},
        {"int", 42, "42"},
        {"negative long", qlonglong(-9000000000), "-9000000000"},
        {"double", 1234.5, "1234,5"},
        {"whole double", 3.0, "3"},
        {"currency", currencyVariant(Currency::fromScaled(125000)), "12,5"},
        {"negative currency", currencyVariant(Currency::fromScaled(-1)), "-0,0001"},
        {"true", true, "Verdadero"},
        {"false", false, "Falso"},
        {"date", QDate(2026, 3, 5), "05/03/2026"},
        {"date and midnight", QDateTime(QDate(2026, 3, 5), QTime(0, 0)), "05/03/2026"},
        {"date and time", QDateTime(QDate(2026, 3, 5), QTime(14, 30, 5)), "05/03/2026 14:30:05"},
        {"time", QTime(9, 5), "09:05:00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(util.ValorTexto(c.value), QString::fromUtf8(c.text)) << c.name;
}

TEST_F(UtilidadesTest, ValorTextoAndTextoAMonedaRoundTrip)
{
    for (double value : {1234.5, -0.25, 1e6, 0.0001})
        EXPECT_EQ(util.TextoAMoneda(util.ValorTexto(value)), Currency::fromDouble(value)) << value;
}

TEST_F(UtilidadesTest, CantidadPalabrasCountsAcrossLineBreaks)
{
    const struct
    {
        const char *text;
        int words;
    } cases[] = {{"", 0},
                 {"   ", 0},
                 {"LEN", 1},
                 {"uno dos", 2},
                 {"  uno   dos  ", 2},
                 {"SELECT *\r\nFROM t\n\tWHERE x", 6},
                 {"uno\r\n\r\ndos", 2}};
    for (const auto &c : cases)
        EXPECT_EQ(util.CantidadPalabras(QString::fromUtf8(c.text)), c.words) << c.text;
}

TEST_F(UtilidadesTest, ExtraerTokenSkipsLeadingBlanksAndSeparators)
{
    const QString nul(QChar(0));
    const QString ff(QChar(0xFF));
    const struct
    {
        const char *name;
        QString text;
        QString separator;
        QString second;
        QString token;
    } cases[] = {
        {"value after =", "=SERVIDOR", "=", {}, "SERVIDOR"},
        {"second =", "=a=b", "=", {}, "a"},
        {"no separator", "sin", "|", {}, "sin"},
        {"first of a pair", "s|d", "|", {}, "s"},
        {"leading blanks and separators", " | s|d", "|", {}, "s"},
        {"blanks inside stay", "=mi clave", "=", {}, "mi clave"},
        {"padded field", "ABC" + nul + nul + nul, nul, ff, "ABC"},
        {"either separator", "ABC" + ff + "x" + nul, nul, ff, "ABC"},
        {"only separators", "|||", "|", {}, ""},
        {"empty", "", "|", {}, ""},
        {"longer separator", "; a; b", "; ", {}, "a"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(util.ExtraerToken(c.text, c.separator, c.second), c.token) << c.name;
}

TEST_F(UtilidadesTest, CortarReemplazarAndFormatoCodigo)
{
    EXPECT_EQ(util.CortarTexto(QStringLiteral("Ejecutando"), 4), QStringLiteral("Ejec"));
    EXPECT_EQ(util.CortarTexto(QStringLiteral("ab"), 10), QStringLiteral("ab"));
    EXPECT_EQ(util.CortarTexto(QStringLiteral("ab"), -1), QString());

    EXPECT_EQ(util.Reemplazar(QStringLiteral("1,5,2"), QStringLiteral(","), QStringLiteral(".")),
              QStringLiteral("1.5.2"));
    EXPECT_EQ(util.Reemplazar(QStringLiteral("Aa"), QStringLiteral("a"), QStringLiteral("x")),
              QStringLiteral("Ax"));
    EXPECT_EQ(util.ReemplazarTexto(QStringLiteral("Aa"), QStringLiteral("a"), QStringLiteral("x")),
              QStringLiteral("xx"));
    EXPECT_EQ(util.Reemplazar(QStringLiteral("ab"), QString(), QStringLiteral("x")),
              QStringLiteral("ab"));

    const struct
    {
        const char *code;
        int width;
        const char *result;
    } cases[] = {{"1", 4, "   1"},
                 {" 12 ", 4, "  12"},
                 {"ABCDE", 4, "ABCD"},
                 {"", 4, "    "},
                 {"A1", 25, "                       A1"},
                 {" x ", 0, "x"}};
    for (const auto &c : cases)
        EXPECT_EQ(util.FormatoCodigo(QString::fromUtf8(c.code), c.width),
                  QString::fromUtf8(c.result))
            << c.code << "/" << c.width;
    EXPECT_EQ(util.FormatoCodigo(QStringLiteral("  Caja 1  ")), QStringLiteral("Caja 1"));
}

TEST_F(UtilidadesTest, FechaSQLQuotesOnlyRealDates)
{
    EXPECT_EQ(util.FechaSQL(QStringLiteral("05/03/2026")), QStringLiteral("'05/03/2026'"));
    EXPECT_EQ(util.FechaSQL(QStringLiteral("5/3/26")), QStringLiteral("'05/03/2026'"));
    EXPECT_EQ(util.FechaSQL(QDate(2025, 12, 31)), QStringLiteral("'31/12/2025'"));
    for (const char *text : {"31/02/2026", "", "05/03/2026' OR '1'='1", "hoy"})
        EXPECT_EQ(errorNumberOf([&] { util.FechaSQL(QString::fromUtf8(text)); }),
                  errors::TypeMismatch)
            << text;
    EXPECT_EQ(errorNumberOf([&] { util.FechaSQL(QDate()); }), errors::TypeMismatch);
}

TEST_F(UtilidadesTest, MuestraErrorShowsTheErrorAndReturnsTheAnswer)
{
    testing_support::ScriptedDialogs dialogs;
    dialogs.answer(msgbox::Retry).answer(msgbox::Ok);
    const Error error(3704, QStringLiteral("La operación no se permite"), QStringLiteral("ADODB"));

    EXPECT_EQ(util.MuestraError(error, Utilidades::EstiloError, QStringLiteral("GeneraAuxiliar")),
              msgbox::Retry);
    EXPECT_EQ(dialogs.last().style, 18);
    for (const char *part : {"La operación no se permite", "3704", "ADODB", "GeneraAuxiliar"})
        EXPECT_TRUE(dialogs.last().text.contains(QString::fromUtf8(part))) << part;

    EXPECT_EQ(util.MuestraError(error, msgbox::OkOnly | msgbox::Exclamation), msgbox::Ok);
    EXPECT_EQ(dialogs.last().style, msgbox::Exclamation);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("RP_PANELCTA"));
}

TEST_F(UtilidadesTest, CodificarRoundTripsEveryPrintableCharacterInASafeAlphabet)
{
    QString every;
    for (char16_t c = 32; c < 127; ++c)
        every += QChar(c);
    for (char16_t c = 160; c < 256; ++c)
        every += QChar(c);
    every += QStringLiteral("€ñÑ漢");
    static const QRegularExpression safe(QStringLiteral("^[0-9A-F]*$"));

    QStringList texts{every, QStringLiteral("sa"), QStringLiteral("clave con blancos, \"; = |")};
    for (QChar c : every)
        texts << QString(c);
    for (const QString &text : texts) {
        const QString encoded = util.Codificar(text);
        EXPECT_TRUE(safe.match(encoded).hasMatch()) << encoded.toStdString();
        EXPECT_EQ(util.Decodificar(encoded), text) << text.toStdString();
    }
    EXPECT_EQ(util.Codificar(QString()), QString());
    EXPECT_EQ(util.Decodificar(QString()), QString());
    EXPECT_NE(util.Codificar(QStringLiteral("sa")), QStringLiteral("sa"));
}

TEST_F(UtilidadesTest, DecodificarOfMalformedTextIsEmpty)
{
    const QString valid = util.Codificar(QStringLiteral("secreto"));
    const QStringList malformed{QStringLiteral("ABC"),
                                QStringLiteral("ZZ"),
                                QStringLiteral("12 34"),
                                QStringLiteral("secreto"),
                                valid.toLower(),
                                valid.chopped(2),
                                QString(valid).replace(0, 2, QStringLiteral("00"))};
    for (const QString &text : malformed)
        EXPECT_EQ(util.Decodificar(text), QString()) << text.toStdString();
}

TEST_F(UtilidadesTest, AgregarBarraEndsInExactlyOneSlash)
{
    const struct
    {
        const char *folder;
        const char *result;
    } cases[] = {{"", ""},
                 {"/opt/panel", "/opt/panel/"},
                 {"/opt/panel/", "/opt/panel/"},
                 {"/opt//", "/opt/"},
                 {"datos", "datos/"},
                 {"/", "/"}};
    for (const auto &c : cases)
        EXPECT_EQ(util.AgregarBarra(QString::fromUtf8(c.folder)), QString::fromUtf8(c.result))
            << c.folder;
}
