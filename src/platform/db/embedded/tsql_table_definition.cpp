#include "platform/db/embedded/tsql_table_definition.h"

#include "platform/db/embedded/tsql_errors.h"

namespace platform::db::embedded::tsql {

namespace {

const QStringView textTypes[]
    = {u"char", u"varchar", u"nchar", u"nvarchar", u"text", u"ntext", u"sysname"};
const QStringView lengthCheckedTypes[] = {u"char", u"varchar", u"nchar", u"nvarchar"};
const QStringView numberTypes[] = {u"tinyint",    u"smallint", u"int",  u"bigint",  u"money",
                                   u"smallmoney", u"float",    u"real", u"decimal", u"numeric"};
const QStringView tableConstraints[]
    = {u"CONSTRAINT", u"PRIMARY", u"UNIQUE", u"FOREIGN", u"CHECK", u"INDEX"};

bool isOneOf(const QString &value, const auto &list)
{
    for (QStringView entry : list) {
        if (value.compare(entry, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isDateType(const QString &type)
{
    const QString lower = type.toLower();
    return (lower.contains(u"date") || lower.contains(u"time")) && lower != u"timestamp";
}

bool isPlainName(const QString &name)
{
    for (QChar c : name) {
        if (!c.isLetterOrNumber() && c != u'_')
            return false;
    }
    return !name.isEmpty() && !name.front().isDigit();
}

QString quotedName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// A check named after the kind of failure it reports and the column it guards.
QString checkConstraint(const QString &kind, const QString &column, const QString &condition)
{
    const QString name = kind + column;
    return QStringLiteral(" CONSTRAINT %1 CHECK (%2)")
        .arg(isPlainName(name) ? name : quotedName(name), condition);
}

} // namespace

TableDefinition::TableDefinition(StatementText &text, SqlRewriter &rewriter,
                                 const RewriteContext &context)
    : m_text(text), m_rewriter(rewriter), m_context(context)
{ }

void TableDefinition::dropStorageClauses()
{
    for (qsizetype i = m_text.begin(); i < m_text.end(); i = m_text.next(i)) {
        const Token &token = m_text.at(i);
        const qsizetype following = m_text.next(i);
        const bool nameFollows = following < m_text.end() && m_text.at(following).isName();
        if (token.isWord(u"CLUSTERED") || token.isWord(u"NONCLUSTERED")) {
            m_text.erase(i, i);
        } else if (token.isWord(u"TEXTIMAGE_ON") && nameFollows) {
            m_text.erase(i, following);
        } else if (token.isWord(u"ON") && nameFollows && m_text.previousIsSymbol(i, u")")
                   && !m_text.at(following).isWord(u"DELETE")
                   && !m_text.at(following).isWord(u"UPDATE")) {
            m_text.erase(i, following);
        } else if (token.isWord(u"WITH") && m_text.nextIsSymbol(i, u"(")) {
            m_text.erase(i, m_text.partner(following));
        }
    }
}

void TableDefinition::createTable(qsizetype table)
{
    qsizetype open = m_text.next(table);
    if (open < m_text.end() && m_text.at(open).kind == TokenKind::TempName) {
        m_text.replace(table, QStringLiteral("TEMP TABLE"));
        m_text.replace(open, quotedName(m_text.at(open).text));
    }
    while (open < m_text.end() && !m_text.at(open).isSymbol(u"("))
        open = m_text.next(open);
    if (open >= m_text.end())
        throwSyntaxError(m_text.at(m_text.previous(open)).text);

    std::optional<Column> identity;
    std::optional<Item> tableKey;
    bool hasColumnKey = false;
    for (const Item &item : itemsBetween(open)) {
        if (m_text.at(item.first).isAnyWord(tableConstraints)) {
            if (find(item, u"PRIMARY") >= 0)
                tableKey = item;
            continue;
        }
        const Column column = defineColumn(item);
        hasColumnKey = hasColumnKey || column.primaryKey >= 0;
        if (column.identity >= 0)
            identity = column;
    }
    if (!identity)
        return;

    // SQLite numbers rows itself only for an INTEGER PRIMARY KEY column.
    const QString identityName = m_text.at(identity->name).nameValue();
    if (identity->primaryKey < 0 && tableKey) {
        const QStringList keyColumns = primaryKeyColumns(*tableKey);
        if (keyColumns.size() != 1 || keyColumns.front().compare(identityName, Qt::CaseInsensitive))
            throwUnsupported(QStringLiteral("IDENTITY fuera de la clave primaria"));
        // The key's comma goes with it: the one before it, or after it when it comes first.
        if (tableKey->separator >= 0)
            m_text.erase(tableKey->separator, tableKey->last);
        else
            m_text.erase(tableKey->first, m_text.next(tableKey->last));
    } else if (identity->primaryKey < 0 && hasColumnKey) {
        throwUnsupported(QStringLiteral("IDENTITY fuera de la clave primaria"));
    }
    makeAutoIncrementKey(*identity);
}

void TableDefinition::addColumn(qsizetype add)
{
    qsizetype first = m_text.next(add);
    if (first < m_text.end() && m_text.at(first).isWord(u"COLUMN"))
        first = m_text.next(first);
    if (first >= m_text.end())
        throwSyntaxError(m_text.at(add).text);
    if (m_text.at(first).isAnyWord(tableConstraints))
        throwUnsupported(QStringLiteral("ALTER TABLE … ADD CONSTRAINT"));
    const Item item{first, m_text.previous(m_text.end()), -1};
    for (qsizetype i = first; i <= item.last; i = m_text.next(i)) {
        if (m_text.at(i).isSymbol(u",") && m_text.enclosingOpen(i) < 0)
            throwUnsupported(QStringLiteral("ALTER TABLE … ADD de varias columnas"));
    }
    if (defineColumn(item).identity >= 0)
        throwUnsupported(QStringLiteral("ALTER TABLE … ADD de una columna IDENTITY"));
    leaveExistingRowsNull(add, item);
}

// SQL Server gives the rows already there the default of a new column only when the column
// takes no Null, or WITH VALUES asks for it; SQLite gives it to them always.
void TableDefinition::leaveExistingRowsNull(qsizetype add, const Item &item)
{
    const qsizetype defaultKeyword = find(item, u"DEFAULT");
    const qsizetype notKeyword = find(item, u"NOT");
    const qsizetype values = find(item, u"VALUES");
    if (values >= 0 && m_text.previousIsWord(values, u"WITH")) {
        m_text.erase(m_text.previous(values), values); // SQLite always fills them
        return;
    }
    if (defaultKeyword < 0 || (notKeyword >= 0 && m_text.nextIsWord(notKeyword, u"NULL")))
        return;
    qsizetype table = m_text.previous(add);
    while (m_text.contains(table) && !m_text.at(table).isWord(u"TABLE"))
        table = m_text.previous(table);
    if (!m_text.contains(table))
        return;
    m_text.append(item.last,
                  QStringLiteral("; UPDATE %1 SET %2 = NULL")
                      .arg(m_text.render(m_text.next(table), add),
                           m_text.render(item.first, m_text.next(item.first))));
}

// The column definitions and table constraints between the parentheses at `open`.
QVector<TableDefinition::Item> TableDefinition::itemsBetween(qsizetype open) const
{
    QVector<Item> items;
    const qsizetype close = m_text.partner(open);
    Item item;
    for (qsizetype i = m_text.next(open); i < close; i = m_text.next(i)) {
        if (m_text.at(i).isSymbol(u",") && m_text.enclosingOpen(i) == open) {
            if (item.first >= 0)
                items.append(item);
            item = Item{-1, -1, i};
        } else {
            if (item.first < 0)
                item.first = i;
            item.last = i;
        }
    }
    if (item.first >= 0)
        items.append(item);
    return items;
}

TableDefinition::Column TableDefinition::defineColumn(const Item &item)
{
    Column column;
    column.name = item.first;
    column.type = m_text.next(item.first);
    if (column.type > item.last || !m_text.at(column.type).isName()
        || m_text.at(column.type).isWord(u"AS"))
        throwUnsupported(QStringLiteral("columna calculada"));
    column.typeEnd = column.type;
    if (m_text.nextIsSymbol(column.type, u"("))
        column.typeEnd = m_text.partner(m_text.next(column.type));

    column.identity = find(item, u"IDENTITY");
    column.primaryKey = find(item, u"PRIMARY");

    // The engine reads a column's type from its declared name: [int] is int.
    const QString type = m_text.at(column.type).nameValue();
    m_text.replace(column.type, type);
    if (isDateType(type))
        m_dateColumns.append(m_text.at(column.name).nameValue());
    addTextRules(column, item);
    addNumberRule(column, item);
    const qsizetype defaultKeyword = find(item, u"DEFAULT");
    if (defaultKeyword >= 0)
        wrapDefault(defaultKeyword, isDateType(type));
    return column;
}

// (max) types become SQLite's unbounded TEXT (BLOB for binary); the others keep their
// name. Text columns compare as SQL Server's collation does, and a bounded one refuses a
// longer value, as SQL Server does with "String or binary data would be truncated"; blanks
// past the length are cut there without an error, so they are not counted here either.
void TableDefinition::addTextRules(const Column &column, const Item &item)
{
    const QString type = m_text.at(column.type).nameValue();
    const bool hasLength = column.typeEnd != column.type;
    const QString length = hasLength
        ? m_text.render(m_text.next(m_text.next(column.type)), column.typeEnd)
        : QString();
    if (length.compare(u"max", Qt::CaseInsensitive) == 0) {
        m_text.replace(column.type,
                       type.startsWith(u"varbinary", Qt::CaseInsensitive) ? QStringLiteral("BLOB")
                                                                          : QStringLiteral("TEXT"));
        m_text.erase(m_text.next(column.type), column.typeEnd);
    }
    if (!isOneOf(type, textTypes))
        return;
    if (find(item, u"COLLATE") < 0)
        m_text.append(column.typeEnd, QStringLiteral(" COLLATE ") + m_context.textCollation);

    bool isNumber = false;
    length.toInt(&isNumber);
    if (!isNumber || !isOneOf(type, lengthCheckedTypes))
        return;
    const QString name = m_text.at(column.name).nameValue();
    m_text.append(
        item.last,
        checkConstraint(QStringLiteral("ck_len_"), name,
                        QStringLiteral("length(rtrim(%1)) <= %2").arg(quotedName(name), length)));
}

// SQLite keeps a text that is no number in a number column, where it would read as 0;
// SQL Server refuses to convert it. An identity key is an integer to SQLite already.
void TableDefinition::addNumberRule(const Column &column, const Item &item)
{
    if (column.identity >= 0 || !isOneOf(m_text.at(column.type).nameValue(), numberTypes))
        return;
    const QString name = m_text.at(column.name).nameValue();
    m_text.append(
        item.last,
        checkConstraint(
            QStringLiteral("ck_type_"), name,
            QStringLiteral("typeof(%1) IN ('integer', 'real', 'null')").arg(quotedName(name))));
}

// SQLite takes an expression as a default only in parentheses: DEFAULT GETDATE() becomes
// DEFAULT (GETDATE()). A date given as text is stored in the canonical form.
void TableDefinition::wrapDefault(qsizetype defaultKeyword, bool isDate)
{
    qsizetype value = m_text.next(defaultKeyword);
    if (value >= m_text.end())
        throwSyntaxError(m_text.at(defaultKeyword).text);
    if (m_text.at(value).kind == TokenKind::Word && m_text.nextIsSymbol(value, u"(")) {
        m_text.replace(value, u'(' + m_text.at(value).text);
        m_text.append(m_text.partner(m_text.next(value)), QStringLiteral(")"));
        return;
    }
    while (m_text.at(value).isSymbol(u"(") && m_text.next(value) < m_text.end())
        value = m_text.next(value);
    if (isDate && m_text.at(value).kind == TokenKind::String)
        m_rewriter.convertDateLiteral(value, m_text.at(value).stringValue());
}

QStringList TableDefinition::primaryKeyColumns(const Item &item) const
{
    QStringList columns;
    qsizetype open = find(item, u"PRIMARY");
    while (open <= item.last && !m_text.at(open).isSymbol(u"("))
        open = m_text.next(open);
    if (open > item.last)
        return columns;
    for (qsizetype i = m_text.next(open); i < m_text.partner(open); i = m_text.next(i)) {
        if (m_text.at(i).isName() && !m_text.at(i).isWord(u"ASC") && !m_text.at(i).isWord(u"DESC"))
            columns.append(m_text.at(i).nameValue());
    }
    return columns;
}

// `ID int IDENTITY(1,1) [CONSTRAINT pk] PRIMARY KEY` becomes
// `ID INTEGER PRIMARY KEY AUTOINCREMENT`, so that ids are never reused, as with IDENTITY.
void TableDefinition::makeAutoIncrementKey(const Column &column)
{
    m_text.replace(column.type, QStringLiteral("INTEGER"));
    if (column.typeEnd != column.type)
        m_text.erase(m_text.next(column.type), column.typeEnd);

    qsizetype identityEnd = column.identity;
    if (m_text.nextIsSymbol(identityEnd, u"("))
        identityEnd = m_text.partner(m_text.next(identityEnd));
    m_text.erase(column.identity, identityEnd);
    m_text.replace(column.identity, QStringLiteral("PRIMARY KEY AUTOINCREMENT"));

    if (column.primaryKey < 0)
        return;
    qsizetype keyStart = column.primaryKey;
    const qsizetype constraintName = m_text.previous(keyStart);
    if (m_text.previousIsWord(constraintName, u"CONSTRAINT"))
        keyStart = m_text.previous(constraintName);
    qsizetype keyEnd = m_text.next(column.primaryKey); // KEY
    for (qsizetype next = m_text.next(keyEnd); next < m_text.end()
         && (m_text.at(next).isWord(u"ASC") || m_text.at(next).isWord(u"DESC")
             || m_text.isErased(next));
         next = m_text.next(next)) {
        keyEnd = next;
    }
    m_text.erase(keyStart, keyEnd);
}

qsizetype TableDefinition::find(const Item &item, QStringView keyword) const
{
    for (qsizetype i = item.first; i <= item.last; i = m_text.next(i)) {
        if (m_text.at(i).isWord(keyword) && m_text.depth(i) == m_text.depth(item.first))
            return i;
    }
    return -1;
}

} // namespace platform::db::embedded::tsql
