#pragma once

#include "platform/db/connection.h"
#include "platform/db/provider.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <functional>
#include <memory>

// Records every row a connection's recordsets write back, by the row's key, and every statement
// it sends, and passes every call on to the session that does the work.
class RecordedSaves final : public platform::db::Session
{
public:
    // Puts itself between the open connection and its session; the connection owns it.
    static RecordedSaves &install(platform::db::Connection &connection)
    {
        RecordedSaves *installed = nullptr;
        connection.wrapSession([&](std::unique_ptr<platform::db::Session> session) {
            auto recorder = std::unique_ptr<RecordedSaves>(new RecordedSaves(std::move(session)));
            installed = recorder.get();
            return recorder;
        });
        return *installed;
    }

    // Saves per row key (the key's first value, as text); the total over every row.
    const QHash<QString, int> &byKey() const { return m_byKey; }
    int total() const { return m_total; }
    void clear()
    {
        m_byKey.clear();
        m_total = 0;
        m_statements.clear();
    }

    // Each statement text as one call sent it, in order.
    const QStringList &statements() const { return m_statements; }
    // Per value looked up, the one-row reads of the table by a value, as DatosTabla sends them:
    // "SELECT TOP 1 * FROM <table> ... ='<value>'", the table spelt as the caller spells it.
    QHash<QString, int> lookupsOf(const QString &table) const
    {
        const QRegularExpression lookup(
            QStringLiteral(R"(^SELECT TOP 1 \* FROM %1 .*= *'([^']*)' *$)")
                .arg(QRegularExpression::escape(table)));
        QHash<QString, int> lookups;
        for (const QString &statement : m_statements) {
            if (const QRegularExpressionMatch match = lookup.match(statement); match.hasMatch())
                ++lookups[match.captured(1)];
        }
        return lookups;
    }
    // Called with each statement text once it has run, before the caller sees its result.
    void afterStatement(std::function<void(const QString &)> hook) { m_afterStatement = hook; }

    platform::db::ExecutionResult execute(const QString &text, bool updatable) override
    {
        m_statements.append(text);
        platform::db::ExecutionResult result = m_inner->execute(text, updatable);
        if (m_afterStatement)
            m_afterStatement(text);
        return result;
    }
    platform::db::ExecutionResult openSchema(platform::db::Schema schema,
                                             const QVariantList &restrictions) override
    {
        return m_inner->openSchema(schema, restrictions);
    }
    platform::db::WriteResult updateRow(const platform::db::UpdateTarget &target,
                                        const QVector<platform::db::Column> &columns,
                                        const QVector<QVariant> &key,
                                        const QVector<int> &changedColumns,
                                        const QVector<QVariant> &originalRow,
                                        const QVector<QVariant> &row) override
    {
        ++m_total;
        ++m_byKey[key.value(0).toString()];
        return m_inner->updateRow(target, columns, key, changedColumns, originalRow, row);
    }
    platform::db::WriteResult insertRow(const platform::db::UpdateTarget &target,
                                        const QVector<platform::db::Column> &columns,
                                        const QVector<int> &assignedColumns,
                                        const QVector<QVariant> &row) override
    {
        ++m_total;
        return m_inner->insertRow(target, columns, assignedColumns, row);
    }
    QVector<platform::db::ProviderError> setDefaultDatabase(const QString &name) override
    {
        return m_inner->setDefaultDatabase(name);
    }
    QString defaultDatabase() const override { return m_inner->defaultDatabase(); }
    void setCommandTimeout(int seconds) override { m_inner->setCommandTimeout(seconds); }
    void setIsolationLevel(int level) override { m_inner->setIsolationLevel(level); }
    QVector<platform::db::ProviderError> beginTransaction() override
    {
        return m_inner->beginTransaction();
    }
    QVector<platform::db::ProviderError> commitTransaction() override
    {
        return m_inner->commitTransaction();
    }
    QVector<platform::db::ProviderError> rollbackTransaction() override
    {
        return m_inner->rollbackTransaction();
    }

private:
    explicit RecordedSaves(std::unique_ptr<platform::db::Session> inner) : m_inner(std::move(inner))
    { }

    std::unique_ptr<platform::db::Session> m_inner;
    QHash<QString, int> m_byKey;
    int m_total = 0;
    QStringList m_statements;
    std::function<void(const QString &)> m_afterStatement;
};
