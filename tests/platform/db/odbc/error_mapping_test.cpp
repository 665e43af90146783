#include "platform/db/odbc/odbc_errors.h"

#include <gtest/gtest.h>

namespace platform::db::odbc {
namespace {

struct ResultCodeCase
{
    const char *name;
    Dialect dialect;
    const char *sqlState;
    std::int32_t nativeError;
    std::int32_t expected;
};

// Parameter names in test listings instead of the parameter's bytes.
void PrintTo(const ResultCodeCase &testCase, std::ostream *out)
{
    *out << testCase.name;
}

class ResultCodes : public ::testing::TestWithParam<ResultCodeCase>
{ };

TEST_P(ResultCodes, FollowTheServersNumberOrState)
{
    const ResultCodeCase &testCase = GetParam();
    EXPECT_EQ(
        resultCodeFor(testCase.dialect, QLatin1String(testCase.sqlState), testCase.nativeError),
        testCase.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResultCodes,
    ::testing::Values(
        ResultCodeCase{"DuplicateKey", Dialect::SqlServer, "23000", 2627,
                       hresult::IntegrityViolation},
        ResultCodeCase{"DuplicateIndexKey", Dialect::SqlServer, "23000", 2601,
                       hresult::IntegrityViolation},
        ResultCodeCase{"ReferenceConflict", Dialect::SqlServer, "23000", 547,
                       hresult::IntegrityViolation},
        ResultCodeCase{"NullNotAllowed", Dialect::SqlServer, "23000", 515,
                       hresult::IntegrityViolation},
        ResultCodeCase{"MissingTable", Dialect::SqlServer, "42S02", 208, hresult::NoTable},
        ResultCodeCase{"Truncation", Dialect::SqlServer, "22001", 8152, hresult::DataOverflow},
        ResultCodeCase{"TextToDate", Dialect::SqlServer, "22007", 241, hresult::CantConvertValue},
        ResultCodeCase{"DateOutOfRange", Dialect::SqlServer, "22008", 242,
                       hresult::CantConvertValue},
        ResultCodeCase{"TextToNumber", Dialect::SqlServer, "22018", 245, hresult::CantConvertValue},
        ResultCodeCase{"NumericConversion", Dialect::SqlServer, "42000", 8114,
                       hresult::CantConvertValue},
        ResultCodeCase{"ArithmeticOverflow", Dialect::SqlServer, "22003", 8115,
                       hresult::CantConvertValue},
        ResultCodeCase{"LinkLost", Dialect::SqlServer, "08S01", 20004, hresult::E_Fail},
        ResultCodeCase{"CannotOpenDatabase", Dialect::SqlServer, "42000", 4060, hresult::E_Fail},
        ResultCodeCase{"QueryTimeout", Dialect::SqlServer, "HYT00", 0, hresult::AbortLimitReached},
        ResultCodeCase{"LoginTimeout", Dialect::SqlServer, "HYT01", 0, hresult::AbortLimitReached},
        ResultCodeCase{"LoginFailedByNumber", Dialect::SqlServer, "42000", 18456,
                       hresult::AuthenticationFailed},
        ResultCodeCase{"LoginFailedByState", Dialect::Oracle, "28000", 1017,
                       hresult::AuthenticationFailed},
        ResultCodeCase{"SyntaxError", Dialect::SqlServer, "42000", 102, hresult::ErrorsInCommand},
        ResultCodeCase{"Deadlock", Dialect::SqlServer, "40001", 1205, hresult::ErrorsInCommand},
        ResultCodeCase{"SqlServerStateAloneDecidesNothing", Dialect::SqlServer, "23000", 544,
                       hresult::ErrorsInCommand},
        ResultCodeCase{"OracleUniqueConstraint", Dialect::Oracle, "23000", 1,
                       hresult::IntegrityViolation},
        ResultCodeCase{"OracleMissingTable", Dialect::Oracle, "42S02", 942, hresult::NoTable},
        ResultCodeCase{"OracleSyntax", Dialect::Oracle, "42000", 900, hresult::ErrorsInCommand},
        ResultCodeCase{"OracleLinkLost", Dialect::Oracle, "08S01", 3113, hresult::E_Fail},
        ResultCodeCase{"OtherDriverGeneralError", Dialect::Other, "HY000", 19,
                       hresult::ErrorsInCommand}),
    [](const ::testing::TestParamInfo<ResultCodeCase> &info) { return info.param.name; });

DiagnosticRecord record(const char *state, std::int32_t nativeError, const char *message)
{
    return {QLatin1String(state), nativeError, QString::fromUtf8(message)};
}

TEST(ErrorCollector, KeepsErrorsInOrderWithTheirStatementNotice)
{
    ErrorCollector collector(Dialect::SqlServer);
    collector.add(SQL_SUCCESS_WITH_INFO,
                  {record("01000", 5701, "[FreeTDS][SQL Server]Changed database context")});
    collector.add(
        SQL_ERROR,
        {record("23000", 2627, "[FreeTDS][SQL Server]Violation of PRIMARY KEY"),
         record("01000", 3621, "[FreeTDS][SQL Server]The statement has been terminated.")});
    collector.add(SQL_ERROR,
                  {record("42S02", 208, "[FreeTDS][SQL Server]Invalid object name 'X'.")});

    const QVector<ProviderError> errors = collector.take();
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors[0].nativeError, 2627);
    EXPECT_EQ(errors[0].number, hresult::IntegrityViolation);
    EXPECT_EQ(errors[0].sqlState, QStringLiteral("23000"));
    EXPECT_EQ(errors[0].description, QStringLiteral("Violation of PRIMARY KEY"));
    EXPECT_EQ(errors[0].source, QStringLiteral("[FreeTDS][SQL Server]"));
    EXPECT_EQ(errors[1].nativeError, native::StatementTerminated);
    EXPECT_EQ(errors[1].number, hresult::IntegrityViolation);
    EXPECT_EQ(errors[2].number, hresult::NoTable);
    EXPECT_FALSE(collector.hasErrors());
}

TEST(ErrorCollector, LeavesInformationalMessagesOut)
{
    ErrorCollector collector(Dialect::SqlServer);
    collector.add(SQL_SUCCESS_WITH_INFO,
                  {record("01000", 5703, "Changed language setting"),
                   record("01004", 0, "String data, right truncated"),
                   record("01000", 3621, "The statement has been terminated.")});
    EXPECT_FALSE(collector.hasErrors());
}

// The driver manager reports a driver library it cannot load with a warning state only.
TEST(ErrorCollector, AFailedCallNeverPassesForASuccess)
{
    ErrorCollector onlyWarnings(Dialect::Other);
    onlyWarnings.add(SQL_ERROR,
                     {record("01000", 0,
                             "[unixODBC][Driver Manager]Can't open lib 'X' : file "
                             "not found")});
    const QVector<ProviderError> warned = onlyWarnings.take();
    ASSERT_EQ(warned.size(), 1);
    EXPECT_EQ(warned[0].description, QStringLiteral("Can't open lib 'X' : file not found"));

    ErrorCollector silent(Dialect::Other);
    silent.add(SQL_ERROR, QVector<DiagnosticRecord>{});
    ASSERT_EQ(silent.take().size(), 1);
}

} // namespace
} // namespace platform::db::odbc
