#include "data/sql_rewriting.h"
#include "demo/seeded_random.h"
#include "demo/suite_database.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/suite/utilidades.h"
#include "platform/variant.h"

#include <QStringList>
#include <QVector>
#include <optional>

namespace demo {

namespace {

using platform::db::Connection;

// SQL literals of the values written here. Dates go in the engine's own storage form, which it
// reads the same whatever the regional date order.
QString textLiteral(const QString &text)
{
    return u'\'' % data::escapeSqlQuotes(text) % u'\'';
}

QString textOrNull(const char *text)
{
    return text ? textLiteral(QString::fromUtf8(text)) : QStringLiteral("Null");
}

QString dateLiteral(const QDate &date)
{
    return u'\'' % date.toString(u"yyyy-MM-dd") % u" 00:00:00'";
}

QString amountLiteral(std::int64_t cents)
{
    return QString::number(cents / 100) % u'.'
        % QStringLiteral("%1").arg(qlonglong(cents % 100), 2, 10, QLatin1Char('0'));
}

QString bitLiteral(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// Business-unit and cost-centre codes are stored as the program fits them before it quotes
// them in a filter, so that the stored and the quoted code compare equal.
QString unitCode(const char *code)
{
    return platform::gUtil().FormatoCodigo(QString::fromUtf8(code), 4);
}

// Collects the rows for one table and writes them with one INSERT per batch of rows.
class RowInserter
{
public:
    // One VALUES list of SQL Server takes at most 1000 rows.
    static constexpr int maximumRows = 1000;

    RowInserter(Connection &connection, const QString &table, const QString &columns)
        : m_connection(connection), m_head(u"INSERT INTO " % table % u" (" % columns % u") VALUES ")
    { }

    int pending() const { return m_rows; }

    // values: the row's SQL literals separated by commas.
    void add(const QString &values)
    {
        if (m_rows == maximumRows)
            flush();
        m_text += (m_rows == 0 ? m_head : QStringLiteral(",")) % u'(' % values % u')';
        ++m_rows;
    }

    void flush()
    {
        if (m_rows == 0)
            return;
        m_connection.execute(m_text);
        m_text.clear();
        m_rows = 0;
    }

private:
    Connection &m_connection;
    QString m_head;
    QString m_text;
    int m_rows = 0;
};

void insertAll(Connection &connection, const QString &table, const QString &columns,
               const QStringList &rows)
{
    RowInserter inserter(connection, table, columns);
    for (const QString &row : rows)
        inserter.add(row);
    inserter.flush();
}

struct Account
{
    const char *code;
    const char *description;
    bool title;
};

const Account chartOfAccounts[] = {
    {"1", "ACTIVO", true},
    {"11", "ACTIVO CORRIENTE", true},
    {"1101", "Caja", false},
    {"1102", "Bancos", false},
    {"1103", "Deudores por ventas", false},
    {"12", "ACTIVO NO CORRIENTE", true},
    {"1201", "Bienes de uso", false},
    {"2", "PASIVO", true},
    {"21", "PASIVO CORRIENTE", true},
    {"2101", "Proveedores", false},
    {"2102", "Deudas fiscales", false},
    {"3", "PATRIMONIO NETO", true},
    {"31", "CAPITAL", true},
    {"3101", "Capital suscripto", false},
    {"4", "INGRESOS", true},
    {"41", "VENTAS", true},
    {"4101", "Ventas de mercaderías", false},
    {"4102", "Servicios prestados", false},
    {"42", "OTROS INGRESOS", true},
    {"4201", "Intereses ganados", false},
    {"5", "EGRESOS", true},
    {"51", "COSTOS", true},
    {"5101", "Costo de mercaderías vendidas", false},
    {"52", "GASTOS", true},
    {"5201", "Sueldos y jornales", false},
    {"5202", "Alquileres", false},
    {"5203", "Gastos bancarios", false},
};

// The summary voucher type: the program never lists it, and its journal lines are summaries
// that no statistic adds up.
const char *const summaryVoucher = "ÿRS";

const char *const voucherTypes[][2] = {
    {"FA", "Factura"},       {"NC", "Nota de crédito"}, {"RC", "Recibo"},
    {"OP", "Orden de pago"}, {"AS", "Asiento manual"},  {summaryVoucher, "Asiento resumen"},
};

const char *const businessUnits[][2] = {
    {"1", "Casa central"},
    {"2", "Sucursal norte"},
    {"3", "Sucursal sur"},
};

struct CostCentre
{
    const char *code;
    const char *description;
    std::optional<bool> title; // a null title counts as a leaf, as the suite reads it
};

const CostCentre costCentres[] = {
    {"1", "Administración", false},    {"2", "Comercial", false},         {"3", "Logística", false},
    {"4", "Producción", std::nullopt}, {"9", "Centros operativos", true},
};

// The leaf cost centres, the only ones journal lines are split over.
const char *const leafCostCentres[] = {"1", "2", "3", "4"};
constexpr int leafCostCentreCount = int(std::size(leafCostCentres));

// One kind of journal entry: a debit and a credit line of the same amount.
struct EntryKind
{
    const char *debitAccount;
    const char *creditAccount;
    const char *voucher;
    int lowestAmount; // whole currency units
    int highestAmount;
};

const EntryKind entryKinds[] = {
    {"1103", "4101", "FA", 500, 50000}, // sale on account
    {"1103", "4102", "FA", 200, 20000}, // service on account
    {"4101", "1103", "NC", 100, 5000}, // credit note
    {"1101", "1103", "RC", 100, 20000}, // collection in cash
    {"1102", "1103", "RC", 500, 50000}, // collection by bank
    {"5101", "2101", "AS", 300, 30000}, // cost of goods sold
    {"2101", "1102", "OP", 500, 40000}, // supplier payment
    {"5201", "1102", "OP", 5000, 60000}, // salaries
    {"5202", "1101", "OP", 2000, 8000}, // rent
    {"5203", "1102", "AS", 10, 500}, // bank fees
    {"1102", "4201", "AS", 10, 3000}, // interest earned
    {"2102", "1102", "OP", 1000, 15000}, // taxes paid
};

// One entry in fifty is a summary entry.
constexpr int summaryEvery = 50;

struct DefinitionLine
{
    const char *group;
    const char *account;
    bool debit;
    bool credit;
};

struct Definition
{
    const char *name;
    const char *grouping; // Agrupar
    int periodicity; // 0 daily ... 6 yearly
    int layout; // TipoGrafico
    QStringList vouchers, units, centres;
    bool openingBalance;
    bool ignoreZeros;
    QVector<DefinitionLine> lines;
};

// A stored code list: each code between single quotes, separated by commas.
QString codeList(const QStringList &codes)
{
    return codes.isEmpty() ? QString() : u'\'' % codes.join(QStringLiteral("','")) % u'\'';
}

QVector<Definition> sampleDefinitions()
{
    // Stored as the window stores a selection: the codes as its lists show them, trimmed.
    const QStringList allUnits{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    const QStringList someCentres{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    return {
        {"Resultado mensual",
         "Fecha",
         3,
         2,
         {},
         {},
         {},
         false,
         false,
         {{"Ventas (+)", "41", false, true},
          {"Otros ingresos (+)", "4201", false, true},
          {"Costos (-)", "51", true, false},
          {"Gastos (-)", "52", true, false}}},
        {"Disponibilidades por sucursal",
         "UNegocio",
         4,
         6,
         {QStringLiteral("FA"), QStringLiteral("RC"), QStringLiteral("OP")},
         allUnits,
         {},
         true,
         false,
         {{"Caja y bancos", "1101", true, true}, {"Caja y bancos", "1102", true, true}}},
        {"Gastos por centro de costo",
         "CCostos",
         6,
         7,
         {},
         {},
         someCentres,
         false,
         true,
         {{"Sueldos", "5201", true, true},
          {"Estructura (-)", "52", true, false},
          {"Estructura (-)", "5201", false, true}}},
    };
}

void insertMasters(Connection &connection)
{
    QStringList accounts;
    for (const Account &account : chartOfAccounts)
        accounts << textOrNull(account.code) % u',' % textOrNull(account.description) % u','
                % bitLiteral(account.title);
    insertAll(connection, QStringLiteral("MA_CUENTAS"), QStringLiteral("CODIGO,DESCRIPCION,Titulo"),
              accounts);

    QStringList vouchers;
    for (const auto &voucher : voucherTypes)
        vouchers << textOrNull(voucher[0]) % u',' % textOrNull(voucher[1]);
    insertAll(connection, QStringLiteral("TA_CPTE"), QStringLiteral("Codigo,Descripcion"),
              vouchers);

    QStringList units;
    for (const auto &unit : businessUnits)
        units << textLiteral(unitCode(unit[0])) % u',' % textOrNull(unit[1]);
    insertAll(connection, QStringLiteral("TA_UNIDADNEGOCIO"), QStringLiteral("CODIGO,Descripcion"),
              units);

    QStringList centres;
    for (const CostCentre &centre : costCentres)
        centres << textLiteral(unitCode(centre.code)) % u',' % textOrNull(centre.description) % u','
                % (centre.title ? bitLiteral(*centre.title) : QStringLiteral("Null"));
    insertAll(connection, QStringLiteral("TA_CCOSTO"), QStringLiteral("CODIGO,Descripcion,Titulo"),
              centres);
}

void insertConfiguration(Connection &connection)
{
    insertAll(connection, QStringLiteral("TA_CONFIGURACION"),
              QStringLiteral("CLAVE,VALOR,PoliticaNegocio"),
              {textLiteral(QStringLiteral("NOMBRE")) % u','
                   % textOrNull("Comercial Demostración S.A.") % u",0",
               textLiteral(QStringLiteral("SS_CONFIDENCIALIDAD")) % u',' % textOrNull("NO") % u",0",
               textLiteral(QStringLiteral("CANTIDADDECIMALES")) % u',' % textOrNull("2") % u",0"});
}

void insertUsers(Connection &connection)
{
    QStringList users;
    for (const SuiteUser *user : {&administratorUser(), &operatorUser()})
        users << textLiteral(user->name) % u',' % bitLiteral(user->administrator) % u','
                % textLiteral(unitCode("1")) % u",0,"
                % textOrNull(user->administrator ? "ADMINISTRACION" : "CONTABLE");
    insertAll(connection, QStringLiteral("TA_USUARIOS"),
              QStringLiteral("Nombre,Administrador,UNegocio,verproforma,Grupo"), users);
}

void insertDefinitions(Connection &connection, const SampleOptions &options)
{
    const QString firstDay = dateLiteral(options.firstDay);
    const QString lastDay = dateLiteral(options.firstDay.addYears(1).addDays(-1));
    QStringList rows;
    for (const Definition &definition : sampleDefinitions()) {
        const QString header = textOrNull(definition.name) % u',' % firstDay % u',' % lastDay;
        const QString options = QString::number(definition.layout) % u','
            % QString::number(definition.periodicity) % u','
            % textLiteral(codeList(definition.vouchers)) % u','
            % textLiteral(codeList(definition.units)) % u','
            % textLiteral(codeList(definition.centres)) % u",'111',"
            % textOrNull(definition.grouping) % u",0,0," % bitLiteral(definition.ignoreZeros) % u','
            % bitLiteral(definition.openingBalance) % u",0";
        for (const DefinitionLine &line : definition.lines)
            rows << header % u',' % textOrNull(line.group) % u',' % textOrNull(line.account) % u','
                    % bitLiteral(line.debit) % u',' % bitLiteral(line.credit) % u',' % options;
    }
    insertAll(
        connection, QStringLiteral("MA_PANELCTA"),
        QStringLiteral("NOMBRE,FechaD,FechaH,Grupo,Cuenta,DEBE,Haber,TipoGrafico,PERIODICIDAD,"
                       "Comprobantes,unegocios,CCostos,PermiteModificar,Agrupar,anclaralmenu,"
                       "InvierteFilCol,ignoraceros,calculasi,aperturaCuentas"),
        rows);
}

// The highest journal id; 0 for an empty journal.
std::int64_t lastJournalId(Connection &connection)
{
    auto rows = connection.execute(QStringLiteral("SELECT MAX(ID) AS ULTIMO FROM MV_ASIENTOS"));
    const QVariant last = rows.field(QStringLiteral("ULTIMO")).value();
    return platform::isNull(last) ? 0 : last.toLongLong();
}

// Writes the journal lines and their cost-centre splits. A split names its line by id, which
// the line only has once it is written: the splits of a batch of lines follow the batch.
class JournalWriter
{
public:
    struct Split
    {
        const char *centre;
        std::int64_t cents;
    };

    explicit JournalWriter(Connection &connection)
        : m_connection(connection),
          m_lines(connection, QStringLiteral("MV_ASIENTOS"),
                  QStringLiteral("CUENTA,FECHA,[DEBE-HABER],IMPORTE,TC,UNEGOCIO,EsResumen")),
          m_splits(connection, QStringLiteral("MV_ASIENTOS_CCOSTO"),
                   QStringLiteral("IdAsiento,CCOSTO,IMPORTECC"))
    { }

    void add(const QString &line, const QVector<Split> &splits)
    {
        if (m_lines.pending() == RowInserter::maximumRows)
            flush();
        for (const Split &split : splits)
            m_pendingSplits.append({m_lines.pending(), split});
        m_lines.add(line);
    }

    void flush()
    {
        const int written = m_lines.pending();
        if (written == 0)
            return;
        m_lines.flush();
        // One INSERT numbers its rows consecutively, and its last row has the highest id.
        const std::int64_t firstId = lastJournalId(m_connection) - written + 1;
        for (const auto &[line, split] : std::as_const(m_pendingSplits))
            m_splits.add(QString::number(firstId + line) % u','
                         % textLiteral(unitCode(split.centre)) % u',' % amountLiteral(split.cents));
        m_splits.flush();
        m_pendingSplits.clear();
    }

private:
    Connection &m_connection;
    RowInserter m_lines;
    RowInserter m_splits;
    QVector<std::pair<int, Split>> m_pendingSplits; // position of the line in the batch
};

// Splits an amount over one to three consecutive leaf cost centres; the parts add up to it.
QVector<JournalWriter::Split> costCentreSplits(SeededRandom &random, std::int64_t cents)
{
    const int count = int(random.between(1, 3));
    const int first = int(random.between(0, leafCostCentreCount - 1));
    QVector<JournalWriter::Split> splits;
    std::int64_t left = cents;
    for (int i = 0; i < count; ++i) {
        const std::int64_t part = i + 1 == count ? left : left * random.between(30, 70) / 100;
        splits.append({leafCostCentres[(first + i) % leafCostCentreCount], part});
        left -= part;
    }
    return splits;
}

bool isResultAccount(const char *account)
{
    return account[0] == '4' || account[0] == '5';
}

void insertJournal(Connection &connection, const SampleOptions &options)
{
    SeededRandom random(options.seed);
    JournalWriter writer(connection);

    const int days = int(options.firstDay.daysTo(options.firstDay.addYears(2)));
    QVector<QString> dayLiterals;
    for (int day = 0; day < days; ++day)
        dayLiterals.append(dateLiteral(options.firstDay.addDays(day)));

    // Entries are spread evenly over the two years, in date order, as a journal is written.
    const std::int64_t entries = (std::int64_t(options.journalLines) + 1) / 2;
    for (std::int64_t entry = 0; entry < entries; ++entry) {
        const EntryKind &kind = entryKinds[random.between(0, std::size(entryKinds) - 1)];
        const std::int64_t cents
            = random.between(kind.lowestAmount * 100LL, kind.highestAmount * 100LL);
        const char *unit = businessUnits[random.between(0, std::size(businessUnits) - 1)][0];
        const bool summary = entry % summaryEvery == summaryEvery - 1;
        const QString &date = dayLiterals[int(entry * days / entries)];
        const QString tail = u',' % amountLiteral(cents) % u','
            % textOrNull(summary ? summaryVoucher : kind.voucher) % u','
            % textLiteral(unitCode(unit)) % u',' % bitLiteral(summary);

        for (int side = 0; side < 2 && entry * 2 + side < options.journalLines; ++side) {
            const char *account = side == 0 ? kind.debitAccount : kind.creditAccount;
            const QString line
                = textOrNull(account) % u',' % date % (side == 0 ? u",'D'" : u",'H'") % tail;
            writer.add(line,
                       !summary && isResultAccount(account) ? costCentreSplits(random, cents)
                                                            : QVector<JournalWriter::Split>());
        }
    }
    writer.flush();
}

} // namespace

void insertSampleData(Connection &connection, const SampleOptions &options)
{
    connection.beginTrans();
    try {
        insertMasters(connection);
        insertConfiguration(connection);
        insertUsers(connection);
        insertDefinitions(connection, options);
        insertJournal(connection, options);
        connection.commitTrans();
    } catch (...) {
        try {
            connection.rollbackTrans();
        } catch (const platform::Error &) {
            // The first failure is the one to report.
        }
        throw;
    }
}

QDate lastJournalDay(const SampleOptions &options)
{
    return options.firstDay.addYears(2).addDays(-1);
}

} // namespace demo
