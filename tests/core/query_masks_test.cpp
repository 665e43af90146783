#include "core/query_masks.h"
#include "core_database_test.h"

#include <QFile>

namespace {

namespace msgbox = platform::msgbox;

constexpr int RecordLength = 1202;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The default masks as the lookup service expects them, written once by hand from their
// record layout.
QByteArray goldenMasks()
{
    return fileBytes(QStringLiteral(CORE_TEST_GOLDEN_DIR "/consultas.tvc"));
}

using QueryMasksTest = core_testing::ErrorLogTest;

TEST_F(QueryMasksTest, AMissingFileGetsTheElevenDefaultMasksByteForByte)
{
    const QString path = tempFolder() + QStringLiteral("/consultas.tvc");
    const QByteArray golden = goldenMasks();
    ASSERT_EQ(golden.size(), 11 * RecordLength);

    core::DefinirConsultas(path);

    const QByteArray written = fileBytes(path);
    EXPECT_EQ(written.size(), 13222);
    for (int record = 0; record < 11; ++record) {
        SCOPED_TRACE(record + 1);
        EXPECT_EQ(written.mid(record * RecordLength, RecordLength),
                  golden.mid(record * RecordLength, RecordLength));
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(QueryMasksTest, TheMasksAreAppendedAfterTheWholeRecordsOfAnExistingFile)
{
    const QString path = tempFolder() + QStringLiteral("/consultas.tvc");
    const QByteArray ownRecord = QByteArray("PROPIA").leftJustified(RecordLength - 2, ' ') + "\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ownRecord + "resto de un registro cortado");
    }

    core::DefinirConsultas(path);

    EXPECT_EQ(fileBytes(path), ownRecord + goldenMasks());
}

TEST_F(QueryMasksTest, AFileThatCannotBeWrittenIsReportedAndTheStartUpGoesOn)
{
    const QString notAFolder = tempFolder() + QStringLiteral("/programa");
    {
        QFile file(notAFolder);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString path = notAFolder + QStringLiteral("/consultas.tvc");
    dialogs.answer(msgbox::Ignore);

    core::DefinirConsultas(path);

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().title.endsWith(
        QStringLiteral(" - DefinirConsultas Aviso al operador!!! - 2 ")))
        << dialogs.last().title.toStdString();
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("consultas.tvc")))
        << dialogs.last().text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(logLines().size(), 1);
}

} // namespace
