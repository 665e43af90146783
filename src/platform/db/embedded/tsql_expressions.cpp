#include "platform/db/embedded/tsql_expressions.h"

#include "platform/db/ado.h"
#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/tsql_errors.h"

#include <QRegularExpression>

namespace platform::db::embedded::tsql {

namespace {

constexpr std::int32_t ungroupedColumn = 8120;
constexpr qsizetype longChain = 100; // well below SQLite's depth of a thousand

// Words that neither name a value nor call a function.
const QStringView keywords[] = {
    u"SELECT",    u"WHERE",  u"AND",    u"OR",       u"NOT",     u"ON",    u"WHEN",   u"THEN",
    u"ELSE",      u"IN",     u"IS",     u"LIKE",     u"BETWEEN", u"AS",    u"SET",    u"BY",
    u"FROM",      u"HAVING", u"VALUES", u"DISTINCT", u"TOP",     u"ALL",   u"EXISTS", u"CASE",
    u"UNION",     u"JOIN",   u"INTO",   u"ESCAPE",   u"COLLATE", u"ORDER", u"GROUP",  u"EXCEPT",
    u"INTERSECT", u"ANY",    u"SOME",   u"END",      u"NULL",    u"ASC",   u"DESC",   u"WITH",
};

// Values without brackets that are no columns.
const QStringView niladicFunctions[]
    = {u"SYSTEM_USER", u"CURRENT_TIMESTAMP", u"CURRENT_USER", u"SESSION_USER", u"USER"};

const QStringView aggregates[] = {
    u"SUM", u"COUNT", u"COUNT_BIG", u"AVG", u"MIN", u"MAX", u"STDEV", u"STDEVP", u"VAR", u"VARP",
};

const QStringView textFunctions[] = {
    u"LTRIM",  u"RTRIM",    u"TRIM",    u"UPPER",     u"LOWER",   u"SUBSTRING",   u"SUBSTR",
    u"LEFT",   u"RIGHT",    u"REPLACE", u"REPLICATE", u"SPACE",   u"STR",         u"ISNULL",
    u"IFNULL", u"COALESCE", u"CHAR",    u"NCHAR",     u"REVERSE", u"SYSTEM_USER",
};

const QStringView textTypeNames[] = {u"varchar", u"nvarchar", u"char", u"nchar", u"text", u"ntext"};

bool isKeyword(const Token &token)
{
    return token.kind == TokenKind::Word && token.isAnyWord(keywords);
}

bool isAnySymbol(const Token &token, std::initializer_list<QStringView> symbols)
{
    for (QStringView symbol : symbols) {
        if (token.isSymbol(symbol))
            return true;
    }
    return false;
}

bool isDateTerm(const StatementText &text, qsizetype from, qsizetype to,
                const RewriteContext &context)
{
    if (operandEnd(text, from) != to || !context.isDateColumn)
        return false;
    if (text.at(to).isName() && !text.at(to).isWord(u"END"))
        return context.isDateColumn(text.nameEndingAt(to));
    return text.at(from).isWord(u"GETDATE");
}

// Whether [from, to] may give a text: a literal, a text column, a text function or a CAST to a
// text type anywhere in it. A number taken for a text only costs the call.
bool mayBeText(const StatementText &text, qsizetype from, qsizetype to,
               const RewriteContext &context)
{
    for (qsizetype i = from; i <= to; i = text.next(i)) {
        const Token &token = text.at(i);
        if (token.kind == TokenKind::String)
            return true;
        if (!token.isName())
            continue;
        if (text.nextIsSymbol(i, u"(")) {
            if (token.isAnyWord(textFunctions))
                return true;
        } else if (text.previousIsWord(i, u"AS") && token.isAnyWord(textTypeNames)) {
            return true;
        } else if (!text.nextIsSymbol(i, u".") && context.isTextColumn
                   && context.isTextColumn(token.nameValue())) {
            return true;
        }
    }
    return false;
}

// Whether the call CAST(… AS type) at `first` gives a text.
bool isCastToText(const StatementText &text, qsizetype first)
{
    if (!text.at(first).isWord(u"CAST"))
        return false;
    qsizetype type = text.previous(text.partner(text.next(first)));
    if (text.at(type).isSymbol(u")"))
        type = text.previous(text.partner(type)); // varchar(10)
    return text.at(type).isAnyWord(textTypeNames) && text.previousIsWord(type, u"AS");
}

// Whether the single operand [first, last] is a text: a literal, a text column, a call of a
// text function or a cast to a text type, in brackets or not.
bool isTextOperand(const StatementText &text, qsizetype first, qsizetype last,
                   const RewriteContext &context);

// A scalar subquery [select, last] is text when its one result column is.
bool isTextSelection(const StatementText &text, qsizetype select, qsizetype last,
                     const RewriteContext &context)
{
    const qsizetype first = selectListStart(text, select);
    qsizetype end = first;
    while (
        end <= last
        && !(text.at(end).isWord(u"FROM") && text.enclosingOpen(end) == text.enclosingOpen(select)))
        end = text.next(end);
    return end > first && isTextOperand(text, first, text.previous(end), context);
}

bool isTextOperand(const StatementText &text, qsizetype first, qsizetype last,
                   const RewriteContext &context)
{
    if (operandEnd(text, first) != last)
        return false;
    const Token &token = text.at(first);
    if (first == last && token.kind == TokenKind::String)
        return true;
    if (token.isSymbol(u"(") && last == text.partner(first)) {
        const qsizetype inner = text.next(first);
        if (text.at(inner).isWord(u"SELECT"))
            return isTextSelection(text, inner, text.previous(last), context);
        return isTextOperand(text, inner, text.previous(last), context);
    }
    if (token.isName() && text.nextIsSymbol(first, u"("))
        return isCastToText(text, first)
            || (token.isAnyWord(textFunctions) && !token.isAnyWord({u"ISNULL", u"IFNULL"}));
    return text.at(last).isName() && !text.nextIsSymbol(last, u"(") && context.isTextColumn
        && context.isTextColumn(text.nameEndingAt(last));
}

// The operand's type as the server's messages name it: a column's declared type where every
// table declares the same, a national literal's nvarchar, else `general`.
QString typeNameOf(const StatementText &text, qsizetype first, qsizetype last,
                   const RewriteContext &context, const QString &general)
{
    if (first == last && text.at(first).isNationalString())
        return QStringLiteral("nvarchar");
    if (!text.at(last).isName() || text.nextIsSymbol(last, u"(") || !context.declaredType)
        return general;
    const QString declared = context.declaredType(text.nameEndingAt(last));
    const QString type = declared.section(u'(', 0, 0).trimmed();
    return type.isEmpty() ? general : type;
}

struct Term
{
    qsizetype first;
    qsizetype last;
    qsizetype operatorBefore; // -1 for the first term
};

// The additive terms of the chain [from, to]: operands joined by "*", "/" or "%" between the
// binary "+" and "-" of the chain's own level.
QVector<Term> additiveTerms(const StatementText &text, qsizetype from, qsizetype to)
{
    QVector<Term> terms{{from, from, -1}};
    for (qsizetype i = from; i <= to && text.contains(i);) {
        const qsizetype last = operandEnd(text, i);
        if (last < 0)
            break;
        terms.last().last = last;
        const qsizetype op = text.next(last);
        if (op > to)
            break;
        if (text.at(op).isSymbol(u"+") || text.at(op).isSymbol(u"-"))
            terms.append({text.next(op), text.next(op), op});
        i = text.next(op);
    }
    return terms;
}

// A char(n) column joined keeps its blanks, as the server holds them.
void padFixedTexts(StatementText &text, const QVector<Term> &terms, const RewriteContext &context)
{
    static const QRegularExpression fixedText(QStringLiteral(R"(^n?char\s*\(\s*(\d+)\s*\))"));
    if (!context.declaredType)
        return;
    for (const Term &term : terms) {
        if (operandEnd(text, term.first) != term.last || !text.at(term.last).isName()
            || text.at(term.last).isWord(u"END"))
            continue;
        const QRegularExpressionMatch match
            = fixedText.match(context.declaredType(text.nameEndingAt(term.last)));
        if (!match.hasMatch())
            continue;
        text.prepend(term.first, QLatin1String(paddedFunction) + u'(');
        text.append(term.last, QStringLiteral(", %1)").arg(match.captured(1)));
    }
}

void joinChain(StatementText &text, const QVector<Term> &terms)
{
    int joins = 0;
    for (const Term &term : terms) {
        if (term.operatorBefore < 0 || !text.at(term.operatorBefore).isSymbol(u"+"))
            continue;
        ++joins;
        text.replace(term.operatorBefore, QStringLiteral(","));
        text.append(term.last, QStringLiteral(")"));
    }
    text.prepend(terms.front().first, QString(QLatin1String(plusFunction) + u'(').repeated(joins));
}

// chainStart stops at a sign, which belongs to the operand after it: "-n + a" is (-n) + a,
// and "2 * -n + a" is (2 * -n) + a, where joining from n would sign or scale the whole join.
qsizetype signedChainStart(const StatementText &text, qsizetype op,
                           std::initializer_list<QStringView> operators)
{
    qsizetype first = chainStart(text, op, operators);
    for (;;) {
        const qsizetype sign = text.previous(first);
        if (!text.contains(sign) || !isAnySymbol(text.at(sign), {u"-", u"+"})
            || isOperandEnd(text, text.previous(sign)))
            return first;
        const qsizetype before = text.previous(sign);
        if (text.contains(before) && isAnySymbol(text.at(before), operators)
            && isOperandEnd(text, text.previous(before)))
            first = chainStart(text, before, operators);
        else
            first = sign;
    }
}

// A token sequence as the grouping compares it: names without brackets, case aside.
QStringList normalized(const StatementText &text, qsizetype from, qsizetype to)
{
    QStringList tokens;
    for (qsizetype i = from; i <= to && text.contains(i); i = text.next(i))
        tokens.append(text.at(i).kind == TokenKind::QuotedName ? text.at(i).nameValue()
                                                               : text.at(i).text);
    return tokens;
}

bool sameToken(const Token &token, const QString &part)
{
    if (token.kind == TokenKind::QuotedName)
        return token.nameValue().compare(part, Qt::CaseInsensitive) == 0;
    return token.text.compare(part, Qt::CaseInsensitive) == 0;
}

struct Span
{
    qsizetype first;
    qsizetype last;
};

// The items of a list at the scope of `from`, split at its commas, up to `to` (inclusive).
QVector<Span> listItems(const StatementText &text, qsizetype from, qsizetype to)
{
    QVector<Span> items;
    const qsizetype scope = text.enclosingOpen(from);
    qsizetype first = from;
    qsizetype last = -1;
    for (qsizetype i = from; i <= to && text.contains(i); i = text.next(i)) {
        if (text.at(i).isSymbol(u",") && text.enclosingOpen(i) == scope) {
            if (last >= first)
                items.append({first, last});
            first = text.next(i);
            continue;
        }
        last = i;
    }
    if (last >= first)
        items.append({first, last});
    return items;
}

// Where the clause list that starts at `from` ends: before the next clause keyword of its
// query, the bracket that closes the query, or the statement's end.
qsizetype clauseListLast(const StatementText &text, qsizetype from,
                         std::initializer_list<QStringView> stops)
{
    const qsizetype scope = text.enclosingOpen(from);
    qsizetype last = text.previous(from);
    for (qsizetype i = from; text.contains(i); i = text.next(i)) {
        if (text.at(i).isSymbol(u")") && text.partner(i) < from)
            break;
        if (text.enclosingOpen(i) == scope && text.at(i).isAnyWord(stops))
            break;
        last = i;
    }
    return last;
}

// The last token of the match of one of `keys` at `index`, or -1.
qsizetype groupKeyAt(const StatementText &text, qsizetype index, qsizetype last,
                     const QVector<QStringList> &keys)
{
    for (const QStringList &key : keys) {
        qsizetype i = index;
        qsizetype matched = 0;
        while (matched < key.size() && i <= last && text.contains(i)
               && sameToken(text.at(i), key[matched])) {
            ++matched;
            i = text.next(i);
        }
        if (matched == key.size())
            return text.previous(i);
    }
    return -1;
}

// A select item without its alias: "expr AS name", "expr name".
Span withoutAlias(const StatementText &text, Span item)
{
    if (item.last <= item.first)
        return item;
    const qsizetype before = text.previous(item.last);
    if (text.at(before).isWord(u"AS"))
        return {item.first, text.previous(before)};
    if (text.at(item.last).isName() && !isKeyword(text.at(item.last))
        && !text.at(before).isSymbol(u".") && isOperandEnd(text, before))
        return {item.first, before};
    return item;
}

void checkSelectList(const StatementText &text, qsizetype select)
{
    static const std::initializer_list<QStringView> listStops{u"FROM",   u"WHERE",     u"GROUP",
                                                              u"HAVING", u"ORDER",     u"UNION",
                                                              u"EXCEPT", u"INTERSECT", u"INTO"};
    static const std::initializer_list<QStringView> queryStops{u"SELECT",    u"UNION", u"EXCEPT",
                                                               u"INTERSECT", u"ORDER", u"HAVING"};
    const qsizetype first = selectListStart(text, select);
    if (!text.contains(first))
        return;
    const qsizetype last = clauseListLast(text, first, listStops);

    qsizetype group = -1;
    for (qsizetype i = text.next(last); text.contains(i); i = text.next(i)) {
        if (text.at(i).isSymbol(u")") && text.partner(i) < select)
            break;
        if (text.enclosingOpen(i) != text.enclosingOpen(select))
            continue;
        if (text.at(i).isAnyWord(queryStops))
            break;
        if (text.at(i).isWord(u"GROUP") && text.nextIsWord(i, u"BY")) {
            group = text.next(text.next(i));
            break;
        }
    }
    bool aggregated = false;
    for (qsizetype i = first; i <= last; i = text.next(i)) {
        if (text.at(i).isSymbol(u"(") && text.nextIsWord(i, u"SELECT"))
            i = text.partner(i);
        else if (text.at(i).isAnyWord(aggregates) && text.nextIsSymbol(i, u"("))
            aggregated = true;
    }
    if (group < 0 && !aggregated)
        return;

    QVector<QStringList> keys;
    QSet<QString> groupedColumns;
    if (group >= 0) {
        const qsizetype groupLast = clauseListLast(
            text, group,
            {u"HAVING", u"ORDER", u"UNION", u"EXCEPT", u"INTERSECT", u"WITH", u"FOR", u"OPTION"});
        for (const Span &key : listItems(text, group, groupLast)) {
            keys.append(normalized(text, key.first, key.last));
            if (text.at(key.last).isName())
                groupedColumns.insert(text.at(key.last).nameValue().toLower());
        }
    }
    for (Span item : listItems(text, first, last)) {
        item = withoutAlias(text, item);
        if (text.at(item.last).isSymbol(u"*"))
            continue;
        for (qsizetype i = item.first; i <= item.last; i = text.next(i)) {
            const Token &token = text.at(i);
            if (const qsizetype key = groupKeyAt(text, i, item.last, keys); key >= 0) {
                i = key;
            } else if (token.isSymbol(u"(") && text.nextIsWord(i, u"SELECT")) {
                i = text.partner(i);
            } else if (token.isName() && text.nextIsSymbol(i, u"(")) {
                if (token.isAnyWord(aggregates))
                    i = text.partner(text.next(i));
                else if (token.isAnyWord({u"DATEPART", u"DATEADD", u"DATEDIFF", u"DATENAME"}))
                    i = text.next(text.next(i)); // the date part is no column
            } else if (token.isName() && !isKeyword(token) && !token.isAnyWord(niladicFunctions)
                       && !text.nextIsSymbol(i, u".") && !text.previousIsWord(i, u"AS")
                       && !text.previousIsWord(i, u"COLLATE")
                       && !groupedColumns.contains(token.nameValue().toLower())) {
                qsizetype start = i;
                while (text.previousIsSymbol(start, u"."))
                    start = text.previous(text.previous(start));
                throw TranslationError{
                    ungroupedColumn,
                    QStringLiteral("Column '%1' is invalid in the select list because it is not "
                                   "contained in either an aggregate function or the GROUP BY "
                                   "clause.")
                        .arg(text.original(start, i + 1))};
            }
        }
    }
}

// Bytes per character and fixed length of DATALENGTH for a declared type; nullopt when unknown.
std::optional<std::pair<int, int>> dataLengthOf(const QString &declaredType)
{
    static const QRegularExpression form(QStringLiteral(R"(^\s*(\w+)\s*(?:\(\s*(\w+)[^)]*\))?)"));
    const QRegularExpressionMatch match = form.match(declaredType.toLower());
    if (!match.hasMatch())
        return std::nullopt;
    const QString name = match.captured(1);
    const int length = match.captured(2).toInt();
    static const QHash<QString, int> fixedSizes{
        {QStringLiteral("int"), 4},      {QStringLiteral("integer"), 4},
        {QStringLiteral("smallint"), 2}, {QStringLiteral("tinyint"), 1},
        {QStringLiteral("bigint"), 8},   {QStringLiteral("bit"), 1},
        {QStringLiteral("money"), 8},    {QStringLiteral("smallmoney"), 4},
        {QStringLiteral("float"), 8},    {QStringLiteral("real"), 4},
        {QStringLiteral("datetime"), 8}, {QStringLiteral("smalldatetime"), 4},
        {QStringLiteral("date"), 3},
    };
    if (const auto fixed = fixedSizes.constFind(name); fixed != fixedSizes.cend())
        return std::pair{1, *fixed};
    if (name == u"varchar" || name == u"text")
        return std::pair{1, 0};
    if (name == u"nvarchar" || name == u"ntext")
        return std::pair{2, 0};
    if ((name == u"char" || name == u"nchar") && match.captured(2) != u"max")
        return std::pair{name == u"nchar" ? 2 : 1, std::max(length, 1)};
    return std::nullopt;
}

// The conditions of one clause at one depth: where they start, the ORs between them, and for
// each OR's term the ANDs between its own conditions.
struct ConditionSegment
{
    explicit ConditionSegment(qsizetype start) : first(start) { }

    qsizetype first;
    QVector<qsizetype> ors;
    QVector<QVector<qsizetype>> ands; // by term; a term without ANDs may have no entry
    bool inBetween = false; // the next AND is BETWEEN's own
};

void bracket(StatementText &text, const QVector<Span> &terms, qsizetype from, qsizetype to)
{
    if (to - from < 2)
        return;
    const qsizetype middle = (from + to) / 2;
    for (const auto &[first, last] : {std::pair{from, middle}, std::pair{middle, to}}) {
        if (last - first >= 2) {
            text.prepend(terms[first].first, QStringLiteral("("));
            text.append(terms[last - 1].last, QStringLiteral(")"));
        }
    }
    bracket(text, terms, from, middle);
    bracket(text, terms, middle, to);
}

// The terms [first, last] joined by the operators at `ops`, in balanced brackets when there are
// many of them.
void balanceChain(StatementText &text, qsizetype first, const QVector<qsizetype> &ops,
                  qsizetype last)
{
    if (ops.size() < longChain || first < 0 || last < first)
        return;
    QVector<Span> terms;
    for (const qsizetype op : ops) {
        terms.append({first, text.previous(op)});
        first = text.next(op);
    }
    terms.append({first, last});
    bracket(text, terms, 0, terms.size());
}

// The ANDs inside each OR's term first: the ORs' brackets then go around theirs.
void balance(StatementText &text, const ConditionSegment &segment, qsizetype last)
{
    qsizetype first = segment.first;
    for (qsizetype term = 0; term < segment.ands.size(); ++term) {
        const qsizetype termLast
            = term < segment.ors.size() ? text.previous(segment.ors[term]) : last;
        balanceChain(text, first, segment.ands[term], termLast);
        if (term < segment.ors.size())
            first = text.next(segment.ors[term]);
    }
    balanceChain(text, segment.first, segment.ors, last);
}

// Whether [first, after) is a whole item of a GROUP BY or ORDER BY list, which groups or sorts
// by the collation.
bool isGroupingOrOrderItem(const StatementText &text, qsizetype first, qsizetype after)
{
    const bool endsItem = !text.contains(after) || text.at(after).isSymbol(u",")
        || text.at(after).isSymbol(u")")
        || text.at(after).isAnyWord(
            {u"ASC", u"DESC", u"HAVING", u"ORDER", u"UNION", u"EXCEPT", u"INTERSECT"});
    if (!endsItem)
        return false;
    for (qsizetype i = text.previous(first); text.contains(i); i = text.previous(i)) {
        const Token &token = text.at(i);
        if (token.isSymbol(u")"))
            i = text.partner(i);
        else if (token.isWord(u"BY"))
            return text.previousIsWord(i, u"GROUP") || text.previousIsWord(i, u"ORDER");
        else if (token.isSymbol(u"(") || isKeyword(token))
            return false;
        else if (!token.isSymbol(u",") && i == text.previous(first))
            return false; // the call is part of a longer item
    }
    return false;
}

} // namespace

bool isOperandEnd(const StatementText &text, qsizetype index)
{
    if (!text.contains(index))
        return false;
    const Token &token = text.at(index);
    switch (token.kind) {
    case TokenKind::Number:
    case TokenKind::String:
    case TokenKind::QuotedName:
    case TokenKind::TempName:
    case TokenKind::HashDate:
        return true;
    case TokenKind::Word:
        return token.isWord(u"END") || token.isWord(u"NULL") || !isKeyword(token);
    default:
        return token.isSymbol(u")");
    }
}

qsizetype selectListStart(const StatementText &text, qsizetype select)
{
    qsizetype first = text.next(select);
    if (text.contains(first) && text.at(first).isAnyWord({u"DISTINCT", u"ALL"}))
        first = text.next(first);
    if (text.contains(first) && text.at(first).isWord(u"TOP")) {
        first = text.next(first);
        first = text.next(text.at(first).isSymbol(u"(") ? text.partner(first) : first);
        if (text.contains(first) && text.at(first).isWord(u"PERCENT"))
            first = text.next(first);
    }
    return first;
}

qsizetype operandStart(const StatementText &text, qsizetype last)
{
    const Token &token = text.at(last);
    qsizetype start = last;
    if (token.isSymbol(u")")) {
        start = text.partner(last);
        const qsizetype before = text.previous(start);
        if (!text.contains(before) || text.at(before).kind != TokenKind::Word
            || isKeyword(text.at(before)))
            return start;
        start = before;
    } else if (token.isWord(u"END")) {
        int open = 0;
        for (qsizetype i = last; text.contains(i); i = text.previous(i)) {
            if (text.at(i).isWord(u"END"))
                ++open;
            else if (text.at(i).isWord(u"CASE") && --open == 0)
                return i;
        }
        return last;
    } else if (!token.isName() && token.kind != TokenKind::TempName) {
        return last;
    }
    while (text.previousIsSymbol(start, u".") && text.contains(text.previous(text.previous(start)))
           && text.at(text.previous(text.previous(start))).isName())
        start = text.previous(text.previous(start));
    return start;
}

qsizetype operandEnd(const StatementText &text, qsizetype first)
{
    qsizetype i = first;
    while (text.contains(i) && (text.at(i).isSymbol(u"-") || text.at(i).isSymbol(u"+")))
        i = text.next(i);
    if (!text.contains(i))
        return -1;
    const Token &token = text.at(i);
    if (token.isSymbol(u"("))
        return text.partner(i);
    if (token.isWord(u"CASE")) {
        int open = 0;
        for (; text.contains(i); i = text.next(i)) {
            if (text.at(i).isWord(u"CASE"))
                ++open;
            else if (text.at(i).isWord(u"END") && --open == 0)
                return i;
        }
        return -1;
    }
    if (!token.isName())
        return i;
    while (text.nextIsSymbol(i, u".") && text.contains(text.next(text.next(i)))
           && text.at(text.next(text.next(i))).isName())
        i = text.next(text.next(i));
    if (text.nextIsSymbol(i, u"("))
        return text.partner(text.next(i));
    return i;
}

qsizetype chainStart(const StatementText &text, qsizetype op,
                     std::initializer_list<QStringView> operators)
{
    qsizetype start = operandStart(text, text.previous(op));
    for (;;) {
        const qsizetype before = text.previous(start);
        if (!text.contains(before) || !isAnySymbol(text.at(before), operators))
            return start;
        const qsizetype operand = text.previous(before);
        if (!isOperandEnd(text, operand))
            return start;
        start = operandStart(text, operand);
    }
}

qsizetype chainEnd(const StatementText &text, qsizetype op,
                   std::initializer_list<QStringView> operators)
{
    qsizetype last = operandEnd(text, text.next(op));
    while (last >= 0) {
        const qsizetype after = text.next(last);
        if (!text.contains(after) || !isAnySymbol(text.at(after), operators))
            break;
        const qsizetype next = operandEnd(text, text.next(after));
        if (next < 0)
            break;
        last = next;
    }
    return last;
}

void convertTextOperands(StatementText &text, const RewriteContext &context)
{
    static const QHash<QString, QString> operatorNames{
        {QStringLiteral("-"), QStringLiteral("subtract")},
        {QStringLiteral("*"), QStringLiteral("multiply")},
        {QStringLiteral("/"), QStringLiteral("divide")},
        {QStringLiteral("%"), QStringLiteral("modulo")}};
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        const Token &op = text.at(i);
        if (op.kind != TokenKind::Symbol || !operatorNames.contains(op.text)
            || !isOperandEnd(text, text.previous(i)))
            continue;
        const Span left{operandStart(text, text.previous(i)), text.previous(i)};
        const Span right{text.next(i), operandEnd(text, text.next(i))};
        if (right.last < 0)
            throwSyntaxError(op.text);
        const bool leftText = isTextOperand(text, left.first, left.last, context);
        const bool rightText = isTextOperand(text, right.first, right.last, context);
        const QString leftSql = text.render(left.first, left.last + 1);
        const QString rightSql = text.render(right.first, right.last + 1);
        const QString name = operatorNames.value(op.text);
        const auto convert = [&](const Span &operand, const QString &other) {
            text.prepend(operand.first, QLatin1String(textOperandFunction) + u'(');
            text.append(operand.last, QStringLiteral(", %1, '%2')").arg(other, name));
        };
        if (leftText)
            convert(left, rightSql);
        if (rightText)
            convert(right, leftSql);
    }
}

void joinTextsWithPlus(StatementText &text, const RewriteContext &context)
{
    static const std::initializer_list<QStringView> arithmetic{u"+", u"-", u"*", u"/", u"%"};
    QSet<qsizetype> joined;
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (!text.at(i).isSymbol(u"+") || joined.contains(i)
            || !isOperandEnd(text, text.previous(i)))
            continue;
        const qsizetype first = signedChainStart(text, i, arithmetic);
        const qsizetype last = chainEnd(text, i, arithmetic);
        if (last < 0)
            throwSyntaxError(text.at(i).text);
        const QVector<Term> terms = additiveTerms(text, first, last);
        bool anyText = false;
        for (const Term &term : terms) {
            if (term.operatorBefore >= 0)
                joined.insert(term.operatorBefore);
            if (isDateTerm(text, term.first, term.last, context))
                throwUnsupported(QStringLiteral("+ con una fecha"));
            anyText = anyText || mayBeText(text, term.first, term.last, context);
        }
        if (anyText) {
            padFixedTexts(text, terms, context);
            joinChain(text, terms);
        }
    }
}

void rejectInvalidSigns(const StatementText &text, const RewriteContext &context)
{
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (!text.at(i).isSymbol(u"-") || isOperandEnd(text, text.previous(i)))
            continue;
        qsizetype operand = text.next(i);
        while (text.contains(operand) && isAnySymbol(text.at(operand), {u"-", u"+"}))
            operand = text.next(operand);
        const qsizetype last = operandEnd(text, operand);
        if (last < 0)
            continue;
        QString type;
        if (isTextOperand(text, operand, last, context))
            type = typeNameOf(text, operand, last, context, QStringLiteral("varchar"));
        else if (isDateTerm(text, operand, last, context))
            type = typeNameOf(text, operand, last, context, QStringLiteral("datetime"));
        else
            continue;
        throw TranslationError{native::InvalidOperand,
                               QString::fromLatin1(invalidOperandMessage).arg(type, u"minus")};
    }
}

void rejectTextSums(const StatementText &text, const RewriteContext &context)
{
    if (!context.isTextColumn)
        return;
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (!text.at(i).isAnyWord({u"SUM", u"AVG"}) || !text.nextIsSymbol(i, u"("))
            continue;
        const qsizetype open = text.next(i);
        qsizetype argument = text.next(open);
        if (text.at(argument).isWord(u"DISTINCT"))
            argument = text.next(argument);
        const qsizetype last = text.previous(text.partner(open));
        if (operandEnd(text, argument) == last && text.at(last).isName()
            && !text.nextIsSymbol(last, u"(") && context.isTextColumn(text.nameEndingAt(last))) {
            throw TranslationError{
                native::InvalidOperand,
                QString::fromLatin1(invalidOperandMessage)
                    .arg(typeNameOf(text, argument, last, context, QStringLiteral("varchar")),
                         text.at(i).text.toLower())};
        }
    }
}

void rejectUngroupedColumns(const StatementText &text)
{
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (text.at(i).isWord(u"SELECT"))
            checkSelectList(text, i);
    }
}

void translateDataLength(StatementText &text, const RewriteContext &context)
{
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (!text.at(i).isWord(u"DATALENGTH") || !text.nextIsSymbol(i, u"("))
            continue;
        const qsizetype open = text.next(i);
        const qsizetype close = text.partner(open);
        const qsizetype argument = text.next(open);
        const qsizetype argumentLast = text.previous(close);
        const Token &value = text.at(argument);
        if (argument == argumentLast && value.kind == TokenKind::String) {
            const int perCharacter = value.isNationalString() ? 2 : 1;
            text.replace(i, QString::number(value.stringValue().size() * perCharacter));
            text.erase(open, close);
            continue;
        }
        std::optional<std::pair<int, int>> length;
        if (argumentLast >= argument && operandEnd(text, argument) == argumentLast
            && text.at(argumentLast).isName() && !text.nextIsSymbol(argumentLast, u"(")
            && context.declaredType)
            length = dataLengthOf(context.declaredType(text.nameEndingAt(argumentLast)));
        if (!length)
            throwUnsupported(QStringLiteral("DATALENGTH de ") + text.original(argument, close));
        text.replace(i, QLatin1String(dataLengthFunction));
        text.append(argumentLast,
                    QStringLiteral(", %1, %2").arg(length->first).arg(length->second));
    }
}

void keepCollationThroughFunctions(StatementText &text, const QString &collation)
{
    static const QStringView functions[]
        = {u"LTRIM", u"RTRIM", u"TRIM", u"UPPER", u"LOWER", u"ISNULL", u"IFNULL"};
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (!text.at(i).isAnyWord(functions) || !text.nextIsSymbol(i, u"("))
            continue;
        const qsizetype close = text.partner(text.next(i));
        qsizetype after = text.next(close);
        if (isGroupingOrOrderItem(text, i, after)) {
            text.append(close, QStringLiteral(" COLLATE ") + collation);
            continue;
        }
        if (text.contains(after) && text.at(after).isWord(u"NOT"))
            after = text.next(after);
        if (!text.contains(after))
            continue;
        // A literal compared carries the collation already; an IN list compares by its left
        // side's alone.
        const Token &next = text.at(after);
        const bool withLiteral = text.isKind(text.next(after), TokenKind::String);
        if ((isComparisonOperator(next) && !withLiteral) || next.isWord(u"IN"))
            text.append(close, QStringLiteral(" COLLATE ") + collation);
    }
}

void balanceLongConditions(StatementText &text)
{
    static const QStringView boundaries[] = {
        u"WHERE", u"ON",    u"HAVING", u"WHEN",   u"THEN",      u"ELSE", u"SELECT", u"FROM",
        u"GROUP", u"ORDER", u"UNION",  u"EXCEPT", u"INTERSECT", u"SET",  u"JOIN",   u"VALUES",
    };
    qsizetype connectives = 0;
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (text.at(i).kind == TokenKind::Word && text.at(i).isAnyWord({u"OR", u"AND"}))
            ++connectives;
    }
    if (connectives < longChain)
        return; // nearly every statement: no chain can be long
    QVector<ConditionSegment> frames{ConditionSegment(text.begin())};
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        const Token &token = text.at(i);
        ConditionSegment &segment = frames.last();
        if (token.isSymbol(u"(") || token.isWord(u"CASE")) {
            frames.append(ConditionSegment(text.next(i)));
        } else if ((token.isSymbol(u")") || token.isWord(u"END")) && frames.size() > 1) {
            balance(text, frames.takeLast(), text.previous(i));
        } else if (token.isAnyWord(boundaries) || token.isSymbol(u",")) {
            balance(text, segment, text.previous(i));
            segment = ConditionSegment(text.next(i));
        } else if (token.isWord(u"OR")) {
            segment.ors.append(i);
        } else if (token.isWord(u"BETWEEN")) {
            segment.inBetween = true;
        } else if (token.isWord(u"AND")) {
            if (!std::exchange(segment.inBetween, false)) {
                segment.ands.resize(segment.ors.size() + 1);
                segment.ands.last().append(i);
            }
        }
    }
    balance(text, frames.last(), text.previous(text.end()));
}

} // namespace platform::db::embedded::tsql
