#include "platform/db/embedded/tsql_translator.h"

#include "platform/db/embedded/stored_money.h"
#include "platform/db/embedded/tsql_batch_splitter.h"
#include "platform/db/embedded/tsql_errors.h"
#include "platform/db/embedded/tsql_lexer.h"
#include "platform/db/embedded/tsql_sql_rewriter.h"
#include "platform/db/embedded/tsql_statement_text.h"
#include "platform/db/embedded/tsql_table_definition.h"

namespace platform::db::embedded {

namespace {

using namespace tsql;
using Kind = EngineStatement::Kind;

EngineStatement statementOf(Kind kind, const StatementText &text)
{
    EngineStatement statement;
    statement.kind = kind;
    statement.original = text.original();
    return statement;
}

EngineStatement failure(const StatementText &text, std::int32_t number, const QString &message)
{
    EngineStatement statement = statementOf(Kind::Fail, text);
    statement.nativeError = number;
    statement.message = message;
    return statement;
}

// SQLite would round a number of more digits than a double holds, which the server keeps to
// its last digit: the batch is refused before any of it runs.
void refuseInexactNumbers(const StatementText &text)
{
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        const Token &token = text.at(i);
        if (token.kind == TokenKind::Number && !literalKeptExactly(token.text.toStdString()))
            throw TranslationError{native::Unsupported, inexactNumberDescription(token.text)};
    }
}

// The value of a procedure argument or option: a text, a name or a number.
QString argumentValue(const Token &token)
{
    if (token.kind == TokenKind::String)
        return token.stringValue();
    if (token.isWord(u"NULL"))
        return {};
    return token.nameValue();
}

class BatchTranslator
{
public:
    BatchTranslator(const QString &tsql, const TranslationContext &context)
        : m_tokens(tokenize(tsql)), m_context(context)
    {
        m_rules.dateOrder = context.dateOrder;
        m_rules.textCollation = context.textCollation;
        m_rules.isTextColumn = context.isTextColumn;
        m_rules.isMoneyColumn = context.isMoneyColumn;
        m_rules.leadsIndex = context.leadsIndex;
        m_rules.declaredType = context.declaredType;
        m_rules.isIdentityColumn = context.isIdentityColumn;
        m_rules.isDateColumn = [this](const QString &column) {
            return m_batchDateColumns.contains(column.toLower())
                || (m_context.isDateColumn && m_context.isDateColumn(column));
        };
    }

    QVector<EngineStatement> run()
    {
        QVector<EngineStatement> statements;
        for (const StatementSpan &span : splitStatements(m_tokens))
            statements.append(translate(span));
        return statements;
    }

private:
    EngineStatement translate(StatementSpan span)
    {
        StatementText text(m_tokens, span);
        refuseInexactNumbers(text);
        const Token &first = text.at(text.begin());
        const qsizetype second = text.next(text.begin());
        const Token *object = second < text.end() ? &text.at(second) : nullptr;
        if (first.isWord(u"BEGIN") && object && object->isAnyWord({u"TRAN", u"TRANSACTION"}))
            return statementOf(Kind::BeginTransaction, text);
        if (first.isWord(u"COMMIT"))
            return statementOf(Kind::CommitTransaction, text);
        if (first.isWord(u"ROLLBACK"))
            return statementOf(Kind::RollbackTransaction, text);
        if (first.isAnyWord({u"GRANT", u"REVOKE", u"DENY"}))
            return statementOf(Kind::NoOp, text);
        if (first.isWord(u"SET"))
            return setOption(text);
        if (first.isWord(u"USE"))
            return useDatabase(text);
        if (first.isWord(u"EXEC") || first.isWord(u"EXECUTE"))
            return execute(text);
        if (first.isWord(u"IF"))
            return conditional(text);
        if (first.isWord(u"CREATE"))
            return create(text);
        if (first.isWord(u"ALTER"))
            return alter(text);
        if (first.isWord(u"TRUNCATE") && object && object->isWord(u"TABLE")) {
            text.replace(text.begin(), QStringLiteral("DELETE"));
            text.replace(second, QStringLiteral("FROM"));
            return sql(text);
        }
        if (first.isWord(u"DROP") && object && object->isWord(u"DATABASE"))
            throwUnsupported(QStringLiteral("DROP DATABASE"));
        if (first.isWord(u"BEGIN"))
            throwUnsupported(QStringLiteral("BEGIN … END"));
        if (first.isAnyWord(
                {u"SAVE", u"DECLARE", u"WHILE", u"PRINT", u"BACKUP", u"RESTORE", u"DBCC"})) {
            throwUnsupported(first.text.toUpper());
        }
        return sql(text);
    }

    enum class Definition { None, Table, Index, AddedColumn };

    // `keyword`: TABLE of CREATE TABLE, ADD of ALTER TABLE ... ADD.
    EngineStatement sql(StatementText &text, Definition kind = Definition::None,
                        qsizetype keyword = -1)
    {
        SqlRewriter rewriter(text, m_rules);
        rewriter.run();
        if (kind != Definition::None) {
            TableDefinition definition(text, rewriter, m_rules);
            definition.dropStorageClauses();
            if (kind == Definition::Table)
                definition.createTable(keyword);
            else if (kind == Definition::AddedColumn)
                definition.addColumn(keyword);
            for (const QString &column : definition.dateColumns())
                m_batchDateColumns.insert(column.toLower());
        }
        if (const std::optional<StatementFailure> &failed = rewriter.failure())
            return failure(text, failed->nativeError, failed->message);
        if (rewriter.invalidDate()) {
            return failure(text, native::DateOutOfRange,
                           QStringLiteral("The conversion of a varchar data type to a datetime "
                                          "data type resulted in an out-of-range value."));
        }
        EngineStatement statement = statementOf(Kind::Sql, text);
        statement.sql = text.render();
        statement.moneyColumns = rewriter.moneyResultColumns();
        return statement;
    }

    EngineStatement setOption(const StatementText &text)
    {
        const qsizetype option = text.next(text.begin());
        const qsizetype value = text.next(option);
        if (option >= text.end())
            throwSyntaxError(text.at(text.begin()).text);
        const Token &name = text.at(option);
        if (name.kind == TokenKind::Variable)
            throwUnsupported(u"variable " + name.text);
        if (name.isAnyWord({u"NOCOUNT", u"ANSI_NULLS", u"QUOTED_IDENTIFIER", u"ANSI_PADDING"})
            && value < text.end() && text.at(value).isAnyWord({u"ON", u"OFF"})) {
            return statementOf(Kind::NoOp, text);
        }
        if (name.isWord(u"TRANSACTION") && text.nextIsWord(option, u"ISOLATION"))
            return statementOf(Kind::NoOp, text);
        if (name.isWord(u"DATEFORMAT") && value < text.end())
            return setDateFormat(text, argumentValue(text.at(value)));
        throwUnsupported(QStringLiteral("SET ") + name.text.toUpper());
    }

    // Statements after SET DATEFORMAT in the same batch read dates in the new order.
    EngineStatement setDateFormat(const StatementText &text, const QString &format)
    {
        static const QHash<QString, DateOrder> orders{
            {QStringLiteral("dmy"), DateOrder::DayMonthYear},
            {QStringLiteral("mdy"), DateOrder::MonthDayYear},
            {QStringLiteral("ymd"), DateOrder::YearMonthDay}};
        const auto order = orders.constFind(format.toLower());
        if (order == orders.cend())
            throwUnsupported(QStringLiteral("SET DATEFORMAT ") + format);
        m_rules.dateOrder = *order;
        EngineStatement statement = statementOf(Kind::SetDateFormat, text);
        statement.dateOrder = *order;
        return statement;
    }

    EngineStatement useDatabase(const StatementText &text)
    {
        const qsizetype name = text.next(text.begin());
        if (name >= text.end() || !text.at(name).isName())
            throwSyntaxError(text.at(text.begin()).text);
        EngineStatement statement = statementOf(Kind::UseDatabase, text);
        statement.arguments = {text.at(name).nameValue()};
        return statement;
    }

    EngineStatement execute(const StatementText &text)
    {
        const qsizetype name = text.next(text.begin());
        if (name >= text.end())
            throwSyntaxError(text.at(text.begin()).text);
        if (!text.at(name).isName())
            throwUnsupported(QStringLiteral("EXEC ") + text.at(name).text);
        qsizetype last = name;
        while (text.nextIsSymbol(last, u".")) {
            const qsizetype part = text.next(text.next(last));
            if (part >= text.end() || !text.at(part).isName())
                throwSyntaxError(text.at(last).text);
            last = part;
        }
        // `master..sp_x` and `dbo.sp_x` name the same procedures as `sp_x`.
        const QString procedure = text.at(last).nameValue().toLower();
        if (procedure == u"sp_addlogin")
            return addLogin(text, arguments(text, text.next(last)));
        if (procedure == u"sp_addsrvrolemember" || procedure == u"sp_grantdbaccess"
            || procedure == u"sp_addrolemember" || procedure == u"sp_defaultlanguage") {
            return statementOf(Kind::NoOp, text);
        }
        if (procedure == u"sp_configure")
            throwUnsupported(QStringLiteral("sp_configure"));
        return failure(text, native::UnknownProcedure,
                       QStringLiteral("Could not find stored procedure '%1'.")
                           .arg(text.original(name, last + 1)));
    }

    // Positional and named (@name = value) arguments of a procedure call.
    QVector<std::pair<QString, QString>> arguments(const StatementText &text, qsizetype from) const
    {
        QVector<std::pair<QString, QString>> values;
        for (qsizetype i = from; i < text.end(); i = text.next(i)) {
            QString parameter;
            if (text.at(i).kind == TokenKind::Variable && text.nextIsSymbol(i, u"=")) {
                parameter = text.at(i).text.toLower();
                i = text.next(text.next(i));
                if (i >= text.end())
                    throwSyntaxError(QStringLiteral("="));
            }
            if (text.at(i).kind == TokenKind::Variable)
                throwUnsupported(u"variable " + text.at(i).text);
            values.append({parameter, argumentValue(text.at(i))});
            i = text.next(i);
            if (i < text.end() && !text.at(i).isSymbol(u","))
                throwSyntaxError(text.at(i).text);
        }
        return values;
    }

    // sp_addlogin login, password, default database: arguments login, password, database.
    EngineStatement addLogin(const StatementText &text,
                             const QVector<std::pair<QString, QString>> &values)
    {
        static const QStringList parameters{QStringLiteral("@loginame"), QStringLiteral("@passwd"),
                                            QStringLiteral("@defdb"),
                                            QStringLiteral("@deflanguage")};
        QStringList login{QString(), QString(), QStringLiteral("master")};
        for (qsizetype i = 0; i < values.size(); ++i) {
            const qsizetype position
                = values[i].first.isEmpty() ? i : parameters.indexOf(values[i].first);
            if (position < 0)
                throwSyntaxError(values[i].first);
            if (position < login.size())
                login[position] = values[i].second;
        }
        if (login[0].isEmpty())
            throwSyntaxError(text.at(text.begin()).text);
        EngineStatement statement = statementOf(Kind::AddLogin, text);
        statement.arguments = login;
        return statement;
    }

    // IF [NOT] EXISTS (query) statement
    EngineStatement conditional(const StatementText &text)
    {
        qsizetype exists = text.next(text.begin());
        const bool negated = exists < text.end() && text.at(exists).isWord(u"NOT");
        if (negated)
            exists = text.next(exists);
        if (exists >= text.end() || !text.at(exists).isWord(u"EXISTS")
            || !text.nextIsSymbol(exists, u"(")) {
            throwUnsupported(QStringLiteral("IF sin EXISTS"));
        }
        const qsizetype open = text.next(exists);
        const qsizetype body = text.next(text.partner(open));
        if (body >= text.end() || text.next(open) == text.partner(open))
            throwSyntaxError(text.at(text.partner(open)).text);

        StatementText conditionText(m_tokens, {text.next(open), text.partner(open)});
        const EngineStatement condition = sql(conditionText);
        const EngineStatement action = translate({body, text.end()});
        if (condition.kind == Kind::Fail)
            return failure(text, condition.nativeError, condition.message);
        if (action.kind == Kind::Fail || action.kind == Kind::NoOp) {
            EngineStatement statement = action;
            statement.original = text.original();
            return statement;
        }
        if (action.kind != Kind::Sql)
            throwUnsupported(QStringLiteral("IF … ") + text.at(body).text.toUpper());
        EngineStatement statement = statementOf(Kind::ConditionalSql, text);
        statement.condition = condition.sql;
        statement.negated = negated;
        statement.sql = action.sql;
        statement.moneyColumns = action.moneyColumns;
        return statement;
    }

    EngineStatement create(StatementText &text)
    {
        const qsizetype object = text.next(text.begin());
        if (object >= text.end())
            throwSyntaxError(text.at(text.begin()).text);
        const Token &kind = text.at(object);
        if (kind.isWord(u"DATABASE"))
            return createDatabase(text, object);
        if (kind.isWord(u"TABLE"))
            return sql(text, Definition::Table, object);
        if (kind.isWord(u"LOGIN"))
            return createLogin(text, object);
        if (kind.isWord(u"USER"))
            return statementOf(Kind::NoOp, text);
        if (kind.isWord(u"VIEW"))
            return sql(text);
        if (kind.isAnyWord({u"INDEX", u"UNIQUE", u"CLUSTERED", u"NONCLUSTERED"}))
            return sql(text, Definition::Index);
        throwUnsupported(QStringLiteral("CREATE ") + kind.text.toUpper());
    }

    EngineStatement createDatabase(const StatementText &text, qsizetype keyword)
    {
        const qsizetype name = text.next(keyword);
        if (name >= text.end() || !text.at(name).isName())
            throwSyntaxError(text.at(keyword).text);
        QString collation;
        const qsizetype rest = text.next(name);
        if (rest < text.end()) {
            const qsizetype collationName = text.next(rest);
            if (!text.at(rest).isWord(u"COLLATE") || collationName >= text.end()
                || text.next(collationName) < text.end()) {
                throwUnsupported(QStringLiteral("CREATE DATABASE con opciones"));
            }
            collation = text.at(collationName).nameValue();
        }
        EngineStatement statement = statementOf(Kind::CreateDatabase, text);
        statement.arguments = {text.at(name).nameValue(), collation};
        return statement;
    }

    // CREATE LOGIN name WITH PASSWORD = 'p' [, DEFAULT_DATABASE = db, ...], as sp_addlogin.
    EngineStatement createLogin(const StatementText &text, qsizetype keyword)
    {
        const qsizetype name = text.next(keyword);
        if (name >= text.end() || !text.at(name).isName())
            throwSyntaxError(text.at(keyword).text);
        QVector<std::pair<QString, QString>> values{{QString(), text.at(name).nameValue()}};
        for (qsizetype i = text.next(name); i < text.end(); i = text.next(i)) {
            const qsizetype value = text.next(text.next(i));
            if (!text.nextIsSymbol(i, u"=") || value >= text.end())
                continue;
            if (text.at(i).isWord(u"PASSWORD"))
                values.append({QStringLiteral("@passwd"), argumentValue(text.at(value))});
            else if (text.at(i).isWord(u"DEFAULT_DATABASE"))
                values.append({QStringLiteral("@defdb"), argumentValue(text.at(value))});
        }
        return addLogin(text, values);
    }

    EngineStatement alter(StatementText &text)
    {
        const qsizetype object = text.next(text.begin());
        if (object >= text.end())
            throwSyntaxError(text.at(text.begin()).text);
        if (text.at(object).isAnyWord({u"LOGIN", u"USER"}))
            return statementOf(Kind::NoOp, text);
        if (!text.at(object).isWord(u"TABLE"))
            throwUnsupported(QStringLiteral("ALTER ") + text.at(object).text.toUpper());

        qsizetype action = text.next(object);
        while (action < text.end()
               && (text.at(action).isName() || text.at(action).kind == TokenKind::TempName
                   || text.at(action).isSymbol(u"."))
               && !text.at(action).isAnyWord({u"ADD", u"DROP", u"ALTER"})) {
            action = text.next(action);
        }
        if (action < text.end() && text.at(action).isWord(u"ADD"))
            return sql(text, Definition::AddedColumn, action);
        if (action < text.end() && text.at(action).isWord(u"DROP")
            && text.nextIsWord(action, u"COLUMN")) {
            return sql(text);
        }
        throwUnsupported(QStringLiteral("ALTER TABLE … ") + text.render(action, text.end()));
    }

    const QVector<Token> m_tokens;
    const TranslationContext &m_context;
    RewriteContext m_rules;
    QSet<QString> m_batchDateColumns;
};

} // namespace

TranslatedBatch translateBatch(const QString &tsql, const TranslationContext &context)
{
    try {
        return {BatchTranslator(tsql, context).run(), std::nullopt};
    } catch (const TranslationError &error) {
        return {{}, error};
    }
}

} // namespace platform::db::embedded
