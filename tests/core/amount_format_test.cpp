#include "core/amount_format.h"
#include "core/mod_global.h"
#include "platform/error.h"
#include "services_test_support.h"

#include <gtest/gtest.h>

namespace {

using core::FmtMoneda;
using core_testing::englishSettings;
using core_testing::ScopedRegionalSettings;
namespace decimales = core::decimales;

platform::RegionalSettings withCurrencyDecimals(platform::RegionalSettings settings, int decimals)
{
    settings.currencyDecimals = decimals;
    return settings;
}

class AmountFormatTest : public ::testing::Test
{
protected:
    void TearDown() override { core::gCantidadDecimales.clear(); }
};

TEST_F(AmountFormatTest, AmountsAreRoundedHalfToEvenAndWrittenWithTheRegionalSeparators)
{
    struct Case
    {
        const char *value;
        int decimals;
        bool thousands;
        bool english;
        const char *expected;
    };
    const Case cases[] = {
        {"1234,5", 2, true, false, "1.234,50"},
        {"1234,5", 2, false, false, "1234,50"},
        {"1234.5", 2, true, true, "1,234.50"},
        {"1234.5", 2, false, true, "1234.50"},
        {"1234567,885", 2, true, false, "1.234.567,88"},
        {"1234567.895", 2, true, true, "1,234,567.90"},
        {"0,125", 2, true, false, "0,12"},
        {"0,135", 2, true, false, "0,14"},
        {"-0,125", 2, true, false, "-0,12"},
        {"-0.135", 2, true, true, "-0.14"},
        {"0,1251", 2, true, false, "0,13"},
        {"-0,004", 2, true, false, "0,00"},
        {"999,995", 2, true, false, "1.000,00"},
        {"", 2, true, false, "0,00"},
        {"2,5", decimales::SinDecimales, true, false, "2"},
        {"3,5", decimales::SinDecimales, true, false, "4"},
        {"1234,5", decimales::SinDecimales, true, true, "1,234"},
        {"1,23456", 4, true, false, "1,2346"},
        {"1,5", 6, true, false, "1,500000"},
        {"no es un numero", decimales::SinFormato, true, false, "no es un numero"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.value) + " with " + std::to_string(c.decimals)
                     + (c.english ? " (English)" : " (Spanish)"));
        ScopedRegionalSettings settings(c.english ? englishSettings()
                                                  : platform::RegionalSettings::spanishArgentina());
        EXPECT_EQ(FmtMoneda(QString::fromUtf8(c.value), c.decimals, c.thousands),
                  QString::fromUtf8(c.expected));
    }
}

TEST_F(AmountFormatTest, AnAmountAtHandIsFormattedWithoutATextRoundTrip)
{
    const platform::Currency amount = platform::Currency::fromScaled(12345050); // 1234.505
    {
        ScopedRegionalSettings settings(platform::RegionalSettings::spanishArgentina());
        EXPECT_EQ(FmtMoneda(amount, 2, true), QStringLiteral("1.234,50"));
        EXPECT_EQ(FmtMoneda(amount, decimales::SinFormato, true), QStringLiteral("1234,505"));
        // Beyond the digits a double holds, to the last one.
        EXPECT_EQ(FmtMoneda(platform::Currency::fromScaled(8000000000000236996), 2, true),
                  QStringLiteral("800.000.000.000.023,70"));
        EXPECT_EQ(FmtMoneda(platform::Currency::fromScaled(-9223372036854775807), 3, false),
                  QStringLiteral("-922337203685477,581"));
    }
    ScopedRegionalSettings settings(englishSettings());
    EXPECT_EQ(FmtMoneda(amount, 2, true), QStringLiteral("1,234.50"));
    EXPECT_EQ(FmtMoneda(platform::Currency::fromScaled(-5000), decimales::SinDecimales, true),
              QStringLiteral("0"));
}

TEST_F(AmountFormatTest, TheDecimalsComeFromTheConfigurationOrTheRegionalCurrency)
{
    struct Case
    {
        const char *configured;
        int decimals;
        int regionalDecimals;
        const char *expected;
    };
    const Case cases[] = {
        {"", decimales::Regionales, 2, "1.234,57"},
        {"", decimales::Regionales, 3, "1.234,568"},
        {" 3 decimales", decimales::Configurados, 2, "1.234,568"},
        {"1", decimales::Configurados, 2, "1.234,6"},
        {"ninguno", decimales::Configurados, 2, "1.234,57"},
        {"", decimales::Configurados, 0, "1.235"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("\"") + c.configured + "\" with " + std::to_string(c.decimals));
        ScopedRegionalSettings settings(withCurrencyDecimals(
            platform::RegionalSettings::spanishArgentina(), c.regionalDecimals));
        core::gCantidadDecimales = QString::fromUtf8(c.configured);
        EXPECT_EQ(FmtMoneda(QStringLiteral("1234,5675"), c.decimals, true),
                  QString::fromUtf8(c.expected));
    }
}

TEST_F(AmountFormatTest, ANegativeNumberOfDecimalsThatIsNoCodeIsAnInvalidCall)
{
    try {
        FmtMoneda(QStringLiteral("1"), -4, true);
        FAIL() << "no error raised";
    } catch (const platform::Error &error) {
        EXPECT_EQ(error.number(), platform::errors::InvalidProcedureCall);
    }
}

} // namespace
