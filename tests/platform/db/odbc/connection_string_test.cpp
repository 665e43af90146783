#include "platform/db/odbc/odbc_connection_string.h"

#include <gtest/gtest.h>

namespace platform::db::odbc {
namespace {

const DriverSetup freeTds{QStringLiteral("FreeTDS"), {}, {QStringLiteral("FreeTDS")}};
const DriverSetup microsoftDriver{QStringLiteral("ODBC Driver 18 for SQL Server"), {}, {}};
const DriverSetup withOracle{
    QStringLiteral("FreeTDS"), QStringLiteral("Oracle 21 ODBC driver"), {}};
const DriverSetup withMdbTools{
    QStringLiteral("FreeTDS"), {}, {QStringLiteral("FreeTDS"), QStringLiteral("MDBTools")}};

struct MappingCase
{
    const char *name;
    QString programString;
    QString user;
    QString password;
    DriverSetup drivers;
    QString expected; // the ODBC string; empty when an error is expected
    QString errorMentions;
};

// Parameter names in test listings instead of the parameter's bytes.
void PrintTo(const MappingCase &testCase, std::ostream *out)
{
    *out << testCase.name;
}

class ConnectionStringMapping : public ::testing::TestWithParam<MappingCase>
{ };

TEST_P(ConnectionStringMapping, MapsTheProgramStringToTheDriversString)
{
    const MappingCase &testCase = GetParam();
    const OdbcConnectionString mapped
        = toOdbcConnectionString(ConnectionString::parse(testCase.programString), testCase.user,
                                 testCase.password, testCase.drivers);
    if (testCase.expected.isEmpty()) {
        ASSERT_TRUE(mapped.error.has_value()) << mapped.text.toStdString();
        EXPECT_EQ(mapped.error->number, hresult::E_Fail);
        EXPECT_EQ(mapped.error->sqlState, QStringLiteral("IM002"));
        EXPECT_TRUE(mapped.error->description.contains(testCase.errorMentions))
            << mapped.error->description.toStdString();
    } else {
        EXPECT_FALSE(mapped.error.has_value());
        EXPECT_EQ(mapped.text, testCase.expected);
    }
}

const QString freeTdsTail = QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionStringMapping,
    ::testing::Values(
        MappingCase{"SqlServerThroughFreeTds",
                    "PROVIDER=SQLOLEDB;Server=SRV;Database =CONTA;UId=sa;Pwd=secret;",
                    {},
                    {},
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=SRV;DATABASE=CONTA;UID=sa;PWD=secret;" + freeTdsTail,
                    {}},
        MappingCase{"NamedInstanceStaysWhole",
                    "PROVIDER=SQLOLEDB;Server=SRV\\KORUBAY;Database =CONTA;UId=sa;Pwd=x;",
                    {},
                    {},
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=SRV\\KORUBAY;DATABASE=CONTA;UID=sa;PWD=x;"
                        + freeTdsTail,
                    {}},
        MappingCase{"FreeTdsTakesThePortApart",
                    "PROVIDER=SQLOLEDB;Server=10.0.0.5:1500;Database =CONTA;UId=sa;Pwd=x;",
                    {},
                    {},
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1500;DATABASE=CONTA;UID=sa;PWD=x;"
                        + freeTdsTail,
                    {}},
        MappingCase{"MicrosoftDriverKeepsHostCommaPort",
                    "PROVIDER=SQLOLEDB;Server=srv,1500;Database =CONTA;UId=sa;Pwd=x;",
                    {},
                    {},
                    microsoftDriver,
                    "DRIVER={ODBC Driver 18 for SQL Server};SERVER=srv,1500;DATABASE=CONTA;UID=sa;"
                    "PWD=x;",
                    {}},
        MappingCase{"EmptyDatabaseIsLeftToTheLogin",
                    "PROVIDER=SQLOLEDB;Server=SRV;Database =;UId=sa;Pwd=x;",
                    {},
                    {},
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD=x;" + freeTdsTail,
                    {}},
        MappingCase{"UserAndPasswordGivenApartWinAndAreBraced",
                    "PROVIDER=SQLOLEDB;Server=SRV;Database =CONTA;UId=sa;Pwd=old;",
                    "ana",
                    "a;b}c",
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=SRV;DATABASE=CONTA;UID=ana;PWD={a;b}c};" + freeTdsTail,
                    {}},
        MappingCase{"BracedPasswordOfTheProgramStringReachesTheDriverWhole",
                    "PROVIDER=SQLOLEDB;Server=SRV;Database =CONTA;UId=sa;Pwd={a;b}}c};",
                    {},
                    {},
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=SRV;DATABASE=CONTA;UID=sa;PWD={a;b}c};" + freeTdsTail,
                    {}},
        MappingCase{"DriversThatUndoDoubledBracesGetThem",
                    "PROVIDER=SQLOLEDB;Server=SRV;Database =CONTA;UId=sa;Pwd=old;",
                    "ana",
                    "a;b}c",
                    microsoftDriver,
                    "DRIVER={ODBC Driver 18 for SQL Server};SERVER=SRV;DATABASE=CONTA;UID=ana;"
                    "PWD={a;b}}c};",
                    {}},
        MappingCase{"BracedOraclePasswordReachesTheDriverWhole",
                    "Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=conta;Password={p;w};",
                    {},
                    {},
                    withOracle,
                    "DRIVER={Oracle 21 ODBC driver};DBQ=XE;UID=conta;PWD={p;w};",
                    {}},
        MappingCase{"EqualsSignInAPasswordCannotAddAKey",
                    "PROVIDER=SQLOLEDB;Server=SRV;Database =CONTA;UId=sa;Pwd=x=1;",
                    {},
                    {},
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=SRV;DATABASE=CONTA;UID=sa;PWD=x=1;" + freeTdsTail,
                    {}},
        MappingCase{"DriverKeyAfterAPasswordCannotRedirectTheConnection",
                    "PROVIDER=SQLOLEDB;Server=SRV;Database =CONTA;UId=sa;Pwd=x;"
                    "DRIVER=/tmp/evil.so;DSN=other;",
                    {},
                    {},
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=SRV;DATABASE=CONTA;UID=sa;PWD=x;" + freeTdsTail,
                    {}},
        MappingCase{"DsnKeyAfterAnOraclePasswordCannotRedirectTheConnection",
                    "Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=conta;Password=pw;DSN=x;",
                    {},
                    {},
                    withOracle,
                    "DRIVER={Oracle 21 ODBC driver};DBQ=XE;UID=conta;PWD=pw;",
                    {}},
        MappingCase{"OracleThroughTheConfiguredDriver",
                    "Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=conta;Password=pw;",
                    {},
                    {},
                    withOracle,
                    "DRIVER={Oracle 21 ODBC driver};DBQ=XE;UID=conta;PWD=pw;",
                    {}},
        MappingCase{"OracleWithoutADriverNamesTheVariable",
                    "Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=conta;Password=pw;",
                    {},
                    {},
                    freeTds,
                    {},
                    "RP_PANELCTA_ORACLE_DRIVER"},
        MappingCase{"AccessThroughMdbTools",
                    "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =/datos/conta.mdb;User "
                    "Id=admin;Password=;",
                    {},
                    {},
                    withMdbTools,
                    "DRIVER={MDBTools};DBQ=/datos/conta.mdb;",
                    {}},
        MappingCase{"AccessWithoutMdbToolsNamesTheMissingDriver",
                    "PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source =/datos/conta.mdb;",
                    {},
                    {},
                    freeTds,
                    {},
                    "MDBTools"},
        MappingCase{"UnknownProviderIsNamed",
                    "Provider=MSDAORA;Data Source=XE;",
                    {},
                    {},
                    freeTds,
                    {},
                    "MSDAORA"},
        MappingCase{"DsnStringIsUsedAsGiven",
                    "DSN=CONTA; UID=ana; PWD=pw",
                    {},
                    {},
                    freeTds,
                    "DSN=CONTA; UID=ana; PWD=pw",
                    {}},
        MappingCase{"DriverStringKeepsItsBracedValues",
                    "DRIVER={SQLite3};Database={/tmp/a;b.db};",
                    {},
                    {},
                    freeTds,
                    "DRIVER={SQLite3};Database={/tmp/a;b.db};",
                    {}},
        MappingCase{"DriverStringTakesTheUserAndPasswordGivenApart",
                    "DRIVER={FreeTDS};SERVER=srv;UID=old;PWD={p;w}",
                    "ana",
                    "n}ew",
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=srv;UID=ana;PWD=n}ew",
                    {}},
        MappingCase{"DriverStringWithoutCredentialsGetsThemAppended",
                    "DRIVER={FreeTDS};SERVER=srv",
                    "ana",
                    "pw",
                    freeTds,
                    "DRIVER={FreeTDS};SERVER=srv;UID=ana;PWD=pw;",
                    {}}),
    [](const ::testing::TestParamInfo<MappingCase> &info) { return info.param.name; });

// FreeTDS ends a braced value at the first "};" and never undoes a doubled "}".
TEST(FreeTdsValues, BraceOnlyWhatWouldEndTheValueAndDoubleNothing)
{
    const std::pair<const char *, const char *> cases[] = {
        {"clave", "clave"}, {"p}q", "p}q"},     {"a=b", "a=b"}, {"a;b}c", "{a;b}c}"},
        {"{x", "{{x}"},     {"a;b}", "{a;b}}"}, {"", ""},       {"ñandú", "ñandú"},
    };
    for (const auto &[value, written] : cases) {
        const std::optional<QString> result = freeTdsValue(QString::fromUtf8(value));
        ASSERT_TRUE(result.has_value()) << value;
        EXPECT_EQ(*result, QString::fromUtf8(written)) << value;
    }
    EXPECT_FALSE(freeTdsValue(QStringLiteral("a};b")).has_value());
}

TEST(FreeTdsValues, AValueFreeTdsCannotCarryIsRefusedByName)
{
    const struct
    {
        QString programString;
        QString password;
        const char *named;
    } cases[] = {
        {QStringLiteral("PROVIDER=SQLOLEDB;Server=SRV;Database =C;UId=sa;Pwd=x;"),
         QStringLiteral("a};b"), "La contraseña"},
        {QStringLiteral("PROVIDER=SQLOLEDB;Server=SRV;Database ={x}};y};UId=sa;Pwd=x;"),
         {},
         "La base de datos"},
        {QStringLiteral("DRIVER={FreeTDS};SERVER=srv;UID=ana"), QStringLiteral("};"),
         "La contraseña"},
    };
    for (const auto &c : cases) {
        const OdbcConnectionString mapped = toOdbcConnectionString(
            ConnectionString::parse(c.programString), {}, c.password, freeTds);
        ASSERT_TRUE(mapped.error.has_value()) << mapped.text.toStdString();
        EXPECT_TRUE(mapped.text.isEmpty());
        EXPECT_TRUE(mapped.error->description.startsWith(QString::fromUtf8(c.named)))
            << mapped.error->description.toStdString();
        EXPECT_TRUE(mapped.error->description.contains(QStringLiteral("FreeTDS")));
    }
}

TEST(ProgramConnectionString, ReadsBracedValuesWholeAndBracesOnlyWhatNeedsIt)
{
    struct Case
    {
        const char *text;
        const char *password;
    };
    const Case cases[] = {
        {"Server=s;Pwd=plain;UId=u;", "plain"},
        {"Server=s;Pwd={a;b};UId=u;", "a;b"},
        {"Server=s;Pwd= {a}}b} ;UId=u;", "a}b"},
        {"Server=s;Pwd={};UId=u;", ""},
        {"Server=s;Pwd=a=b;UId=u;", "a=b"},
        {"Server=s;junk;Pwd=x;UId=u;", "x"},
        {"Server=s;UId=u;Pwd={unclosed;x", "unclosed;x"},
    };
    for (const Case &c : cases) {
        const ConnectionString parsed = ConnectionString::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(parsed.value(QStringLiteral("pwd")), QString::fromUtf8(c.password)) << c.text;
        EXPECT_EQ(parsed.value(QStringLiteral("Server")), QStringLiteral("s")) << c.text;
        EXPECT_EQ(parsed.value(QStringLiteral("UId")), QStringLiteral("u")) << c.text;
    }

    const std::pair<const char *, const char *> values[] = {
        {"clave", "clave"}, {"a;b", "{a;b}"}, {"{x}", "{{x}}}"}, {"a=b c", "a=b c"}, {"", ""},
    };
    for (const auto &[value, written] : values)
        EXPECT_EQ(connectionValue(QString::fromUtf8(value)), QString::fromUtf8(written)) << value;
}

} // namespace
} // namespace platform::db::odbc
