#include "data/error_log.h"
#include "data_fixture.h"
#include "platform/legacy_files.h"

#include <QDir>
#include <QFileInfo>
#include <functional>

namespace {

using data::gDB;
using data_testing::DataTest;
namespace msgbox = platform::msgbox;

class ErrorTreatment : public DataTest
{ };

TEST_F(ErrorTreatment, ErrorNumberZeroShowsAndLogsNothing)
{
    EXPECT_EQ(gDB().TratamientoErrores(platform::Error(0, QStringLiteral("nada"))), 0);
    EXPECT_EQ(m_dialogs.count(), 0);
    EXPECT_FALSE(QFile::exists(logPath()));
}

TEST_F(ErrorTreatment, BoxAndLogLineFollowButtonsRoutineAndAnswer)
{
    struct Case
    {
        std::optional<int> buttons;
        std::optional<QString> routine;
        int answer;
        int expectedStyle;
        QString expectedTitle;
        QString expectedLine;
    };
    const QString message = QStringLiteral("Ha ocurrido el Siguiente Error (-2147217900) Sintaxis");
    const Case cases[] = {
        {std::nullopt, QStringLiteral("AbrirRecordset"), msgbox::Retry,
         msgbox::AbortRetryIgnore | msgbox::Critical,
         QStringLiteral("Motor - AbrirRecordset Aviso al operador!!! - 5 "),
         QStringLiteral("03-05-2026 14:07:09 Rutina: - AbrirRecordset Mensaje ") + message
             + QStringLiteral(" Respondió : Reintentar")},
        {std::nullopt, std::nullopt, msgbox::Ignore, msgbox::AbortRetryIgnore | msgbox::Critical,
         QStringLiteral("Motor Aviso al operador!!! - 5 "),
         QStringLiteral("03-05-2026 14:07:09 Rutina:  Mensaje ") + message
             + QStringLiteral(" Respondió : Ignorar")},
        {msgbox::OkOnly, QStringLiteral("X"), msgbox::Ok, msgbox::OkOnly,
         QStringLiteral("Motor - X Aviso al operador!!! - 5 "),
         QStringLiteral("03-05-2026 14:07:09 Rutina: - X Mensaje ") + message
             + QStringLiteral(" Respondió : ")},
        {msgbox::YesNo, QStringLiteral("X"), msgbox::No, msgbox::YesNo,
         QStringLiteral("Motor - X Aviso al operador!!! - 5 "),
         QStringLiteral("03-05-2026 14:07:09 Rutina: - X Mensaje ") + message
             + QStringLiteral(" Respondió : No")},
    };
    for (const Case &c : cases) {
        QFile::remove(logPath());
        m_dialogs.clearShown();
        m_dialogs.answer(c.answer);
        const platform::Error error(-2147217900, QStringLiteral("  Sintaxis  "),
                                    QStringLiteral("Motor"));
        EXPECT_EQ(gDB().TratamientoErrores(error, c.buttons, c.routine), c.answer);
        ASSERT_EQ(m_dialogs.count(), 1);
        EXPECT_EQ(m_dialogs.last().text, message);
        EXPECT_EQ(m_dialogs.last().style, c.expectedStyle);
        EXPECT_EQ(m_dialogs.last().title, c.expectedTitle);
        EXPECT_EQ(logLines(), QStringList{c.expectedLine});
    }
}

TEST_F(ErrorTreatment, LineBreaksOfTheDescriptionStayInTheBoxButNotInTheLog)
{
    m_dialogs.answer(msgbox::Abort);
    gDB().TratamientoErrores(platform::Error(5, QStringLiteral("primera\r\nsegunda\nfin")),
                             std::nullopt, QStringLiteral("R"));
    EXPECT_EQ(m_dialogs.last().text,
              QStringLiteral("Ha ocurrido el Siguiente Error (5) primera\r\nsegunda\nfin"));
    EXPECT_EQ(logLines(),
              QStringList{QStringLiteral("03-05-2026 14:07:09 Rutina: - R Mensaje Ha ocurrido el "
                                         "Siguiente Error (5) primera segunda fin Respondió : "
                                         "Abortar")});
}

TEST_F(ErrorTreatment, LinesAreAppendedToTheChosenLog)
{
    const QString chosen = m_folder.filePath(QStringLiteral("otro/errores.txt"));
    QDir(m_folder.path()).mkpath(QStringLiteral("otro"));
    gDB().setArchivoErrores(chosen);
    EXPECT_EQ(gDB().ArchivoErrores().toString(), chosen);
    m_dialogs.answer(msgbox::Retry).answer(msgbox::Abort);
    gDB().TratamientoErrores(platform::Error(5, QStringLiteral("uno")));
    gDB().TratamientoErrores(platform::Error(5, QStringLiteral("dos")));

    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("Respondi\xF3 : Reintentar")) << "written in Windows-1252";
    const QString text = platform::fromWindows1252(bytes);
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("(5) uno Respondió : Reintentar\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("(5) dos Respondió : Abortar\r\n")));
    EXPECT_FALSE(QFile::exists(logPath()));
}

// The program folder may be shared with other users: a link planted there under the log's old
// name is never followed, and the log is the user's own file.
TEST_F(ErrorTreatment, TheLogIsTheUsersOwnAndALinkPlantedInTheProgramFolderStaysUntouched)
{
    const QString victim = m_folder.filePath(QStringLiteral("victim.txt"));
    QFile victimFile(victim);
    ASSERT_TRUE(victimFile.open(QIODevice::WriteOnly));
    victimFile.write("untouched");
    victimFile.close();
    ASSERT_TRUE(QFile::link(victim, m_folder.filePath(QStringLiteral("TVERR.LOG"))));
    m_dialogs.answer(msgbox::Ignore);

    gDB().TratamientoErrores(platform::Error(5, QStringLiteral("x")));

    EXPECT_EQ(logLines().size(), 1);
    EXPECT_EQ(QFileInfo(logPath()).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    ASSERT_TRUE(victimFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(victimFile.readAll(), "untouched");
}

// A log that cannot be written keeps the answer, and says so once, not on every error.
TEST_F(ErrorTreatment, AnUnwritableLogIsReportedOnceAndTheAnswerStands)
{
    const struct
    {
        const char *why;
        QString path;
        std::function<void(const QString &)> plant;
    } cases[] = {
        {"missing folder", m_folder.filePath(QStringLiteral("no/existe/TVERR.LOG")),
         [](const QString &) {}},
        {"link in its place", m_folder.filePath(QStringLiteral("enlace.log")),
         [this](const QString &path) {
             QFile::link(m_folder.filePath(QStringLiteral("victim.log")), path);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        c.plant(c.path);
        gDB().gLogErr = c.path;
        m_dialogs.clearShown();
        m_dialogs.answer(msgbox::Ignore).answer(msgbox::Ok).answer(msgbox::Retry);

        EXPECT_EQ(gDB().TratamientoErrores(platform::Error(5, QStringLiteral("x"))),
                  msgbox::Ignore);
        EXPECT_EQ(gDB().TratamientoErrores(platform::Error(5, QStringLiteral("y"))), msgbox::Retry);

        ASSERT_EQ(m_dialogs.count(), 3);
        EXPECT_TRUE(m_dialogs.shown()[1].text.startsWith(
            QStringLiteral("No se pudo escribir en el registro de errores: ")));
        EXPECT_TRUE(m_dialogs.shown()[1].text.contains(QDir::toNativeSeparators(c.path)));
        EXPECT_FALSE(QFileInfo::exists(m_folder.filePath(QStringLiteral("victim.log"))));
    }
}

TEST(ErrorLogLine, AnswerWords)
{
    const std::pair<int, QString> cases[] = {
        {4, QStringLiteral("Reintentar")},
        {5, QStringLiteral("Ignorar")},
        {3, QStringLiteral("Abortar")},
        {2, QStringLiteral("Cancelar")},
        {6, QStringLiteral("Sí")},
        {7, QStringLiteral("No")},
        {1, QString()},
        {0, QString()},
    };
    for (const auto &[answer, word] : cases)
        EXPECT_EQ(data::answerWord(answer), word) << answer;
}

} // namespace
