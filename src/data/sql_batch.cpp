#include "data/sql_batch.h"

#include <QRegularExpression>
#include <QSet>

namespace data {

namespace {

constexpr QRegularExpression::PatternOption IgnoreCase = QRegularExpression::CaseInsensitiveOption;

// Where each quoted text ends, given the position of its opening mark; a doubled quote inside a
// literal stays inside it, and an unclosed quote runs to the end of the text.
qsizetype quotedTextEnd(const QString &text, qsizetype open)
{
    const QChar opening = text.at(open);
    const QChar closing = opening == QLatin1Char('[') ? QLatin1Char(']') : opening;
    for (qsizetype at = open + 1;;) {
        const qsizetype close = text.indexOf(closing, at);
        if (close < 0)
            return text.size();
        if (closing == QLatin1Char('\'') && close + 1 < text.size()
            && text.at(close + 1) == QLatin1Char('\'')) {
            at = close + 2;
            continue;
        }
        return close + 1;
    }
}

bool opensQuotedText(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[');
}

struct Segment
{
    QString text;
    bool quoted = false;
};

QList<Segment> segments(const QString &text)
{
    QList<Segment> result;
    qsizetype plainStart = 0;
    for (qsizetype at = 0; at < text.size();) {
        if (!opensQuotedText(text.at(at))) {
            ++at;
            continue;
        }
        if (at > plainStart)
            result.append({text.mid(plainStart, at - plainStart), false});
        const qsizetype end = quotedTextEnd(text, at);
        result.append({text.mid(at, end - at), true});
        at = plainStart = end;
    }
    if (plainStart < text.size())
        result.append({text.mid(plainStart), false});
    return result;
}

// The text with every quoted text replaced by as many "#": positions stay where they were, and
// no keyword can be found inside a quoted text.
QString maskQuotedTexts(const QString &text)
{
    QString masked;
    masked.reserve(text.size());
    for (const Segment &segment : segments(text))
        masked += segment.quoted ? QString(segment.text.size(), QLatin1Char('#')) : segment.text;
    return masked;
}

struct Rewrite
{
    QRegularExpression pattern;
    QString replacement;
};

QString rewriteOutsideQuotedTexts(const QString &text, const QList<Rewrite> &rewrites)
{
    QString result;
    for (Segment segment : segments(text)) {
        if (!segment.quoted) {
            for (const Rewrite &rewrite : rewrites)
                segment.text.replace(rewrite.pattern, rewrite.replacement);
        }
        result += segment.text;
    }
    return result;
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@')
        || c == QLatin1Char('#') || c == QLatin1Char('$') || c == QLatin1Char('.');
}

// Up to count words before position, nearest first; a comma counts as the word ",".
QStringList wordsBefore(const QString &masked, qsizetype position, int count)
{
    QStringList words;
    qsizetype at = position;
    while (words.size() < count) {
        while (at > 0 && masked.at(at - 1).isSpace())
            --at;
        if (at == 0)
            break;
        if (!isWordCharacter(masked.at(at - 1))) {
            if (masked.at(at - 1) != QLatin1Char(','))
                break;
            words.append(QStringLiteral(","));
            --at;
            continue;
        }
        const qsizetype end = at;
        while (at > 0 && isWordCharacter(masked.at(at - 1)))
            --at;
        words.append(masked.mid(at, end - at).toUpper());
    }
    return words;
}

// A keyword found outside quoted texts begins a statement unless it stands inside parentheses
// or is part of a clause of the statement before it: ON DELETE, FOR UPDATE, GRANT INSERT,
// UPDATE, ALTER TABLE T DROP ...
bool beginsStatement(const QString &masked, qsizetype position, int parenthesisDepth,
                     const QString &keyword)
{
    static const QSet<QString> clauseWords = {
        QStringLiteral(","),      QStringLiteral("ON"),   QStringLiteral("FOR"),
        QStringLiteral("AFTER"),  QStringLiteral("OF"),   QStringLiteral("GRANT"),
        QStringLiteral("REVOKE"), QStringLiteral("DENY"),
    };
    if (parenthesisDepth > 0)
        return false;
    const QStringList before = wordsBefore(masked, position, 3);
    if (!before.isEmpty() && clauseWords.contains(before.first()))
        return false;
    const bool alterTableAction = before.size() == 3 && before.at(1) == QStringLiteral("TABLE")
        && before.at(2) == QStringLiteral("ALTER");
    return !(alterTableAction
             && (keyword == QStringLiteral("DROP") || keyword == QStringLiteral("ALTER")));
}

QList<qsizetype> statementStarts(const QString &masked)
{
    static const QRegularExpression keyword(
        QStringLiteral("\\b(INSERT|DELETE|UPDATE|CREATE|DROP|ALTER|GRANT|SET\\s+TRANSACTION"
                       "|COMMIT|ROLLBACK)\\b|\\bIF\\s+(NOT\\s+)?EXIST"),
        IgnoreCase);
    QList<qsizetype> starts;
    int depth = 0;
    qsizetype scanned = 0;
    for (auto it = keyword.globalMatch(masked); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        for (; scanned < match.capturedStart(); ++scanned) {
            if (masked.at(scanned) == QLatin1Char('('))
                ++depth;
            else if (masked.at(scanned) == QLatin1Char(')') && depth > 0)
                --depth;
        }
        if (beginsStatement(masked, match.capturedStart(), depth, match.captured(1).toUpper()))
            starts.append(match.capturedStart());
    }
    return starts;
}

} // namespace

bool holdsTransactionControl(const QString &sql)
{
    static const QRegularExpression transactionControl(
        QStringLiteral("\\b(BEGIN\\s+TRAN(SACTION)?|COMMIT|ROLLBACK|SAVE\\s+TRAN(SACTION)?)\\b"),
        IgnoreCase);
    return maskQuotedTexts(sql).contains(transactionControl);
}

QStringList oracleBatchStatements(const QString &script)
{
    static const QList<Rewrite> normalisation = {
        {QRegularExpression(QStringLiteral("\\bSET\\s+NOCOUNT\\s+(ON|OFF)\\b"), IgnoreCase),
         QStringLiteral(" ")},
        {QRegularExpression(QStringLiteral("\\bGO\\b"), IgnoreCase), QStringLiteral(" ")},
        {QRegularExpression(QStringLiteral("\r\n|\r|\n")), QStringLiteral(" ")},
        {QRegularExpression(QStringLiteral("\\bBEGIN\\s+TRANS(ACTION)?\\b"), IgnoreCase),
         QStringLiteral("SET TRANSACTION")},
        {QRegularExpression(QStringLiteral("\\bCOMMIT\\s+TRANS(ACTION)?\\b"), IgnoreCase),
         QStringLiteral("COMMIT")},
        {QRegularExpression(QStringLiteral("\\bROLLBACK\\s+TRANS(ACTION)?\\b"), IgnoreCase),
         QStringLiteral("ROLLBACK")},
    };
    const QString text = rewriteOutsideQuotedTexts(script, normalisation);
    QList<qsizetype> cuts = statementStarts(maskQuotedTexts(text));
    cuts.append(text.size());

    QStringList statements;
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        const QString statement = text.mid(from, cut - from).trimmed();
        if (!statement.isEmpty())
            statements.append(statement);
        from = cut;
    }
    return statements;
}

} // namespace data
