#include "platform/db/connection.h"

#include "platform/db/object_errors.h"
#include "platform/db/recordset.h"
#include "platform/error.h"

#include <limits>

namespace platform::db {

const ProviderError &Errors::item(int index) const
{
    if (index < 0 || index >= m_items.size())
        raiseObjectError(ado::ItemNotFound, QStringLiteral("ADODB.Errors"));
    return m_items[index];
}

Connection::Connection() = default;
Connection::~Connection() = default;

std::shared_ptr<Connection> Connection::create()
{
    return std::shared_ptr<Connection>(new Connection());
}

void Connection::open(const QString &connectionString, const QString &user, const QString &password,
                      int)
{
    if (m_session)
        raiseObjectError(ado::ObjectOpen, connectionSource);
    m_errors.clear();
    OpenResult opened = openSession(connectionString, user, password);
    if (!opened.session)
        raise(std::move(opened.errors), connectionSource);
    m_session = std::move(opened.session);
    m_connectionString = connectionString;
    m_session->setCommandTimeout(m_commandTimeout);
    m_session->setIsolationLevel(m_isolationLevel);
}

void Connection::close()
{
    if (!m_session)
        raiseObjectError(ado::ObjectClosed, connectionSource);
    m_session.reset();
}

ObjectState Connection::state() const
{
    return m_session ? adStateOpen : adStateClosed;
}

void Connection::setConnectionString(const QString &text)
{
    if (m_session)
        raiseObjectError(ado::ObjectOpen, connectionSource);
    m_connectionString = text;
}

QString Connection::defaultDatabase() const
{
    return m_session ? m_session->defaultDatabase() : QString();
}

void Connection::setDefaultDatabase(const QString &name)
{
    if (!m_session)
        raiseObjectError(ado::ObjectClosed, connectionSource);
    m_errors.clear();
    QVector<ProviderError> errors = m_session->setDefaultDatabase(name);
    if (!errors.isEmpty())
        raise(std::move(errors), connectionSource);
}

void Connection::setCommandTimeout(int seconds)
{
    m_commandTimeout = seconds;
    if (m_session)
        m_session->setCommandTimeout(seconds);
}

void Connection::setIsolationLevel(int level)
{
    m_isolationLevel = level;
    if (m_session)
        m_session->setIsolationLevel(level);
}

Recordset Connection::execute(const QString &commandText, std::int32_t *recordsAffected, int)
{
    Session &link = session();
    m_errors.clear();
    ExecutionResult result = link.execute(commandText, false);
    if (result.failed())
        raise(std::move(result.errors), connectionSource);
    if (recordsAffected) {
        *recordsAffected = std::int32_t(std::min<std::int64_t>(
            result.recordsAffected, std::numeric_limits<std::int32_t>::max()));
    }
    Recordset recordset;
    if (result.rowSet)
        recordset.adopt(std::move(*result.rowSet), shared_from_this(), adOpenStatic, adLockReadOnly,
                        commandText);
    return recordset;
}

void Connection::beginTrans()
{
    Session &link = session();
    m_errors.clear();
    if (QVector<ProviderError> errors = link.beginTransaction(); !errors.isEmpty())
        raise(std::move(errors), connectionSource);
}

void Connection::commitTrans()
{
    Session &link = session();
    m_errors.clear();
    if (QVector<ProviderError> errors = link.commitTransaction(); !errors.isEmpty())
        raise(std::move(errors), connectionSource);
}

void Connection::rollbackTrans()
{
    Session &link = session();
    m_errors.clear();
    if (QVector<ProviderError> errors = link.rollbackTransaction(); !errors.isEmpty())
        raise(std::move(errors), connectionSource);
}

Recordset Connection::openSchema(Schema schema, const QVariantList &restrictions)
{
    Session &link = session();
    m_errors.clear();
    ExecutionResult result = link.openSchema(schema, restrictions);
    if (result.failed())
        raise(std::move(result.errors), connectionSource);
    Recordset recordset;
    recordset.adopt(std::move(result.rowSet).value_or(RowSet{}), shared_from_this(), adOpenStatic,
                    adLockReadOnly, QString());
    return recordset;
}

Session &Connection::session()
{
    if (!m_session)
        raiseObjectError(ado::ConnectionUnusable, connectionSource);
    return *m_session;
}

void Connection::wrapSession(
    const std::function<std::unique_ptr<Session>(std::unique_ptr<Session>)> &wrap)
{
    if (!m_session)
        raiseObjectError(ado::ConnectionUnusable, connectionSource);
    m_session = wrap(std::move(m_session));
}

void Connection::raise(QVector<ProviderError> errors, const QString &source)
{
    m_errors.assign(std::move(errors));
    const ProviderError &first = m_errors.item(0);
    throw Error(first.number, first.description, first.source.isEmpty() ? source : first.source);
}

} // namespace platform::db
