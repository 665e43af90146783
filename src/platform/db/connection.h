#pragma once

#include "platform/db/ado.h"
#include "platform/db/provider.h"

#include <QString>
#include <QVariantList>
#include <QVector>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform::db {

class Recordset;

// The provider errors of the last operation of a connection.
class Errors
{
public:
    int count() const { return int(m_items.size()); }
    const ProviderError &item(int index) const; // raises 3265 out of range
    void clear() { m_items.clear(); }

    void assign(QVector<ProviderError> items) { m_items = std::move(items); }
    const QVector<ProviderError> &items() const { return m_items; }

private:
    QVector<ProviderError> m_items;
};

// A connection in the manner of ADO: opened from a connection string, it runs statements,
// opens recordsets and keeps the errors of its last operation. Every failure fills errors()
// and raises platform::Error with the number of the first error.
class Connection : public std::enable_shared_from_this<Connection>
{
public:
    static std::shared_ptr<Connection> create();
    ~Connection();

    // Non-empty user and password override those of the string. 3705 when already open.
    void open(const QString &connectionString, const QString &user = {},
              const QString &password = {}, int options = adOptionUnspecified);
    // 3704 when already closed.
    void close();
    ObjectState state() const;

    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString &text);

    int cursorLocation() const { return m_cursorLocation; }
    void setCursorLocation(int location) { m_cursorLocation = location; }

    QString defaultDatabase() const;
    void setDefaultDatabase(const QString &name);

    int commandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds);

    void setIsolationLevel(int level);

    // Runs a statement or batch. recordsAffected receives the DML count (-1 for a query).
    // A text without rows gives a closed recordset.
    Recordset execute(const QString &commandText, std::int32_t *recordsAffected = nullptr,
                      int options = adOptionUnspecified);

    void beginTrans();
    void commitTrans();
    void rollbackTrans();

    Recordset openSchema(Schema schema, const QVariantList &restrictions = {});

    Errors &errors() { return m_errors; }
    const Errors &errors() const { return m_errors; }

    // The provider session behind an open connection (3709 when closed); for Recordset.
    Session &session();

    // Puts a layer between the open connection and its session, such as one that counts what
    // the session sends (3709 when closed).
    void wrapSession(const std::function<std::unique_ptr<Session>(std::unique_ptr<Session>)> &wrap);

private:
    Connection();
    [[noreturn]] void raise(QVector<ProviderError> errors, const QString &source);

    std::unique_ptr<Session> m_session;
    QString m_connectionString;
    int m_cursorLocation = adUseServer;
    int m_commandTimeout = 30;
    int m_isolationLevel = 4096; // adXactReadCommitted
    Errors m_errors;

    friend class Recordset;
};

} // namespace platform::db
