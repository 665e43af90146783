#include "../platform/platform_test_helpers.h"
#include "data/connection_list.h"
#include "data_fixture.h"
#include "platform/legacy_files.h"
#include "platform/suite/utilidades.h"
#include "qt_printers.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace {

using data::ConnectionList;
using data::RegisteredConnection;
using data_testing::DataTest;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ConnectionListFile : public DataTest
{
protected:
    QString listPath() const { return m_folder.filePath(QStringLiteral("BASES.TXT")); }
    void writeList(const QByteArray &bytes) { writeFileBytes(listPath(), bytes); }
};

TEST_F(ConnectionListFile, RegistrationsWriteTheGoldenFile)
{
    data::RegistrarBaseEnArchivo(QStringLiteral("PRUEBA / (EMBEBIDO)"), QStringLiteral("PRUEBA"),
                                 QStringLiteral("PRUEBA"), QStringLiteral("PRUEBA"),
                                 QStringLiteral("(embebido)"));
    data::RegistrarBaseEnArchivo(
        data::connectionKey(QStringLiteral(" Año2024 "), QStringLiteral("srv\\inst:1500")),
        QStringLiteral("Año2024"), QStringLiteral("Año2024"), QStringLiteral("Año2024"),
        QStringLiteral("srv\\inst:1500"));
    data::RegistrarBaseEnArchivo(
        data::connectionKey(QStringLiteral("Ventas"), QStringLiteral("srv,1501")),
        QStringLiteral(" Ventas "), QStringLiteral("Ventas"), QStringLiteral("Ventas"),
        QStringLiteral("srv,1501 "));

    EXPECT_EQ(ConnectionList::defaultPath(), listPath());
    EXPECT_EQ(fileBytes(listPath()), fileBytes(QStringLiteral(GOLDEN_DIR "/BASES.TXT")));
}

TEST_F(ConnectionListFile, TheGoldenFileReadsBackWhole)
{
    const QList<RegisteredConnection> read
        = ConnectionList(QStringLiteral(GOLDEN_DIR "/BASES.TXT")).read();
    ASSERT_EQ(read.size(), 3);
    const platform::Utilidades &util = platform::gUtil();
    const QString expected[][3] = {
        {QStringLiteral("PRUEBA / (EMBEBIDO)"), QStringLiteral("PRUEBA"),
         QStringLiteral("(embebido)")},
        {QStringLiteral("AÑO2024 / SRV\\INST"), QStringLiteral("Año2024"),
         QStringLiteral("srv\\inst:1500")},
        {QStringLiteral("VENTAS / SRV,1501"), QStringLiteral("Ventas"), QStringLiteral("srv,1501")},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(read[i].key, expected[i][0]);
        EXPECT_EQ(read[i].database, expected[i][1]);
        EXPECT_EQ(read[i].user, expected[i][1]);
        EXPECT_EQ(util.Decodificar(read[i].password), expected[i][1]) << "stored encoded";
        EXPECT_EQ(read[i].server, expected[i][2]);
    }
}

TEST_F(ConnectionListFile, LinesAreReadAsFiveFields)
{
    struct Case
    {
        const char *line;
        std::optional<RegisteredConnection> expected;
    };
    const auto connection = [](const char *key, const char *server) {
        return RegisteredConnection{QString::fromUtf8(key), QStringLiteral("DB"),
                                    QStringLiteral("U"), QStringLiteral("P"),
                                    QString::fromUtf8(server)};
    };
    const Case cases[] = {
        {"K,DB,U,P,srv", connection("K", "srv")},
        {"  K,  DB,\tU, P,srv  ", connection("K", "srv  ")},
        {"\"K, 2\",DB,U,P,\"srv,1433\"", connection("K, 2", "srv,1433")},
        {"\"K\" x,DB,U,P,srv", connection("K", "srv")},
        {"K,DB,U,P,\"srv", connection("K", "srv")},
        {"K,DB,U,P,", connection("K", "")},
        {"K,DB,U,P", std::nullopt},
        {"K,DB,U,P,srv,1433", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(data::parseConnectionLine(QString::fromUtf8(c.line)), c.expected) << c.line;
}

TEST_F(ConnectionListFile, MalformedLinesAreSkippedAndTheRestRead)
{
    writeList("A / S,A,A,X,s\r\n"
              "too,few,fields\r\n"
              "\r\n"
              " ,B,B,X,s\r\n"
              "C / S,C,C,X,s:1500\r\n");
    const QList<RegisteredConnection> read = ConnectionList().read();
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[0].key, QStringLiteral("A / S"));
    EXPECT_EQ(read[1].key, QStringLiteral(""));
    EXPECT_EQ(read[2].key, QStringLiteral("C / S"));
}

TEST_F(ConnectionListFile, AnAppendAfterALastLineWithoutItsEndKeepsBothLines)
{
    writeList("A / S,A,A,X,s");
    ConnectionList().append({QStringLiteral("B / S"), QStringLiteral("B"), QStringLiteral("B"),
                             QStringLiteral("X"), QStringLiteral("s")});
    EXPECT_EQ(fileBytes(listPath()), QByteArray("A / S,A,A,X,s\r\nB / S,B,B,X,s\r\n"));
}

TEST_F(ConnectionListFile, MissingAndEmptyFilesListNothing)
{
    EXPECT_TRUE(ConnectionList().read().isEmpty());
    EXPECT_FALSE(ConnectionList().find(QStringLiteral("A / S")));
    EXPECT_FALSE(QFile::exists(listPath())) << "reading creates nothing";

    writeList("");
    EXPECT_TRUE(ConnectionList().read().isEmpty());
    EXPECT_FALSE(ConnectionList().find(QStringLiteral("A / S")));
}

// Lists written by the suite's programs are in the code page; one edited on Linux is UTF-8, and
// a line added to it stays UTF-8 so that the letters already in it still read.
TEST_F(ConnectionListFile, ListsAreReadAsUtf8WhenTheyAreAndAsTheCodePageOtherwise)
{
    const struct
    {
        const char *why;
        QByteArray bytes;
        QByteArray afterAppend;
    } cases[] = {
        {"code page", "A\xD1O / S,A\xF1o,A,X,s\r\n",
         "A\xD1O / S,A\xF1o,A,X,s\r\nB / S,B,B,X,s\r\n"},
        {"UTF-8", "A\xC3\x91O / S,A\xC3\xB1o,A,X,s\n",
         "A\xC3\x91O / S,A\xC3\xB1o,A,X,s\nB / S,B,B,X,s\r\n"},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF"
         "A\xC3\x91O / S,A\xC3\xB1o,A,X,s\r\n",
         "\xEF\xBB\xBF"
         "A\xC3\x91O / S,A\xC3\xB1o,A,X,s\r\nB / S,B,B,X,s\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        writeList(c.bytes);
        const QList<RegisteredConnection> read = ConnectionList().read();
        ASSERT_EQ(read.size(), 1);
        EXPECT_EQ(read[0].key, QStringLiteral("AÑO / S"));
        EXPECT_EQ(read[0].database, QStringLiteral("Año"));

        ConnectionList().append({QStringLiteral("B / S"), QStringLiteral("B"), QStringLiteral("B"),
                                 QStringLiteral("X"), QStringLiteral("s")});
        EXPECT_EQ(fileBytes(listPath()), c.afterAppend);
        ConnectionList().append({QStringLiteral("Ñ / S"), QStringLiteral("Ñ"), QStringLiteral("Ñ"),
                                 QStringLiteral("X"), QStringLiteral("s")});
        EXPECT_EQ(ConnectionList().read().last().database, QStringLiteral("Ñ"));
    }
}

// The user's own list comes first; a list other users can change names servers the password
// would go to, so it is left out and named to the user.
TEST_F(ConnectionListFile, TheUsersOwnListComesFirstAndAListOthersCanChangeIsRefused)
{
    QDir(m_folder.path()).mkpath(QStringLiteral("rp_panelcta"));
    ::chmod(QFile::encodeName(m_folder.filePath(QStringLiteral("rp_panelcta"))).constData(), 0700);
    writeFileBytes(m_folder.filePath(QStringLiteral("rp_panelcta/BASES.TXT")),
                   "A / S,mine,A,X,s1\r\n");
    writeList("A / S,shared,A,X,s2\r\nB / S,B,B,X,s3\r\n");
    ASSERT_EQ(ConnectionList().read().size(), 3);
    EXPECT_EQ(ConnectionList().find(QStringLiteral("A / S"))->database, QStringLiteral("mine"));
    EXPECT_EQ(ConnectionList().find(QStringLiteral("B / S"))->database, QStringLiteral("B"));

    ::chmod(QFile::encodeName(listPath()).constData(), 0666);
    m_dialogs.answer(platform::msgbox::Ok);
    const QList<RegisteredConnection> read = ConnectionList().read();
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0].database, QStringLiteral("mine"));
    ASSERT_EQ(m_dialogs.count(), 1);
    EXPECT_TRUE(
        m_dialogs.last().text.startsWith(QStringLiteral("No se usa el archivo ") + listPath()));
}

TEST_F(ConnectionListFile, KeysAreFoundTrimmedWithTheirCase)
{
    writeList(" A / S ,first,A,X,s1\r\nA / S,second,A,X,s2\r\na / s,lower,A,X,s3\r\n");
    const ConnectionList list;
    EXPECT_EQ(list.find(QStringLiteral("A / S"))->database, QStringLiteral("first"));
    EXPECT_EQ(list.find(QStringLiteral("  A / S"))->database, QStringLiteral("first"));
    EXPECT_EQ(list.find(QStringLiteral("a / s"))->database, QStringLiteral("lower"));
    EXPECT_FALSE(list.find(QStringLiteral("A / S2")));
}

TEST_F(ConnectionListFile, KeysJoinDatabaseAndServerWithoutPort)
{
    const QString cases[][3] = {
        {QStringLiteral(" prueba "), QStringLiteral(" srv "), QStringLiteral("PRUEBA / SRV")},
        {QStringLiteral("prueba"), QStringLiteral("srv:1500"), QStringLiteral("PRUEBA / SRV")},
        {QStringLiteral("prueba"), QStringLiteral("srv : 1500:x"), QStringLiteral("PRUEBA / SRV")},
        {QStringLiteral("prueba"), QStringLiteral("srv\\inst"),
         QStringLiteral("PRUEBA / SRV\\INST")},
        {QString(), QString(), QStringLiteral(" / ")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(data::connectionKey(c[0], c[1]), c[2])
            << c[0].toStdString() << " " << c[1].toStdString();
}

TEST_F(ConnectionListFile, AFieldThatCouldNotBeReadBackIsRefused)
{
    const QString unreadable[] = {
        QStringLiteral("\"srv"),
        QStringLiteral("srv,\"1433\""),
        QStringLiteral("srv\r\n1433"),
    };
    for (const QString &server : unreadable) {
        EXPECT_EQ(errorNumberOf([&] {
                      data::formatConnectionLine({QStringLiteral("K"), QStringLiteral("DB"),
                                                  QStringLiteral("U"), QStringLiteral("P"),
                                                  server});
                  }),
                  platform::errors::InvalidProcedureCall)
            << server.toStdString();
    }

    const RegisteredConnection quoteInside{QStringLiteral("K"), QStringLiteral("D\"B"),
                                           QStringLiteral("U"), QStringLiteral("P"),
                                           QStringLiteral("srv")};
    EXPECT_EQ(data::parseConnectionLine(data::formatConnectionLine(quoteInside)), quoteInside);
}

} // namespace
