#include "platform/db/embedded/tsql_sql_rewriter.h"

#include "platform/db/ado.h"
#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/tsql_errors.h"
#include "platform/db/embedded/tsql_expressions.h"
#include "platform/db/embedded/tsql_prefix_ranges.h"

#include <algorithm>
#include <cmath>

namespace platform::db::embedded::tsql {

namespace {

const QStringView aggregates[] = {
    u"SUM",    u"COUNT", u"COUNT_BIG", u"AVG",      u"MIN",        u"MAX",          u"STDEV",
    u"STDEVP", u"VAR",   u"VARP",      u"GROUPING", u"STRING_AGG", u"CHECKSUM_AGG",
};

const QStringView tableHints[] = {
    u"NOLOCK",         u"READUNCOMMITTED", u"READCOMMITTED", u"READCOMMITTEDLOCK",
    u"REPEATABLEREAD", u"SERIALIZABLE",    u"HOLDLOCK",      u"UPDLOCK",
    u"XLOCK",          u"ROWLOCK",         u"PAGLOCK",       u"TABLOCK",
    u"TABLOCKX",       u"NOWAIT",          u"READPAST",      u"NOEXPAND",
};

bool isArithmetic(const Token &token)
{
    static const QStringView symbols[] = {u"+", u"-", u"*", u"/", u"(", u")", u",", u"."};
    for (QStringView symbol : symbols) {
        if (token.isSymbol(symbol))
            return true;
    }
    return false;
}

// + - * / or % between two operands, rather than a sign.
bool isBinaryOperator(const StatementText &text, qsizetype index)
{
    static const QStringView operators[] = {u"+", u"-", u"*", u"/", u"%"};
    const Token &token = text.at(index);
    return std::any_of(std::begin(operators), std::end(operators),
                       [&](QStringView symbol) { return token.isSymbol(symbol); })
        && isOperandEnd(text, text.previous(index));
}

// `* n` or `/ n`, signed or not, for a number n that is a power of two.
bool scalesByPowerOfTwo(const StatementText &text, qsizetype index)
{
    if (!text.at(index).isSymbol(u"*") && !text.at(index).isSymbol(u"/"))
        return false;
    qsizetype factor = text.next(index);
    while (text.contains(factor)
           && (text.at(factor).isSymbol(u"-") || text.at(factor).isSymbol(u"+")))
        factor = text.next(factor);
    if (!text.isKind(factor, TokenKind::Number))
        return false;
    bool ok = false;
    const double value = text.at(factor).text.toDouble(&ok);
    int exponent = 0;
    return ok && value != 0 && std::frexp(value, &exponent) == 0.5;
}

// Declared types by what the server makes of money met by them: a float makes it a float, a
// decimal a fraction, and a whole number leaves it money, divided or multiplied.
const QStringView floatTypes[] = {u"float", u"real"};
const QStringView fractionTypes[] = {u"decimal", u"numeric", u"float", u"real"};
const QStringView wholeTypes[] = {u"int", u"bigint", u"smallint", u"tinyint"};

QString withoutNationalPrefix(const Token &token)
{
    return token.isNationalString() ? token.text.mid(1) : token.text;
}

} // namespace

bool isComparisonOperator(const Token &token)
{
    static const QStringView operators[]
        = {u"=", u"<>", u"!=", u"<", u"<=", u">", u">=", u"!<", u"!>"};
    for (QStringView op : operators) {
        if (token.isSymbol(op))
            return true;
    }
    return false;
}

QString engineCollation(const QString &name)
{
    if (name.startsWith(u"TSQL_", Qt::CaseInsensitive))
        return name.toUpper();
    if (name.contains(u"_CI_AI", Qt::CaseInsensitive))
        return QStringLiteral("TSQL_CI_AI");
    if (name.contains(u"_CI_AS", Qt::CaseInsensitive))
        return QStringLiteral("TSQL_CI_AS");
    throwUnsupported(QStringLiteral("COLLATE ") + name);
}

SqlRewriter::SqlRewriter(StatementText &text, const RewriteContext &context)
    : m_text(text), m_context(context)
{ }

void SqlRewriter::run()
{
    rejectUnsupported();
    rejectUngroupedColumns(m_text);
    rejectTextSums(m_text, m_context);
    rejectInvalidSigns(m_text, m_context);
    rejectExplicitIdentity();
    dropOwnerPrefixes();
    dropTableHints();
    renameTempTables();
    replaceBuiltinNames();
    translateLeftCalls(m_text);
    mapCollations();
    spellOutNegatedOperators();
    rewriteLiterals();
    keepCollationThroughFunctions(m_text, m_context.textCollation);
    addPrefixRanges(m_text, m_context.textCollation, m_context.leadsIndex);
    translateDataLength(m_text, m_context);
    castsToMoney();
    convertTextOperands(m_text, m_context);
    guardDivisors();
    divideMoneyAsMoney();
    averageAsTheServer();
    keepMoneyExact();
    joinTextsWithPlus(m_text, m_context);
    balanceLongConditions(m_text);
    addMissingFrom();
    moveGroupFiltersToWhere();
    convertTop();
}

bool SqlRewriter::isDateColumn(const QString &column) const
{
    return !column.isEmpty() && m_context.isDateColumn && m_context.isDateColumn(column);
}

void SqlRewriter::convertDateLiteral(qsizetype index, const QString &value)
{
    if (const std::optional<QString> canonical = canonicalDateTime(value, m_context.dateOrder)) {
        m_text.replace(index, u'\'' + *canonical + u'\'');
    } else if (!m_invalidDate) {
        m_invalidDate = value;
    }
}

// SQL Server would run these as procedural code or with conversions SQLite does not have;
// running them in some other way would give different results without telling anyone.
void SqlRewriter::rejectUnsupported() const
{
    int openCases = 0;
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        if (token.kind == TokenKind::Variable) {
            if (token.text.startsWith(u"@Admin_", Qt::CaseInsensitive))
                throwSyntaxError(token.text);
            throwUnsupported(token.text.startsWith(u"@@") ? token.text.toUpper()
                                                          : u"variable " + token.text);
        }
        if (token.kind != TokenKind::Word)
            continue;
        if (token.isWord(u"CASE"))
            ++openCases;
        else if (token.isWord(u"END") && openCases > 0)
            --openCases;
        else if (token.isWord(u"ELSE") && openCases == 0)
            throwUnsupported(QStringLiteral("IF … ELSE"));
        else if (token.isWord(u"BEGIN") || token.isWord(u"END"))
            throwUnsupported(QStringLiteral("BEGIN … END"));
        else if ((token.isWord(u"CONVERT") || token.isWord(u"TRY_CONVERT"))
                 && m_text.nextIsSymbol(i, u"("))
            throwUnsupported(QStringLiteral("CONVERT"));
        else if (token.isWord(u"SCOPE_IDENTITY") || token.isWord(u"IDENT_CURRENT"))
            throwUnsupported(token.text.toUpper() + u"()");
        else if (token.isWord(u"INTO") && !m_text.previousIsWord(i, u"INSERT"))
            throwUnsupported(QStringLiteral("SELECT … INTO"));
    }
}

void SqlRewriter::dropOwnerPrefixes()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        if (!token.isName() || token.nameValue().compare(u"dbo", Qt::CaseInsensitive) != 0
            || !m_text.nextIsSymbol(i, u".")) {
            continue;
        }
        const qsizetype dot = m_text.next(i);
        const qsizetype name = m_text.next(dot);
        if (name < m_text.end()
            && (m_text.at(name).isName() || m_text.at(name).kind == TokenKind::TempName)) {
            m_text.erase(i, dot);
        }
    }
}

// WITH (NOLOCK), WITH(NOLOCK, ROWLOCK) and the old form (NOLOCK) after a table.
void SqlRewriter::dropTableHints()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (!m_text.at(i).isSymbol(u"("))
            continue;
        const qsizetype close = m_text.partner(i);
        bool onlyHints = close > m_text.next(i);
        for (qsizetype j = m_text.next(i); j < close && onlyHints; j = m_text.next(j))
            onlyHints = m_text.at(j).isAnyWord(tableHints) || m_text.at(j).isSymbol(u",");
        if (!onlyHints)
            continue;
        const qsizetype before = m_text.previous(i);
        if (m_text.previousIsWord(i, u"WITH"))
            m_text.erase(before, close);
        else if (before >= m_text.begin()
                 && (m_text.at(before).isName() || m_text.at(before).kind == TokenKind::TempName))
            m_text.erase(i, close);
        i = close;
    }
}

// A #name lives in the connection's temporary schema.
void SqlRewriter::renameTempTables()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (m_text.at(i).kind == TokenKind::TempName)
            m_text.replace(i, QStringLiteral("temp.\"%1\"").arg(m_text.at(i).text));
    }
}

// SYSTEM_USER is a function without brackets in T-SQL; ISNULL is a keyword of SQLite's grammar,
// so it cannot be registered as a function and is spelt as SQLite's IFNULL instead.
void SqlRewriter::replaceBuiltinNames()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (m_text.at(i).isWord(u"SYSTEM_USER") && !m_text.nextIsSymbol(i, u"("))
            m_text.replace(i, QStringLiteral("system_user()"));
        else if (m_text.at(i).isWord(u"ISNULL") && m_text.nextIsSymbol(i, u"("))
            m_text.replace(i, QStringLiteral("IFNULL"));
    }
}

void SqlRewriter::mapCollations()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        const qsizetype name = m_text.next(i);
        if (m_text.at(i).isWord(u"COLLATE") && name < m_text.end() && m_text.at(name).isName())
            m_text.replace(name, engineCollation(m_text.at(name).nameValue()));
    }
}

// SQLite has no "!<" and "!>".
void SqlRewriter::spellOutNegatedOperators()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (m_text.at(i).isSymbol(u"!<"))
            m_text.replace(i, QStringLiteral(">="));
        else if (m_text.at(i).isSymbol(u"!>"))
            m_text.replace(i, QStringLiteral("<="));
    }
}

void SqlRewriter::rewriteLiterals()
{
    const QHash<qsizetype, QString> targets = insertTargets();
    const QSet<qsizetype> assignments = updateAssignments();
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        if (token.kind == TokenKind::HashDate)
            convertDateLiteral(i, token.text.mid(1, token.text.size() - 2));
        else if (token.kind == TokenKind::String)
            rewriteString(i, targets, assignments);
    }
}

// A text compared with, assigned to or inserted into a date column is read as a date, as
// SQL Server converts it; a text inserted into money is converted to money to its last digit,
// where SQLite would keep it as a double or as the text; a text compared with anything else
// compares as SQL Server's collation does, even where SQLite would compare a function result
// byte by byte.
void SqlRewriter::rewriteString(qsizetype index, const QHash<qsizetype, QString> &insertTargets,
                                const QSet<qsizetype> &assignments)
{
    const Token &token = m_text.at(index);
    const QString target = insertTargets.value(index);
    if (!target.isEmpty() && m_context.isMoneyColumn && m_context.isMoneyColumn(target)) {
        m_text.replace(index,
                       QLatin1String(moneyFunction) + u'(' + withoutNationalPrefix(token) + u')');
        return;
    }
    if (isDateColumn(target)) {
        convertDateLiteral(index, token.stringValue());
        return;
    }
    bool isComparison = false;
    if (isDateColumn(dateOperandOf(index, isComparison, assignments))) {
        convertDateLiteral(index, token.stringValue());
        return;
    }
    if (isComparison && !m_text.nextIsWord(index, u"COLLATE")) {
        m_text.replace(index,
                       withoutNationalPrefix(token) + QStringLiteral(" COLLATE ")
                           + m_context.textCollation);
    } else if (token.isNationalString()) {
        m_text.replace(index, withoutNationalPrefix(token));
    }
}

// The column a literal is compared with or assigned to: `col op 'x'`, `'x' op col`,
// `col BETWEEN 'x' AND 'y'`, `col IN ('x', 'y')`.
QString SqlRewriter::dateOperandOf(qsizetype index, bool &isComparison,
                                   const QSet<qsizetype> &assignments) const
{
    const qsizetype before = m_text.previous(index);
    const qsizetype after = m_text.next(index);
    if (before >= m_text.begin() && isComparisonOperator(m_text.at(before))) {
        isComparison = !assignments.contains(before);
        return m_text.nameEndingAt(m_text.previous(before));
    }
    if (after < m_text.end() && isComparisonOperator(m_text.at(after))) {
        isComparison = true;
        return m_text.nameStartingAt(m_text.next(after));
    }
    if (m_text.previousIsWord(index, u"BETWEEN")) {
        isComparison = true;
        return columnBefore(before);
    }
    if (m_text.previousIsWord(index, u"AND")) {
        const qsizetype between = m_text.previous(m_text.previous(before));
        if (between >= m_text.begin() && m_text.at(between).isWord(u"BETWEEN")) {
            isComparison = true;
            return columnBefore(between);
        }
    }
    const qsizetype open = m_text.enclosingOpen(index);
    if (open >= 0 && m_text.previousIsWord(open, u"IN"))
        return columnBefore(m_text.previous(open));
    return {};
}

// The column before BETWEEN or IN, past a NOT.
QString SqlRewriter::columnBefore(qsizetype keyword) const
{
    qsizetype name = m_text.previous(keyword);
    if (name >= m_text.begin() && m_text.at(name).isWord(u"NOT"))
        name = m_text.previous(name);
    return m_text.nameEndingAt(name);
}

// The "=" of `UPDATE t SET a = ..., t.b = ...`: assignments, not comparisons.
QSet<qsizetype> SqlRewriter::updateAssignments() const
{
    QSet<qsizetype> assignments;
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (!m_text.at(i).isWord(u"UPDATE") || m_text.previousIsWord(i, u"ON"))
            continue;
        const qsizetype scope = m_text.enclosingOpen(i);
        qsizetype j = m_text.next(i);
        while (j < m_text.end()
               && !(m_text.at(j).isWord(u"SET") && m_text.enclosingOpen(j) == scope))
            j = m_text.next(j);
        for (; j < m_text.end(); j = m_text.next(j)) {
            const Token &token = m_text.at(j);
            if (m_text.enclosingOpen(j) != scope)
                continue;
            if (token.isWord(u"WHERE") || token.isWord(u"FROM") || token.isSymbol(u")"))
                break;
            if (token.isSymbol(u"=") && startsAssignment(m_text.previous(j)))
                assignments.insert(j);
        }
    }
    return assignments;
}

// Whether the column name ending at `name` follows SET or a comma.
bool SqlRewriter::startsAssignment(qsizetype name) const
{
    if (name < m_text.begin() || !m_text.at(name).isName())
        return false;
    qsizetype first = name;
    while (m_text.previousIsSymbol(first, u".")) {
        first = m_text.previous(m_text.previous(first));
        if (first < m_text.begin())
            return false;
    }
    return m_text.previousIsWord(first, u"SET") || m_text.previousIsSymbol(first, u",");
}

QHash<qsizetype, QString> SqlRewriter::insertTargets() const
{
    QHash<qsizetype, QString> targets;
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (m_text.at(i).isWord(u"INSERT"))
            addInsertTargets(i, targets);
    }
    return targets;
}

// INSERT [INTO] t (c1, c2, ...) VALUES (v1, v2, ...)[, (...)]: each single-literal value
// with the column it goes into.
void SqlRewriter::addInsertTargets(qsizetype insert, QHash<qsizetype, QString> &targets) const
{
    qsizetype j = m_text.next(insert);
    if (j < m_text.end() && m_text.at(j).isWord(u"INTO"))
        j = m_text.next(j);
    while (j < m_text.end()
           && (m_text.at(j).isName() || m_text.at(j).kind == TokenKind::TempName
               || m_text.at(j).isSymbol(u".")))
        j = m_text.next(j);
    if (j >= m_text.end() || !m_text.at(j).isSymbol(u"("))
        return;

    QStringList columns;
    const qsizetype columnsClose = m_text.partner(j);
    for (qsizetype c = m_text.next(j); c < columnsClose; c = m_text.next(c)) {
        if (m_text.at(c).isName() && !m_text.nextIsSymbol(c, u"."))
            columns.append(m_text.at(c).nameValue());
    }
    qsizetype row = m_text.next(columnsClose);
    if (row < m_text.end() && m_text.at(row).isWord(u"SELECT")) {
        addSelectedTargets(row, columns, targets);
        return;
    }
    if (row >= m_text.end() || !m_text.at(row).isWord(u"VALUES"))
        return;
    for (row = m_text.next(row); row < m_text.end() && m_text.at(row).isSymbol(u"(");) {
        const qsizetype close = m_text.partner(row);
        qsizetype item = 0;
        for (qsizetype v = m_text.next(row); v < close; v = m_text.next(v)) {
            if (m_text.at(v).isSymbol(u",") && m_text.enclosingOpen(v) == row)
                ++item;
            else if (m_text.at(v).kind == TokenKind::String && m_text.previous(v) >= row
                     && (m_text.at(m_text.previous(v)).isSymbol(u",") || m_text.previous(v) == row)
                     && (m_text.next(v) == close || m_text.at(m_text.next(v)).isSymbol(u","))
                     && item < columns.size())
                targets.insert(v, columns[item]);
        }
        row = m_text.next(close);
        if (row < m_text.end() && m_text.at(row).isSymbol(u","))
            row = m_text.next(row);
    }
}

// INSERT ... SELECT 'x', ...[ UNION [ALL] SELECT ...]: each select item that is a single literal
// with the column it goes into.
void SqlRewriter::addSelectedTargets(qsizetype select, const QStringList &columns,
                                     QHash<qsizetype, QString> &targets) const
{
    const qsizetype scope = m_text.enclosingOpen(select);
    qsizetype item = 0;
    bool inList = true;
    for (qsizetype i = m_text.next(select); i < m_text.end(); i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        if (m_text.enclosingOpen(i) != scope)
            continue;
        if (token.isWord(u"SELECT")) {
            inList = true;
            item = 0;
        } else if (token.isAnyWord({u"FROM", u"WHERE", u"GROUP", u"HAVING", u"ORDER", u"UNION",
                                    u"EXCEPT", u"INTERSECT"})) {
            inList = false;
        } else if (inList && token.isSymbol(u",")) {
            ++item;
        } else if (inList && token.kind == TokenKind::String && item < columns.size()) {
            const qsizetype before = m_text.previous(i);
            const qsizetype after = m_text.next(i);
            const bool alone
                = (m_text.at(before).isSymbol(u",") || m_text.at(before).isWord(u"SELECT"))
                && (after >= m_text.end() || m_text.at(after).isSymbol(u",")
                    || m_text.at(after).isAnyWord({u"FROM", u"WHERE", u"UNION", u"AS"}));
            if (alone)
                targets.insert(i, columns[item]);
        }
    }
}

// SQL Server numbers an IDENTITY column itself and refuses a value for it; SQLite would store
// the value given.
void SqlRewriter::rejectExplicitIdentity()
{
    if (!m_context.isIdentityColumn)
        return;
    for (qsizetype insert = m_text.begin(); insert < m_text.end(); insert = m_text.next(insert)) {
        if (!m_text.at(insert).isWord(u"INSERT"))
            continue;
        qsizetype j = m_text.next(insert);
        if (j < m_text.end() && m_text.at(j).isWord(u"INTO"))
            j = m_text.next(j);
        QString table;
        while (j < m_text.end() && (m_text.at(j).isName() || m_text.at(j).isSymbol(u"."))) {
            if (m_text.at(j).isName())
                table = m_text.at(j).nameValue();
            j = m_text.next(j);
        }
        if (table.isEmpty() || j >= m_text.end() || !m_text.at(j).isSymbol(u"("))
            continue;
        for (qsizetype c = m_text.next(j); c < m_text.partner(j); c = m_text.next(c)) {
            if (m_text.at(c).isName() && m_context.isIdentityColumn(table, m_text.at(c).nameValue())
                && !m_failure) {
                m_failure = StatementFailure{
                    native::ExplicitIdentityValue,
                    QStringLiteral("Cannot insert explicit value for identity column in table "
                                   "'%1' when IDENTITY_INSERT is set to OFF.")
                        .arg(table)};
            }
        }
    }
}

// CAST(x AS money) is money, which SQLite's numeric affinity would leave a whole number.
void SqlRewriter::castsToMoney()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (!m_text.at(i).isWord(u"CAST") || !m_text.nextIsSymbol(i, u"("))
            continue;
        const qsizetype close = m_text.partner(m_text.next(i));
        const qsizetype type = m_text.previous(close);
        const qsizetype as = m_text.previous(type);
        if (m_text.at(type).isAnyWord({u"money", u"smallmoney"}) && m_text.at(as).isWord(u"AS")) {
            m_text.replace(i, QLatin1String(moneyFunction));
            m_text.erase(as, type);
        }
    }
}

// Money divided by a number is money to four places, whole amounts too, where SQLite would
// divide two integers as integers: the dividend goes as a fraction, the result rounded.
void SqlRewriter::divideMoneyAsMoney()
{
    if (!m_context.isMoneyColumn)
        return;
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (!m_text.at(i).isSymbol(u"/"))
            continue;
        const qsizetype first = chainStart(m_text, i, {u"*", u"/", u"%"});
        const qsizetype divisorLast = operandEnd(m_text, m_text.next(i));
        if (!m_text.contains(first) || first >= i || divisorLast < 0)
            continue;
        // Money divided by a float is a float to the server.
        const bool moneyDividend
            = isMoneyExpression(first, i) && !isColumnOfType(divisorLast, floatTypes);
        // A whole number divided by money is money too: 1 / 100.00 is 0.01, not 0.
        const bool moneyDivisor = first == m_text.previous(i) && isWholeOperand(first)
            && isMoneyExpression(m_text.next(i), m_text.next(divisorLast));
        if (!moneyDividend && !moneyDivisor)
            continue;
        const char *outer = scalesByPowerOfTwo(m_text, i) ? moneyFunction : computedMoneyFunction;
        m_text.prepend(first, QLatin1String(outer) + u'(' + QLatin1String(moneyFunction) + u'(');
        m_text.append(m_text.previous(i), QStringLiteral(")"));
        m_text.append(divisorLast, QStringLiteral(")"));
    }
}

// Whether the name at `index` is a column whose declared type is one of `types`.
bool SqlRewriter::isColumnOfType(qsizetype index, std::span<const QStringView> types) const
{
    if (!m_text.at(index).isName() || m_text.nextIsSymbol(index, u"(") || !m_context.declaredType)
        return false;
    const QString type = m_context.declaredType(m_text.nameEndingAt(index));
    return std::any_of(types.begin(), types.end(),
                       [&type](QStringView name) { return type.startsWith(name); });
}

bool SqlRewriter::isWholeOperand(qsizetype index) const
{
    const Token &token = m_text.at(index);
    if (token.kind == TokenKind::Number)
        return !token.text.contains(u'.') && !token.text.contains(u'e', Qt::CaseInsensitive);
    return isColumnOfType(index, wholeTypes);
}

// Whether [from, to) holds a decimal or float column or a cast to one: the server's type of
// the whole is then a fraction, while a decimal's whole values are integers here.
bool SqlRewriter::holdsFraction(qsizetype from, qsizetype to) const
{
    for (qsizetype i = from; i < to; i = m_text.next(i)) {
        if (isColumnOfType(i, fractionTypes)
            || (m_text.at(i).isAnyWord(fractionTypes) && m_text.previousIsWord(i, u"AS")))
            return true;
    }
    return false;
}

// AVG of whole numbers is a whole number and AVG of money is money, as the server types them.
void SqlRewriter::averageAsTheServer()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (!m_text.at(i).isWord(u"AVG") || !m_text.nextIsSymbol(i, u"("))
            continue;
        const qsizetype open = m_text.next(i);
        if (holdsFraction(m_text.next(open), m_text.partner(open)))
            continue;
        const bool money
            = m_context.isMoneyColumn && isMoneyExpression(m_text.next(open), m_text.partner(open));
        m_text.replace(i, QLatin1String(money ? moneyAverageFunction : averageFunction));
    }
}

// SQL Server stops a statement that divides by zero; SQLite gives Null, which a sum or a
// report would take for a value. Every divisor goes through the check.
void SqlRewriter::guardDivisors()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (!m_text.at(i).isSymbol(u"/") && !m_text.at(i).isSymbol(u"%"))
            continue;
        const qsizetype last = operandEnd(m_text, m_text.next(i));
        if (last < 0)
            throwSyntaxError(m_text.at(i).text);
        m_text.append(i, u' ' + QLatin1String(divisorFunction) + u'(');
        m_text.append(last, QStringLiteral(")"));
    }
}

// Sums of money add exactly, money stored by an UPDATE is rounded to money's four places, and
// result columns that are money are told apart, whatever values they happen to hold.
void SqlRewriter::keepMoneyExact()
{
    if (!m_context.isMoneyColumn)
        return;
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (m_text.at(i).isWord(u"SUM") && m_text.nextIsSymbol(i, u"(")) {
            const qsizetype open = m_text.next(i);
            if (isMoneyExpression(m_text.next(open), m_text.partner(open)))
                m_text.replace(i, QLatin1String(moneySumFunction));
        }
    }
    roundMoneyAssignments();
    findMoneyResultColumns();
}

// [from, to) is money by SQL Server's rules: money columns and casts to money, and sums,
// averages, signs, absolute values and Null replacements of them, added, subtracted or scaled by
// numbers or whole-number columns. Anything else (a text, a float or decimal column, a CASE)
// leaves its type to the values.
bool SqlRewriter::isMoneyExpression(qsizetype from, qsizetype to) const
{
    static const QStringView moneyFunctions[]
        = {u"SUM", u"AVG", u"MIN", u"MAX", u"ABS", u"ISNULL", u"IFNULL", u"ROUND"};
    bool anyMoney = false;
    for (qsizetype i = from; i < to; i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        if (token.isName()) {
            const qsizetype close
                = m_text.nextIsSymbol(i, u"(") ? m_text.partner(m_text.next(i)) : -1;
            if (token.isWord(u"CAST") && close > 0
                && m_text.at(m_text.previous(close)).isAnyWord({u"money", u"smallmoney"})) {
                anyMoney = true;
                i = close;
            } else if (close > 0) {
                if (!token.isAnyWord(moneyFunctions))
                    return false;
            } else if (m_text.nextIsSymbol(i, u".")) {
                continue; // a table's name before its column
            } else if (token.isWord(u"DISTINCT")) {
                continue;
            } else if (m_context.isMoneyColumn(token.nameValue())) {
                anyMoney = true;
            } else if (!isColumnOfType(i, wholeTypes)) {
                return false;
            }
        } else if (token.kind != TokenKind::Number && !isArithmetic(token)) {
            return false;
        }
    }
    return anyMoney;
}

// Whether [from, to) adds, subtracts, multiplies or divides in a way a double may round. A sign
// changes no digit, nor does a product or quotient by a power of two (the program's "* -1").
bool SqlRewriter::isComputed(qsizetype from, qsizetype to) const
{
    for (qsizetype i = m_text.next(from); i < to; i = m_text.next(i)) {
        if (isBinaryOperator(m_text, i) && !scalesByPowerOfTwo(m_text, i))
            return true;
    }
    return false;
}

// SET col = expression, for a money column: the stored value is rounded to money's places, so
// 0.1 + 0.2 - 0.3 stores 0 and a later "<> 0" finds no row.
void SqlRewriter::roundMoneyAssignments()
{
    for (const qsizetype assignment : updateAssignments()) {
        if (!m_context.isMoneyColumn(m_text.nameEndingAt(m_text.previous(assignment))))
            continue;
        const qsizetype first = m_text.next(assignment);
        const qsizetype last = m_text.previous(expressionEnd(first));
        if (!m_text.contains(first) || last < first)
            continue;
        const char *function
            = isComputed(first, m_text.next(last)) ? computedMoneyFunction : moneyFunction;
        m_text.append(assignment, u' ' + QLatin1String(function) + u'(');
        m_text.append(last, QStringLiteral(")"));
    }
}

// Where the expression that starts at `from` ends: the next comma, closing bracket or clause
// keyword of the same depth, or the statement's end.
qsizetype SqlRewriter::expressionEnd(qsizetype from) const
{
    const qsizetype scope = m_text.enclosingOpen(from);
    for (qsizetype i = from; i < m_text.end(); i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        // A bracket of the expression's own calls closes at its depth; only one opened before
        // it ends it.
        if (token.isSymbol(u")") && m_text.partner(i) < from)
            return i;
        if (m_text.enclosingOpen(i) != scope)
            continue;
        if (token.isSymbol(u",")
            || token.isAnyWord({u"FROM", u"WHERE", u"AS", u"GROUP", u"HAVING", u"ORDER", u"UNION",
                                u"EXCEPT", u"INTERSECT", u"INTO"}))
            return i;
    }
    return m_text.end();
}

// The result columns of a SELECT whose expression is money.
void SqlRewriter::findMoneyResultColumns()
{
    qsizetype i = m_text.begin();
    if (!m_text.contains(i) || !m_text.at(i).isWord(u"SELECT"))
        return;
    i = selectListStart(m_text, i);
    for (int column = 0; m_text.contains(i); ++column) {
        const qsizetype end = expressionEnd(i);
        // An alias, with or without AS, names the column and is no part of its expression.
        qsizetype last = m_text.previous(end);
        if (last > i && m_text.at(last).isName() && !m_text.at(last).isWord(u"END")) {
            const qsizetype before = m_text.previous(last);
            if (m_text.at(before).isName() || m_text.at(before).isSymbol(u")")
                || m_text.at(before).kind == TokenKind::Number)
                last = before;
        }
        if (isMoneyExpression(i, m_text.next(last))) {
            m_moneyResultColumns.append(column);
            if (isComputed(i, m_text.next(last))) {
                m_text.prepend(i, QLatin1String(computedMoneyFunction) + u'(');
                m_text.append(last, QStringLiteral(")"));
            }
        }
        qsizetype next = end;
        if (m_text.contains(next) && m_text.at(next).isWord(u"AS"))
            next = m_text.next(m_text.next(next)); // the alias after AS
        if (!m_text.contains(next) || !m_text.at(next).isSymbol(u","))
            return;
        i = m_text.next(next);
    }
}

// SQL Server takes "DELETE t WHERE ..." for "DELETE FROM t WHERE ...".
void SqlRewriter::addMissingFrom()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (!m_text.at(i).isWord(u"DELETE") || m_text.previousIsWord(i, u"ON")
            || m_text.nextIsWord(i, u"FROM") || m_text.nextIsWord(i, u"TOP")) {
            continue;
        }
        const qsizetype scope = m_text.enclosingOpen(i);
        for (qsizetype j = m_text.next(i); j < m_text.end(); j = m_text.next(j)) {
            if (m_text.at(j).isWord(u"FROM") && m_text.enclosingOpen(j) == scope)
                throwUnsupported(QStringLiteral("DELETE <tabla> FROM"));
        }
        m_text.replace(i, m_text.at(i).text + QStringLiteral(" FROM"));
    }
}

void SqlRewriter::moveGroupFiltersToWhere()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (m_text.at(i).isWord(u"HAVING"))
            moveGroupFilterToWhere(i);
    }
}

// A HAVING filter without aggregates can only name grouped columns (SQL Server refuses
// anything else), so it keeps the same rows when it filters them before grouping; there
// SQLite can search an index with it. SQLite does not move it itself when the grouped
// columns compare with a collation of their own, as every text column here does.
void SqlRewriter::moveGroupFilterToWhere(qsizetype having)
{
    const qsizetype group = clauseBefore(having, u"GROUP");
    const qsizetype end = clauseEnd(having);
    const qsizetype filter = m_text.next(having);
    if (group < 0 || filter >= end)
        return;
    for (qsizetype i = filter; i < end; i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        if (token.isWord(u"SELECT")
            || (token.isAnyWord(aggregates) && m_text.nextIsSymbol(i, u"(")))
            return;
    }
    const QString condition = u'(' + m_text.render(filter, end) + u')';
    const qsizetype where = clauseBefore(group, u"WHERE");
    if (where >= 0) {
        m_text.replace(where, m_text.at(where).text + QStringLiteral(" ("));
        m_text.append(m_text.previous(group), QStringLiteral(") AND ") + condition);
    } else {
        m_text.append(m_text.previous(group), QStringLiteral(" WHERE ") + condition);
    }
    m_text.erase(having, m_text.previous(end));
}

// The keyword of the same query that comes before `index`, or -1.
qsizetype SqlRewriter::clauseBefore(qsizetype index, QStringView keyword) const
{
    const qsizetype scope = m_text.enclosingOpen(index);
    for (qsizetype i = m_text.previous(index); i > scope && i >= m_text.begin();
         i = m_text.previous(i)) {
        const Token &token = m_text.at(i);
        if (m_text.enclosingOpen(i) != scope)
            continue;
        if (token.isWord(keyword))
            return i;
        if (token.isAnyWord({u"SELECT", u"UNION", u"EXCEPT", u"INTERSECT"}))
            return -1;
    }
    return -1;
}

// Where the clause at `index` ends: the next clause of the same query, or the query's end.
qsizetype SqlRewriter::clauseEnd(qsizetype index) const
{
    const qsizetype scope = m_text.enclosingOpen(index);
    const qsizetype stop = scope < 0 ? m_text.end() : m_text.partner(scope);
    for (qsizetype i = m_text.next(index); i < stop; i = m_text.next(i)) {
        if (m_text.enclosingOpen(i) == scope
            && m_text.at(i).isAnyWord(
                {u"ORDER", u"UNION", u"EXCEPT", u"INTERSECT", u"FOR", u"OPTION"}))
            return i;
    }
    return stop;
}

void SqlRewriter::convertTop()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        if (m_text.at(i).isWord(u"TOP"))
            convertTop(i);
    }
}

// SELECT [DISTINCT] TOP n ... becomes SELECT [DISTINCT] ... LIMIT n at the end of the same
// query, which is where the parenthesis around a subquery closes.
void SqlRewriter::convertTop(qsizetype top)
{
    qsizetype select = m_text.previous(top);
    if (select >= m_text.begin()
        && (m_text.at(select).isWord(u"DISTINCT") || m_text.at(select).isWord(u"ALL")))
        select = m_text.previous(select);
    if (select < m_text.begin() || !m_text.at(select).isWord(u"SELECT"))
        throwUnsupported(QStringLiteral("TOP en INSERT, UPDATE o DELETE"));

    const qsizetype count = m_text.next(top);
    if (count >= m_text.end())
        throwSyntaxError(m_text.at(top).text);
    qsizetype last = count;
    if (m_text.at(count).isSymbol(u"("))
        last = m_text.partner(count);
    else if (m_text.at(count).kind != TokenKind::Number)
        throwSyntaxError(m_text.at(count).text);
    const QString limit = m_text.render(count, last + 1);

    const qsizetype after = m_text.next(last);
    if (after < m_text.end() && m_text.at(after).isWord(u"PERCENT")) {
        if (QString(limit).remove(u'(').remove(u')').trimmed() != u"100")
            throwUnsupported(QStringLiteral("TOP n PERCENT"));
        m_text.erase(top, after);
        return;
    }
    if (after < m_text.end() && m_text.at(after).isWord(u"WITH"))
        throwUnsupported(QStringLiteral("TOP … WITH TIES"));

    const qsizetype scope = m_text.enclosingOpen(top);
    const qsizetype stop = scope < 0 ? m_text.end() : m_text.partner(scope);
    for (qsizetype j = after; j < stop; j = m_text.next(j)) {
        const Token &token = m_text.at(j);
        if (m_text.enclosingOpen(j) == scope
            && (token.isWord(u"UNION") || token.isWord(u"EXCEPT") || token.isWord(u"INTERSECT")))
            throwUnsupported(QStringLiteral("TOP en una consulta con UNION"));
    }
    m_text.erase(top, last);
    m_text.append(m_text.previous(stop), QStringLiteral(" LIMIT ") + limit);
}

} // namespace platform::db::embedded::tsql
