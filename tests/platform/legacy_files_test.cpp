#include "platform/legacy_files.h"
#include "platform_test_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class LegacyFiles : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QByteArray bytesOf(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeBytes(const QString &name, const QByteArray &bytes) const
    {
        writeFileBytes(path(name), bytes);
    }

    QTemporaryDir m_folder;
};

} // namespace

TEST_F(LegacyFiles, Windows1252RoundTripWithCrLf)
{
    writeTextLines(path("log.txt"), {QStringLiteral("Respondió"), QStringLiteral("€ 5")});
    EXPECT_EQ(bytesOf("log.txt"), QByteArray("Respondi\xF3\r\n\x80 5\r\n"));
    EXPECT_EQ(readTextLines(path("log.txt")),
              (QStringList{QStringLiteral("Respondió"), QStringLiteral("€ 5")}));
}

TEST_F(LegacyFiles, CodePageMapsEveryByteAndMarksWhatItCannotHold)
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    EXPECT_EQ(toWindows1252(fromWindows1252(everyByte)), everyByte);

    const struct
    {
        const char *text;
        QByteArray bytes;
    } cases[] = {
        {"ñÑáÁ", "\xF1\xD1\xE1\xC1"},
        {"“comillas” – ‰ Ÿ ž",
         "\x93"
         "comillas\x94 \x96 \x89 \x9F \x9E"},
        {"漢字", "??"},
        {"a😀b", "a?b"}, // one character outside the code page, one "?"
    };
    for (const auto &c : cases)
        EXPECT_EQ(toWindows1252(QString::fromUtf8(c.text)), c.bytes) << c.text;
}

TEST_F(LegacyFiles, ReadingAcceptsEveryLineEnd)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"crlf", "uno\r\ndos\r\n", {"uno", "dos"}},
        {"lf only", "uno\ndos\n", {"uno", "dos"}},
        {"mixed, last line unended", "uno\r\ndos\ntres", {"uno", "dos", "tres"}},
        {"blank lines kept", "uno\r\n\r\ndos\r\n", {"uno", "", "dos"}},
        {"empty file", "", {}},
        {"one line end", "\r\n", {""}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes("in.txt", c.bytes);
        EXPECT_EQ(readTextLines(path("in.txt")), c.lines);
        EXPECT_EQ(readTextFile(path("in.txt")), QString::fromLatin1(c.bytes));
    }
}

TEST_F(LegacyFiles, WritingReplacesAndAppendingAdds)
{
    writeTextLines(path("f.txt"), {QStringLiteral("viejo"), QStringLiteral("contenido")});
    writeTextLines(path("f.txt"), {QStringLiteral("nuevo")});
    appendTextLines(path("f.txt"), {QStringLiteral("más")});
    appendTextLines(path("f.txt"), {QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(bytesOf("f.txt"), QByteArray("nuevo\r\nm\xE1s\r\na\r\nb\r\n"));

    appendTextLines(path("created.txt"), {QStringLiteral("primera")});
    EXPECT_EQ(bytesOf("created.txt"), QByteArray("primera\r\n"));
}

TEST_F(LegacyFiles, FailuresRaiseRunTimeErrors)
{
    const QString missing = path("no/existe.txt");
    EXPECT_EQ(errorNumberOf([&] { readTextLines(path("nada.txt")); }), errors::FileNotFound);
    EXPECT_EQ(errorNumberOf([&] { readTextFile(path("nada.txt")); }), errors::FileNotFound);
    EXPECT_EQ(errorNumberOf([&] { appendTextLines(missing, {QStringLiteral("x")}); }),
              errors::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { writeTextLines(missing, {QStringLiteral("x")}); }),
              errors::PathNotFound);
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(LegacyFiles, FindsAFileWhateverTheCaseOfItsName)
{
    writeBytes("bases.txt", "x");
    writeBytes("CN000pr.INI", "x");
    writeBytes("Doble.txt", "x");
    writeBytes("doble.txt", "x");
    const QString folder = m_folder.path();
    const struct
    {
        const char *asked;
        QStringList found; // any of these
    } cases[] = {
        {"BASES.TXT", {"bases.txt"}},
        {"bases.txt", {"bases.txt"}},
        {"cn000pr.ini", {"CN000pr.INI"}},
        {"doble.txt", {"doble.txt"}}, // an exact match wins
        {"DOBLE.TXT", {"Doble.txt", "doble.txt"}},
        {"Nuevo.TXT", {"Nuevo.TXT"}}, // none matches: the name as given
    };
    for (const auto &c : cases) {
        const QString found
            = QFileInfo(findFileIgnoringCase(folder, QString::fromUtf8(c.asked))).fileName();
        EXPECT_TRUE(c.found.contains(found)) << c.asked << " gave " << found.toStdString();
    }
    EXPECT_EQ(findFileIgnoringCase(folder, QStringLiteral("BASES.TXT")),
              QDir(folder).filePath(QStringLiteral("bases.txt")));
}

TEST_F(LegacyFiles, RecordFileReadsAndWritesFixedLengthRecords)
{
    RecordFile file(path("consultas.tvc"), 10);
    EXPECT_EQ(file.count(), 0);
    EXPECT_EQ(errorNumberOf([&] { file.read(1); }), errors::FileNotFound);

    file.writeText(3, QStringLiteral("Año"));
    EXPECT_EQ(file.count(), 3);
    EXPECT_EQ(file.read(1), QByteArray(10, '\0')); // skipped records are zero bytes
    EXPECT_EQ(file.read(3), QByteArray("A\xF1o       "));
    EXPECT_EQ(file.readText(3), QStringLiteral("Año       "));

    file.write(1, "0123456789ABC"); // cut to the record length
    file.write(2, "xy");
    EXPECT_EQ(bytesOf("consultas.tvc"), QByteArray("0123456789xy        A\xF1o       ", 30));
    EXPECT_EQ(file.read(7), QByteArray(10, '\0')); // beyond the end
    EXPECT_EQ(file.count(), 3);

    writeBytes("partial.tvc", QByteArray(25, 'x'));
    EXPECT_EQ(RecordFile(path("partial.tvc"), 10).count(), 2);
    EXPECT_EQ(RecordFile(path("partial.tvc"), 10).read(3),
              QByteArray("xxxxx") + QByteArray(5, '\0'));
}

TEST_F(LegacyFiles, RecordFileRejectsBadNumbersAndLengths)
{
    RecordFile file(path("r.tvc"), 4);
    EXPECT_EQ(errorNumberOf([&] { file.write(0, "x"); }), errors::BadRecordNumber);
    EXPECT_EQ(errorNumberOf([&] { file.read(-1); }), errors::BadRecordNumber);
    EXPECT_EQ(errorNumberOf([&] { RecordFile(path("r.tvc"), 0); }), errors::InvalidProcedureCall);
}
