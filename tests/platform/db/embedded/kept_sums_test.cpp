#include "engine_fixture.h"
#include "platform/error.h"

#include <functional>

using namespace platform::db;

namespace {

// A journal whose columns all take Null, with the texts that make account tests hard: a
// title's own line, trailing blanks, ñ beside an n that only an accent-insensitive database
// takes for it, a lower-case side, lines outside the range and summary lines. Two accounts
// that only the collation makes one ("1102" and "1102 ", "ñu01" and "nu01" when accents do
// not count) are in the ranges of some filters only. "éa01" written with its accent apart is
// the same account when accents do not count, but one character longer to a prefix test.
// Some titles head accounts whose prefixes, sides, units or centres differ only in case or
// trailing blanks ("ab01" and "AB02", a "5301" on both "D" and "d", "5401" and "5402" in "   1 "
// and "   1"), in either order of the lines and of the accounts, and "52" heads accounts whose
// sums add up to a ten-thousandth.
const char *const journalSchema[] = {
    "CREATE TABLE MV_ASIENTOS (ID int IDENTITY(1,1) PRIMARY KEY, CUENTA varchar(15) NULL, "
    "FECHA datetime NULL, [DEBE-HABER] char(1) NULL, IMPORTE money NULL, TC varchar(4) NULL, "
    "UNEGOCIO varchar(4) NULL, EsResumen bit NULL)",
    "CREATE TABLE MV_ASIENTOS_CCOSTO (IdAsiento int NOT NULL, CCOSTO varchar(4) NULL, "
    "IMPORTECC money NULL)",
    "CREATE VIEW Vt_ASIENTOS_Ccosto AS SELECT MV_ASIENTOS.CUENTA, MV_ASIENTOS.FECHA, "
    "MV_ASIENTOS.[DEBE-HABER], MV_ASIENTOS.TC, MV_ASIENTOS.UNEGOCIO, MV_ASIENTOS.EsResumen, "
    "MV_ASIENTOS_CCOSTO.CCOSTO, MV_ASIENTOS_CCOSTO.IMPORTECC FROM MV_ASIENTOS INNER JOIN "
    "MV_ASIENTOS_CCOSTO ON MV_ASIENTOS_CCOSTO.IdAsiento = MV_ASIENTOS.ID",
};

const char *const journalLines[] = {
    "'1101', '15/02/2024', 'D', 100.10, 'FA', '   1', 0",
    "'1101', '16/02/2024', 'H', 0.20, 'NC', '   2', 0",
    "'1102', '15/02/2024', 'd', 30, 'FA', '   1', 0",
    "'11', '20/02/2024', 'D', 5, 'FA', '   1', 0",
    "'5201 ', '15/02/2024', 'H', 70, 'FA', '   2', 0",
    "'ñu01', '18/02/2024', 'D', 12.3456, 'FA', '   1', 0",
    "'nu01', '18/02/2024', 'D', 1, 'NC', '   1', 0",
    "NULL, '15/02/2024', 'D', 9, 'FA', '   1', 0",
    "'1101', '15/02/2024', NULL, 4, 'FA', '   1', 0",
    "'1101', '17/02/2024', 'D', NULL, 'FA', '   1', 0",
    "'1101', '15/02/2024', 'D', 999, 'FA', '   1', 1",
    "'1103', '01/03/2024', 'D', 8, 'FA', '   1', 0",
    "'1101', '29/02/2024', 'H', 3.5, 'FA', NULL, 0",
    "'1102 ', '16/02/2024', 'D', 7, 'NC', '   2', 0",
    "'éa01', '19/02/2024', 'D', 11, 'FA', '   1', 0",
    "'e\xCC\x81"
    "a01', '19/02/2024', 'D', 13, 'FA', '   1', 0",
    "'5202', '15/02/2024', 'H', 0.30, 'FA', '   1', 0",
    "'5203', '16/02/2024', 'H', 0.0001, 'NC', '   1', 0",
    "'5203', '17/02/2024', 'D', 1, 'FA', '   1', 0",
    "'ab01', '15/02/2024', 'D', 2.5, 'FA', '   1', 0",
    "'AB02', '16/02/2024', 'D', 1.25, 'FA', '   1', 0",
    "'5301', '15/02/2024', 'D', 1, 'FA', '   1', 0",
    "'5301', '16/02/2024', 'd', 2, 'FA', '   1', 0",
    "'5302', '16/02/2024', 'D', 4, 'FA', '   1', 0",
    "'5401', '15/02/2024', 'D', 3, 'FA', '   1 ', 0",
    "'5402', '15/02/2024', 'D', 4, 'FA', '   1', 0",
    "'5501', '15/02/2024', 'D', 3, 'FA', '   1', 0",
    "'5502', '15/02/2024', 'D', 4, 'FA', '   1 ', 0",
    "'5601', '15/02/2024', 'D', 1, 'FA', '   1', 0",
    "'5602', '16/02/2024', 'd', 2, 'FA', '   1', 0",
    "'5602', '17/02/2024', 'D', 4, 'FA', '   1', 0",
    "'5702', '15/02/2024', 'D', 1, 'FA', '   1 ', 0",
    "'5701', '15/02/2024', 'D', 2, 'FA', '   1', 0",
    "'5802', '15/02/2024', 'd', 1, 'FA', '   1', 0",
    "'5801', '15/02/2024', 'D', 2, 'FA', '   1', 0",
};

const char *const centreLines[]
    = {"1, '  10', 60.10", "1, '  20', 40",      "2, '  10', 0.20", "5, '  10', 70",
       "6, '  10', 2",     "8, '  10', 9",       "15, '  10', 5",   "16, '  10', 6",
       "17, '  10', 0.30", "18, '  10', 0.0001", "19, '  10', 1",   "20, '  10', 2.5",
       "21, '  10', 1.25", "22, '  10', 1",      "23, '  10', 2",   "24, '  10', 4",
       "25, '  10', 3",    "26, '  10 ', 4",     "27, '  10 ', 3",  "28, '  10', 4",
       "29, '  10', 1",    "30, '  10', 2",      "31, '  10', 4",   "32, '  10 ', 1",
       "33, '  10', 2",    "34, '  10', 1",      "35, '  10', 2"};

// The run's statements of each grouping, with the filters, account test and side to fill in.
const char *const shapes[] = {
    "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
    "(EsResumen = 0) %FILTERS% GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING ( %ACCOUNT% AND FECHA "
    ">='01/02/2024' AND Fecha <='29/02/2024'%SIDE% )",
    "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
    "(EsResumen = 0) %FILTERS% GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING (%ACCOUNT% AND FECHA "
    ">='01/02/2024' AND Fecha <'18/02/2024' %SIDE% )",
    "Select %COLUMN%, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From MV_ASIENTOS  WHERE "
    "(EsResumen = 0) %FILTERS% and  UNEGOCIO = '   1' AND FECHA >='01/02/2024' AND Fecha "
    "<='29/02/2024' GROUP BY %COLUMN%, [DEBE-HABER], UNEGOCIO  HAVING (%ACCOUNT% %SIDE% )",
    "Select %COLUMN%, [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From Vt_ASIENTOS_Ccosto  "
    "WHERE (EsResumen = 0) %FILTERS% and  CCOSTO = '  10' AND FECHA >='01/02/2024' AND Fecha "
    "<='29/02/2024' GROUP BY %COLUMN%, [DEBE-HABER], CCOSTO  HAVING (%ACCOUNT% %SIDE% )",
};

struct Account
{
    const char *code;
    bool title;
};

const Account accounts[]
    = {{"11", true},        {"1", true},      {"Ñ", true},      {"52", true},  {"1101", false},
       {"5201", false},     {"NU01", false},  {"ñu01", false},  {"1''", true}, {"éa", true},
       {"e\xCC\x81", true}, {"1101 ", false}, {" 1101", false}, {"52 ", true}, {"5203", false},
       {"ab", true},        {"AB0", true},    {"53", true},     {"54", true},  {"55", true},
       {"56", true},        {"57", true},     {"58", true}};

const char *const sides[] = {"", " AND [DEBE-HABER] = 'D'", "AND [DEBE-HABER] = 'H'"};
const char *const filters[] = {"", " and TC IN ('FA') ", " and  UNEGOCIO IN ('   1') "};

QString statementOf(const char *shape, const Account &account, const char *side, const char *filter)
{
    const QString code = QString::fromUtf8(account.code);
    const QString column = account.title
        ? QStringLiteral("substring(CUENTA,1,%1)").arg(code.size() - code.count(u"''"))
        : QStringLiteral("CUENTA");
    QString statement = QString::fromUtf8(shape);
    statement.replace(QStringLiteral("%COLUMN%"), column)
        .replace(QStringLiteral("%ACCOUNT%"), column + u" = '" + code + u'\'')
        .replace(QStringLiteral("%SIDE%"), QString::fromUtf8(side))
        .replace(QStringLiteral("%FILTERS%"), QString::fromUtf8(filter));
    return statement;
}

// The same statement in a form whose rows the engine never takes from the kept ones.
QString alone(const QString &statement)
{
    QString text = statement;
    text.replace(QStringLiteral("HAVING ("), QStringLiteral("HAVING (("));
    return text + u')';
}

struct Rows
{
    QStringList columns; // name, type and size
    QVector<QVector<QVariant>> values;
    QStringList types; // of every value

    bool operator==(const Rows &) const = default;
};

void PrintTo(const Rows &rows, std::ostream *out)
{
    *out << rows.columns.join(u", ").toStdString() << " / " << rows.types.join(u" ").toStdString();
    for (const QVector<QVariant> &row : rows.values) {
        *out << " |";
        for (const QVariant &value : row)
            *out << ' ' << value.toString().toStdString();
    }
}

class KeptSumsTest : public EngineTest
{
public:
    const std::shared_ptr<Connection> &connection() const { return m_connection; }

protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        fillJournal();
    }

    void fillJournal()
    {
        for (const char *statement : journalSchema)
            run(QString::fromUtf8(statement));
        for (const char *line : journalLines)
            insertLine(m_connection, QString::fromUtf8(line));
        for (const char *line : centreLines)
            run(QStringLiteral("INSERT INTO MV_ASIENTOS_CCOSTO (IdAsiento, CCOSTO, IMPORTECC) "
                               "VALUES (%1)")
                    .arg(QString::fromUtf8(line)));
    }

    static void insertLine(const std::shared_ptr<Connection> &connection, const QString &values)
    {
        connection->execute(QStringLiteral("INSERT INTO MV_ASIENTOS (CUENTA, FECHA, [DEBE-HABER], "
                                           "IMPORTE, TC, UNEGOCIO, EsResumen) VALUES (%1)")
                                .arg(values));
    }

    static Rows rowsOf(const std::shared_ptr<Connection> &connection, const QString &statement)
    {
        Rows rows;
        Recordset recordset = connection->execute(statement);
        Fields fields = recordset.fields();
        for (int i = 0; i < fields.count(); ++i) {
            rows.columns.append(QStringLiteral("%1 %2 %3")
                                    .arg(fields[i].name())
                                    .arg(int(fields[i].type()))
                                    .arg(fields[i].definedSize()));
        }
        for (; !recordset.eof(); recordset.moveNext()) {
            QVector<QVariant> row;
            for (int i = 0; i < fields.count(); ++i) {
                row.append(fields[i].value());
                rows.types.append(QString::fromLatin1(row.back().typeName()));
            }
            rows.values.append(row);
        }
        return rows;
    }

    Rows rowsOf(const QString &statement) const { return rowsOf(m_connection, statement); }

    // Every statement of every shape, account, side and filter gives the rows it gives alone.
    void expectEveryStatementAsAlone()
    {
        for (const char *shape : shapes) {
            for (const Account &account : accounts) {
                for (const char *side : sides) {
                    for (const char *filter : filters) {
                        const QString statement = statementOf(shape, account, side, filter);
                        SCOPED_TRACE(statement.toStdString());
                        const Rows kept = rowsOf(statement);
                        EXPECT_EQ(kept, rowsOf(alone(statement)));
                    }
                }
            }
        }
    }
};

TEST_F(KeptSumsTest, EveryStatementGivesItsOwnRowsUnderTheAccentSensitiveCollation)
{
    expectEveryStatementAsAlone();
}

TEST_F(KeptSumsTest, EveryStatementGivesItsOwnRowsUnderTheAccentInsensitiveCollation)
{
    run(QStringLiteral("CREATE DATABASE SIN_ACENTOS COLLATE Latin1_General_CI_AI"));
    run(QStringLiteral("USE SIN_ACENTOS"));
    fillJournal();
    expectEveryStatementAsAlone();
}

// Sums of other forms, some near the run's: each gives what it gives alone.
TEST_F(KeptSumsTest, OtherGroupedSumsGiveTheirOwnRows)
{
    const QString dateSum
        = QString::fromUtf8(shapes[0]).replace(QStringLiteral("%FILTERS%"), QString());
    const char *const tests[] = {
        "CUENTA = '1101' OR CUENTA = '1102' AND FECHA >='01/02/2024' AND Fecha <='29/02/2024'",
        "NOT CUENTA = '1101' AND FECHA >='01/02/2024' AND Fecha <='29/02/2024'",
        "CUENTA = '1101' AND FECHA >='01/02/2024' AND Fecha <='29/02/2024' AND SUM(IMPORTE) > 50",
        "CUENTA = '1101' AND FECHA <='29/02/2024'",
        "substring(CUENTA,1,2) = '11'' AND [DEBE-HABER] = ''D' AND FECHA >='01/02/2024' AND Fecha "
        "<='29/02/2024'",
        "CUENTA = '1101' AND FECHA >='01/02/2024' AND Fecha <='29/02/2024' AND TC = 'FA'",
        "[DEBE-HABER] = 'D' AND FECHA >='01/02/2024' AND Fecha <='29/02/2024'",
    };
    for (const char *test : tests) {
        QString statement = dateSum;
        statement.replace(QStringLiteral("%ACCOUNT% AND FECHA >='01/02/2024' AND Fecha "
                                         "<='29/02/2024'%SIDE%"),
                          QString::fromUtf8(test));
        SCOPED_TRACE(statement.toStdString());
        ASSERT_FALSE(statement.contains(u'%'));
        EXPECT_EQ(rowsOf(statement), rowsOf(alone(statement)));
    }
}

// A numbered account compares with a text as a number: '01101' is 1101.
TEST_F(KeptSumsTest, NumberedAccountsCompareAsNumbers)
{
    run(QStringLiteral("CREATE TABLE NUMERADOS (CUENTA int NULL, FECHA datetime NULL, IMPORTE "
                       "money NULL)"));
    run(QStringLiteral("INSERT INTO NUMERADOS (CUENTA, FECHA, IMPORTE) VALUES (1101, "
                       "'15/02/2024', 5)"));
    for (const char *account : {"'1101'", "'01101'", "' 1101'"}) {
        const QString statement
            = QStringLiteral(
                  "Select CUENTA, FECHA, SUM(IMPORTE) AS IMPORTE From NUMERADOS GROUP BY "
                  "CUENTA, FECHA HAVING (CUENTA = %1 AND FECHA >='01/02/2024' AND Fecha "
                  "<='29/02/2024' )")
                  .arg(QString::fromUtf8(account));
        SCOPED_TRACE(statement.toStdString());
        EXPECT_EQ(rowsOf(statement), rowsOf(alone(statement)));
    }
}

// Samples of what the statements give, so that the comparisons cannot pass on empty rows.
TEST_F(KeptSumsTest, SumsAreTheJournalsOwn)
{
    // Account, side and amount of every row; by day the side and amount come after the date.
    const auto sums = [&](const QString &statement, int side) {
        QStringList sums;
        Rows rows = rowsOf(statement);
        for (const QVector<QVariant> &row : std::as_const(rows.values)) {
            sums.append(row[0].toString() + u'|' + row[side].toString() + u'|'
                        + (row[side + 1].isNull() ? QStringLiteral("Null") : shown(row[side + 1])));
        }
        return sums;
    };
    EXPECT_EQ(sums(statementOf(shapes[0], accounts[0], sides[1], filters[1]), 2),
              (QStringList{"11|D|5", "1101|D|100.1", "1101|D|Null", "1102|d|30"}));
    EXPECT_EQ(sums(statementOf(shapes[3], accounts[5], sides[2], filters[0]), 1),
              QStringList{"5201 |H|70"});
    EXPECT_EQ(sums(statementOf(shapes[2], accounts[2], sides[0], filters[1]), 1),
              QStringList{"ñ|D|12.3456"});
    const Account money{"52", true};
    EXPECT_EQ(sums(statementOf(shapes[2], money, sides[0], filters[0]), 1),
              (QStringList{"52|D|1", "52|H|0.3001"}));
    EXPECT_EQ(sums(statementOf(shapes[3], money, sides[0], filters[0]), 1),
              (QStringList{"52|D|1", "52|H|70.3001"}));
}

struct Write
{
    const char *name;
    // round: 1 for the connection that sums, then 2 for the other one
    std::function<void(KeptSumsTest &, const std::shared_ptr<Connection> &, int round)> write;
    bool changesSums = true;
};

void PrintTo(const Write &write, std::ostream *out)
{
    *out << write.name;
}

class KeptSumsAfterWritesTest : public KeptSumsTest, public ::testing::WithParamInterface<Write>
{
protected:
    void SetUp() override
    {
        KeptSumsTest::SetUp();
        m_other = Connection::create();
        m_other->open(connectionString());
    }

    void TearDown() override
    {
        m_other.reset();
        KeptSumsTest::TearDown();
    }

    std::shared_ptr<Connection> m_other;
};

TEST_P(KeptSumsAfterWritesTest, AJournalWriteOfEitherConnectionIsSeenByTheNextSum)
{
    const QStringList statements = {
        statementOf(shapes[0], accounts[1], sides[0], filters[0]),
        statementOf(shapes[2], accounts[4], sides[1], filters[0]),
        statementOf(shapes[3], accounts[0], sides[0], filters[0]),
    };
    QVector<Rows> before;
    for (const QString &statement : statements)
        before.append(rowsOf(statement));
    int round = 0;
    for (const std::shared_ptr<Connection> &writer : {m_connection, m_other}) {
        SCOPED_TRACE(writer == m_connection ? "the connection that sums" : "another connection");
        GetParam().write(*this, writer, ++round);
        bool anyChanged = false;
        for (const QString &statement : statements) {
            SCOPED_TRACE(statement.toStdString());
            const Rows after = rowsOf(statement);
            EXPECT_EQ(after, rowsOf(alone(statement)));
            anyChanged = anyChanged || after != before[statements.indexOf(statement)];
            before[statements.indexOf(statement)] = after;
        }
        EXPECT_EQ(anyChanged, GetParam().changesSums);
    }
}

void insertCentredLine(const std::shared_ptr<Connection> &writer, int amount)
{
    writer->execute(QStringLiteral("INSERT INTO MV_ASIENTOS (CUENTA, FECHA, [DEBE-HABER], "
                                   "IMPORTE, TC, UNEGOCIO, EsResumen) VALUES ('1101', "
                                   "'15/02/2024', 'D', %1, 'FA', '   1', 0)")
                        .arg(amount));
    writer->execute(QStringLiteral("INSERT INTO MV_ASIENTOS_CCOSTO (IdAsiento, CCOSTO, IMPORTECC) "
                                   "SELECT MAX(ID), '  10', %1 FROM MV_ASIENTOS")
                        .arg(amount));
}

void addToEveryLine(const std::shared_ptr<Connection> &writer, int amount)
{
    writer->execute(QStringLiteral("UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + %1").arg(amount));
    writer->execute(
        QStringLiteral("UPDATE MV_ASIENTOS_CCOSTO SET IMPORTECC = IMPORTECC + %1").arg(amount));
}

const Write writes[] = {
    {"insert",
     [](KeptSumsTest &, const std::shared_ptr<Connection> &writer, int round) {
         insertCentredLine(writer, round);
     }},
    {"update",
     [](KeptSumsTest &, const std::shared_ptr<Connection> &writer, int round) {
         addToEveryLine(writer, round);
     }},
    {"delete_without_where",
     [](KeptSumsTest &, const std::shared_ptr<Connection> &writer, int round) {
         if (round == 2) {
             insertCentredLine(writer, round);
             return;
         }
         writer->execute(QStringLiteral("DELETE FROM MV_ASIENTOS_CCOSTO"));
         writer->execute(QStringLiteral("DELETE FROM MV_ASIENTOS"));
     }},
    {"rolled_back_update",
     [](KeptSumsTest &test, const std::shared_ptr<Connection> &writer, int) {
         // Sums read inside the transaction hold its changes, which the rollback undoes.
         writer->beginTrans();
         addToEveryLine(writer, 100);
         if (writer == test.connection()) {
             for (const char *shape : shapes)
                 writer->execute(statementOf(shape, accounts[1], sides[0], filters[0]));
         }
         writer->rollbackTrans();
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Writes, KeptSumsAfterWritesTest, ::testing::ValuesIn(writes),
                         [](const ::testing::TestParamInfo<Write> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
