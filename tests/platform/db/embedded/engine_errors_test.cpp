#include "engine_fixture.h"
#include "platform/error.h"

#include <QFile>

using namespace platform::db;

namespace {

// Tables whose constraints the mapping cases break.
class EngineErrorsTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        run(QStringLiteral("CREATE TABLE MA_CUENTAS (CODIGO varchar(15) NOT NULL PRIMARY KEY, "
                           "DESCRIPCION varchar(100) NULL)"));
        run(QStringLiteral("CREATE TABLE MV_ASIENTOS (ID int IDENTITY(1,1) PRIMARY KEY, "
                           "CUENTA varchar(15) NOT NULL REFERENCES MA_CUENTAS (CODIGO), "
                           "FECHA datetime NULL, "
                           "[DEBE-HABER] char(1) NOT NULL CHECK ([DEBE-HABER] IN ('D', 'H')), "
                           "UNEGOCIO varchar(4) NULL, IMPORTE money NULL)"));
        run(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1101')"));
    }

    ProviderError firstError() const { return m_connection->errors().item(0); }
};

struct MappingCase
{
    const char *condition;
    const char *sql;
    std::int32_t number;
    std::int32_t nativeError;
    const char *sqlState;
    bool notice; // followed by 3621 "The statement has been terminated."
};

const MappingCase mappingCases[] = {
    {"primary key", "INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1101')", hresult::IntegrityViolation,
     native::DuplicateKey, "23000", true},
    {"not null", "INSERT INTO MA_CUENTAS (CODIGO) VALUES (NULL)", hresult::IntegrityViolation,
     native::NullNotAllowed, "23000", true},
    {"foreign key", "INSERT INTO MV_ASIENTOS (CUENTA, [DEBE-HABER]) VALUES ('9999', 'D')",
     hresult::IntegrityViolation, native::ReferenceConflict, "23000", true},
    {"check", "INSERT INTO MV_ASIENTOS (CUENTA, [DEBE-HABER]) VALUES ('1101', 'X')",
     hresult::IntegrityViolation, native::ReferenceConflict, "23000", true},
    {"length",
     "INSERT INTO MV_ASIENTOS (CUENTA, [DEBE-HABER], UNEGOCIO) VALUES ('1101', 'D', "
     "'ABCDE')",
     hresult::DataOverflow, native::StringTruncated, "22001", true},
    {"no table", "SELECT * FROM NADA", hresult::NoTable, native::InvalidObject, "42S02", false},
    {"no column", "SELECT NADA FROM MA_CUENTAS", hresult::ErrorsInCommand, native::InvalidColumn,
     "42S22", false},
    {"no column to insert into", "INSERT INTO MA_CUENTAS (CODIGO, NADA) VALUES ('1102', 1)",
     hresult::ErrorsInCommand, native::InvalidColumn, "42S22", false},
    {"syntax", "SELECT * FROM MA_CUENTAS WHERE", hresult::ErrorsInCommand, native::SyntaxError,
     "42000", false},
    {"table exists", "CREATE TABLE MA_CUENTAS (X int)", hresult::ErrorsInCommand,
     native::ObjectExists, "42S01", false},
    {"index exists",
     "CREATE INDEX IX_A ON MA_CUENTAS (DESCRIPCION) CREATE INDEX IX_A ON MA_CUENTAS (DESCRIPCION)",
     hresult::ErrorsInCommand, native::IndexExists, "42S11", false},
    {"commit without transaction", "COMMIT TRANSACTION", hresult::ErrorsInCommand,
     native::NoTransactionToCommit, "25000", false},
    {"rollback without transaction", "ROLLBACK TRANSACTION", hresult::ErrorsInCommand,
     native::NoTransactionToRollback, "25000", false},
    {"impossible date",
     "INSERT INTO MV_ASIENTOS (CUENTA, FECHA, [DEBE-HABER]) VALUES ('1101', "
     "'31/02/2024', 'D')",
     hresult::CantConvertValue, native::DateOutOfRange, "22007", false},
    {"text in a money column", // the server's "Cannot convert a char value to money"
     "INSERT INTO MV_ASIENTOS (CUENTA, [DEBE-HABER], IMPORTE) VALUES ('1101', 'D', 'doce')",
     hresult::CantConvertValue, 235, "22018", false},
    {"explicit identity value",
     "INSERT INTO MV_ASIENTOS (ID, CUENTA, [DEBE-HABER]) VALUES ('x', "
     "'1101', 'D')",
     hresult::IntegrityViolation, 544, "23000", false},
    {"unknown procedure", "EXEC sp_nada 1", hresult::ErrorsInCommand, native::UnknownProcedure,
     "42000", false},
    {"unsupported construct", "DECLARE @X int", hresult::NotSupported, native::Unsupported, "42000",
     false},
};

TEST_F(EngineErrorsTest, ServerConditionsGiveTheNumbersTheProgramBranchesOn)
{
    for (const MappingCase &c : mappingCases) {
        SCOPED_TRACE(c.condition);
        EXPECT_EQ(failureOf(QString::fromUtf8(c.sql)), c.number);
        ASSERT_GE(m_connection->errors().count(), 1);
        EXPECT_EQ(firstError().nativeError, c.nativeError);
        EXPECT_EQ(firstError().number, c.number);
        EXPECT_EQ(firstError().sqlState, QLatin1String(c.sqlState));
        EXPECT_FALSE(firstError().description.isEmpty());
        const QVector<std::int32_t> expected = c.notice
            ? QVector<std::int32_t>{c.nativeError, native::StatementTerminated}
            : QVector<std::int32_t>{c.nativeError};
        EXPECT_EQ(nativeErrors(), expected);
    }
}

TEST_F(EngineErrorsTest, ConstraintErrorsEndOnlyTheirStatement)
{
    EXPECT_EQ(failureOf(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1101')\r"
                                       "INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1102')\r"
                                       "INSERT INTO MA_CUENTAS (CODIGO) VALUES (NULL)\r"
                                       "INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1103')")),
              hresult::IntegrityViolation);
    EXPECT_EQ(nativeErrors(),
              (QVector<std::int32_t>{native::DuplicateKey, native::StatementTerminated,
                                     native::NullNotAllowed, native::StatementTerminated}));
    EXPECT_EQ(
        column(QStringLiteral("SELECT CODIGO FROM MA_CUENTAS ORDER BY CODIGO")),
        (QStringList{QStringLiteral("1101"), QStringLiteral("1102"), QStringLiteral("1103")}));
}

TEST_F(EngineErrorsTest, OtherErrorsEndTheBatch)
{
    EXPECT_EQ(failureOf(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1102') "
                                       "SELECT * FROM NADA "
                                       "INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1103')")),
              hresult::NoTable);
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{native::InvalidObject});
    EXPECT_EQ(column(QStringLiteral("SELECT CODIGO FROM MA_CUENTAS ORDER BY CODIGO")),
              (QStringList{QStringLiteral("1101"), QStringLiteral("1102")}));
}

TEST_F(EngineErrorsTest, ASyntaxErrorAnywhereRunsNothingOfTheBatch)
{
    EXPECT_EQ(failureOf(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1102') "
                                       "DELETE FROM MA_CUENTAS WHERE")),
              hresult::ErrorsInCommand);
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{native::SyntaxError});
    EXPECT_EQ(column(QStringLiteral("SELECT CODIGO FROM MA_CUENTAS")),
              QStringList{QStringLiteral("1101")});
}

TEST_F(EngineErrorsTest, TransactionTextsAndMethodsShareOneCounter)
{
    // The audit script shape: one batch, CR only, no separators.
    run(QStringLiteral(
        "BEGIN TRANSACTION \r\r\rINSERT INTO MA_CUENTAS (CODIGO) VALUES ('1102')\r"));
    m_connection->beginTrans(); // nested: counts only
    run(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1103')"));
    m_connection->commitTrans();
    run(QStringLiteral("ROLLBACK TRANSACTION"));
    EXPECT_EQ(column(QStringLiteral("SELECT CODIGO FROM MA_CUENTAS")),
              QStringList{QStringLiteral("1101")})
        << "the outer rollback undoes the inner commit";
    EXPECT_EQ(failureOf([&] { m_connection->commitTrans(); }), hresult::ErrorsInCommand);
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{native::NoTransactionToCommit});

    m_connection->beginTrans();
    run(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1104')"));
    run(QStringLiteral("COMMIT TRANSACTION"));
    EXPECT_EQ(failureOf([&] { m_connection->rollbackTrans(); }), hresult::ErrorsInCommand);
    EXPECT_EQ(column(QStringLiteral("SELECT CODIGO FROM MA_CUENTAS ORDER BY CODIGO")),
              (QStringList{QStringLiteral("1101"), QStringLiteral("1104")}));
}

TEST_F(EngineErrorsTest, CommandTimeoutInterruptsALongStatement)
{
    for (int code = 0; code < 30; ++code)
        run(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('%1')").arg(2000 + code));
    m_connection->setCommandTimeout(1);
    // 31 to the seventh power rows: far more than a second's work.
    EXPECT_EQ(
        failureOf(QStringLiteral("SELECT COUNT(*) FROM MA_CUENTAS A, MA_CUENTAS B, MA_CUENTAS "
                                 "C, MA_CUENTAS D, MA_CUENTAS E, MA_CUENTAS F, MA_CUENTAS G")),
        hresult::AbortLimitReached);
    EXPECT_EQ(firstError().sqlState, QStringLiteral("HYT00"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM MA_CUENTAS")).toInt(), 31)
        << "the connection stays usable";
}

TEST_F(EngineErrorsTest, AWriterWaitsNoLongerThanTheCommandTimeout)
{
    auto other = Connection::create();
    other->open(connectionString());
    other->beginTrans();
    other->execute(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1102')"));
    m_connection->setCommandTimeout(1);
    EXPECT_EQ(failureOf(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1103')")),
              hresult::AbortLimitReached);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM MA_CUENTAS")).toInt(), 1)
        << "readers do not wait for the writer";
    other->rollbackTrans();
}

TEST_F(EngineErrorsTest, AFileThatIsNoDatabaseFailsAsALostLink)
{
    QFile file(m_folder.filePath(QStringLiteral("ROTA.db")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    auto other = Connection::create();
    EXPECT_EQ(failureOf([&] { other->open(connectionString(QStringLiteral("ROTA"))); }),
              hresult::E_Fail);
}

} // namespace
