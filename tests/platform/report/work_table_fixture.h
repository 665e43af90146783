#pragma once

#include "platform/db/connection.h"
#include "scripted_dialogs.h"

#include <QDate>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A fresh suite database on the embedded engine, with the work table empty, Spanish (Argentina)
// regional settings and every box scripted.
class WorkTableTest : public ::testing::Test
{
protected:
    static const QString Station; // the station-user key of the rows the tests print

    void SetUp() override;
    void TearDown() override;

    // One work row: the group, the bucket's first day and the amount (text in the SQL's own
    // "." notation), with a business unit and cost centre when given.
    void addRow(const QString &user, const QString &group, const QDate &from, const QString &amount,
                const QString &unit = {}, const QString &costCentre = {});

    testing_support::ScriptedDialogs dialogs;
    std::shared_ptr<platform::db::Connection> connection;

private:
    QTemporaryDir m_dataFolder;
    QByteArray m_previousDataFolder;
};
