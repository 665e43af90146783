#include "platform/report/report_formula.h"

#include "platform/text.h"

#include <QRegularExpression>

namespace platform::report {

namespace {

const QRegularExpression &identifierPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern;
}

std::optional<FieldReference> parseFieldReference(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\{\\s*([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)\\s*\\}$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return FieldReference{match.captured(1), match.captured(2)};
}

QString quotedSql(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''"))
        + QLatin1Char('\'');
}

// Turns a selection formula into SQL by recursive descent over its characters.
class SelectionTranslator
{
public:
    SelectionTranslator(const QString &text, const QString &table)
        : m_text(text), m_table(table) { }

    SelectionCondition translate()
    {
        skipBlanks();
        if (atEnd())
            return {};
        QString sql = disjunction();
        skipBlanks();
        if (m_error.isEmpty() && !atEnd())
            fail(QStringLiteral("texto inesperado en la posición %1").arg(m_position + 1));
        if (!m_error.isEmpty())
            return {QString(), m_error};
        return {sql, QString()};
    }

private:
    QString disjunction()
    {
        QString sql = conjunction();
        while (m_error.isEmpty() && acceptWord(QStringLiteral("OR")))
            sql += QStringLiteral(" OR ") + conjunction();
        return sql;
    }

    QString conjunction()
    {
        QString sql = condition();
        while (m_error.isEmpty() && acceptWord(QStringLiteral("AND")))
            sql += QStringLiteral(" AND ") + condition();
        return sql;
    }

    QString condition()
    {
        skipBlanks();
        if (accept(QLatin1Char('('))) {
            const QString inner = disjunction();
            if (!accept(QLatin1Char(')')))
                fail(QStringLiteral("falta un \")\""));
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        const QString left = operand();
        const QString op = comparison();
        const QString right = operand();
        return left + QLatin1Char(' ') + op + QLatin1Char(' ') + right;
    }

    QString comparison()
    {
        skipBlanks();
        for (const char *op : {"<>", "<=", ">=", "=", "<", ">"}) {
            const QLatin1String candidate(op);
            if (m_text.mid(m_position).startsWith(candidate)) {
                m_position += candidate.size();
                return candidate;
            }
        }
        fail(QStringLiteral("se esperaba una comparación en la posición %1").arg(m_position + 1));
        return {};
    }

    QString operand()
    {
        skipBlanks();
        if (!m_error.isEmpty() || atEnd()) {
            fail(QStringLiteral("falta un valor al final"));
            return {};
        }
        const QChar c = m_text.at(m_position);
        if (c == QLatin1Char('{'))
            return field();
        if (c == QLatin1Char('\''))
            return textLiteral();
        if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.'))
            return number();
        if (acceptWord(QStringLiteral("uppercase"))) {
            if (!accept(QLatin1Char('('))) {
                fail(QStringLiteral("falta un \"(\" después de uppercase"));
                return {};
            }
            const QString inner = operand();
            if (!accept(QLatin1Char(')')))
                fail(QStringLiteral("falta un \")\""));
            return QStringLiteral("UPPER(") + inner + QLatin1Char(')');
        }
        fail(QStringLiteral("valor no reconocido en la posición %1").arg(m_position + 1));
        return {};
    }

    QString field()
    {
        const qsizetype close = m_text.indexOf(QLatin1Char('}'), m_position);
        if (close < 0) {
            fail(QStringLiteral("falta un \"}\""));
            return {};
        }
        const auto reference = parseFieldReference(m_text.mid(m_position, close - m_position + 1));
        if (!reference) {
            fail(QStringLiteral("campo no válido: %1")
                     .arg(m_text.mid(m_position, close - m_position + 1)));
            return {};
        }
        m_position = close + 1;
        if (!equalsIgnoringCase(reference->table, m_table)) {
            fail(QStringLiteral("el campo {%1.%2} no pertenece a la tabla %3")
                     .arg(reference->table, reference->column, m_table));
            return {};
        }
        return reference->column;
    }

    // A doubled quote is a quote of the text. A single quote ends the text only where the
    // condition can end (before blanks and then the end, a ")", AND or OR), so a station name
    // such as O'BRIEN written between quotes as it stands still reads whole.
    QString textLiteral()
    {
        QString value;
        qsizetype i = m_position + 1;
        while (i < m_text.size()) {
            const QChar c = m_text.at(i);
            if (c != QLatin1Char('\'')) {
                value += c;
                ++i;
                continue;
            }
            if (i + 1 < m_text.size() && m_text.at(i + 1) == QLatin1Char('\'')) {
                value += c;
                i += 2;
                continue;
            }
            if (endsCondition(i + 1)) {
                m_position = i + 1;
                return quotedSql(value);
            }
            value += c;
            ++i;
        }
        fail(QStringLiteral("falta la comilla que cierra un texto"));
        return {};
    }

    bool endsCondition(qsizetype from) const
    {
        static const QRegularExpression boundary(
            QStringLiteral("^\\s*($|\\)|(AND|OR)(?![A-Za-z0-9_]))"),
            QRegularExpression::CaseInsensitiveOption);
        return boundary.match(m_text.mid(from)).hasMatch();
    }

    QString number()
    {
        static const QRegularExpression pattern(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)"));
        const auto match = pattern.match(m_text.mid(m_position));
        if (!match.hasMatch()) {
            fail(QStringLiteral("número no válido en la posición %1").arg(m_position + 1));
            return {};
        }
        m_position += match.capturedLength();
        return match.captured();
    }

    bool acceptWord(const QString &word)
    {
        skipBlanks();
        const qsizetype end = m_position + word.size();
        if (end > m_text.size() || !equalsIgnoringCase(m_text.mid(m_position, word.size()), word))
            return false;
        if (end < m_text.size()
            && (m_text.at(end).isLetterOrNumber() || m_text.at(end) == QLatin1Char('_')))
            return false;
        m_position = end;
        return true;
    }

    bool accept(QChar c)
    {
        skipBlanks();
        if (atEnd() || m_text.at(m_position) != c)
            return false;
        ++m_position;
        return true;
    }

    void skipBlanks()
    {
        while (!atEnd() && m_text.at(m_position).isSpace())
            ++m_position;
    }

    bool atEnd() const { return m_position >= m_text.size(); }

    void fail(const QString &why)
    {
        if (m_error.isEmpty())
            m_error = why;
    }

    const QString &m_text;
    const QString &m_table;
    qsizetype m_position = 0;
    QString m_error;
};

} // namespace

std::optional<NamedFormula> parseNamedFormula(const QString &formula)
{
    const qsizetype equals = formula.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    NamedFormula parsed;
    parsed.name = formula.left(equals).trimmed();
    if (!identifierPattern().match(parsed.name).hasMatch())
        return std::nullopt;

    const QString expression = formula.mid(equals + 1).trimmed();
    const qsizetype first = expression.indexOf(QLatin1Char('\''));
    const qsizetype last = expression.lastIndexOf(QLatin1Char('\''));
    if (first == 0 && last > first && last == expression.size() - 1) {
        parsed.text = expression.mid(first + 1, last - first - 1)
                          .replace(QLatin1String("''"), QLatin1String("'"));
        return parsed;
    }
    parsed.field = parseFieldReference(expression);
    if (!parsed.field)
        return std::nullopt;
    return parsed;
}

SelectionCondition translateSelection(const QString &selection, const QString &table)
{
    return SelectionTranslator(selection, table).translate();
}

} // namespace platform::report
