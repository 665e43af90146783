#include "core/error_reporter.h"
#include "core_database_test.h"
#include "data/error_log.h"
#include "data/services.h"
#include "platform/user_dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

namespace {

using core::MensajeError;
using core_testing::ErrorLogTest;
namespace msgbox = platform::msgbox;

const platform::Error FileMissing(53, QStringLiteral("  No se encontró el archivo  "),
                                  QStringLiteral("CN000PR"));
const QString FileMissingText
    = QStringLiteral("Ha ocurrido el Siguiente Error (53) No se encontró el archivo");
const QString LogStamp = QStringLiteral("03-05-2026 14:07:09");

TEST_F(ErrorLogTest, EveryAnswerIsShownReturnedAndLoggedWithItsWord)
{
    struct Case
    {
        int style;
        int answer;
        QString word;
    };
    const Case cases[] = {
        {msgbox::AbortRetryIgnore | msgbox::Critical, msgbox::Retry, QStringLiteral("Reintentar")},
        {msgbox::AbortRetryIgnore | msgbox::Critical, msgbox::Ignore, QStringLiteral("Ignorar")},
        {msgbox::AbortRetryIgnore | msgbox::Critical, msgbox::Abort, QStringLiteral("Abortar")},
        {msgbox::RetryCancel | msgbox::Critical, msgbox::Cancel, QStringLiteral("Cancelar")},
        {msgbox::YesNo | msgbox::Question, msgbox::Yes, QStringLiteral("Sí")},
        {msgbox::YesNo | msgbox::Question, msgbox::No, QStringLiteral("No")},
        {msgbox::OkOnly, msgbox::Ok, QString()},
    };
    int logged = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        dialogs.answer(c.answer);

        EXPECT_EQ(MensajeError(FileMissing, c.style, QStringLiteral("MenuExes")), c.answer);

        EXPECT_EQ(dialogs.last().text, FileMissingText);
        EXPECT_EQ(dialogs.last().title,
                  QStringLiteral("CN000PR - MenuExes Aviso al operador!!! - 2 "));
        EXPECT_EQ(dialogs.last().style, c.style);
        const QStringList lines = logLines();
        ASSERT_EQ(lines.size(), ++logged);
        EXPECT_EQ(lines.last(),
                  LogStamp + QStringLiteral(" Rutina: - MenuExes Mensaje ") + FileMissingText
                      + QStringLiteral(" Respondió : ") + c.word);
    }
}

TEST_F(ErrorLogTest, WithoutButtonsAndRoutineTheBoxOffersAbortRetryIgnoreUnderTheSourceAlone)
{
    dialogs.answer(msgbox::Abort);

    EXPECT_EQ(MensajeError(FileMissing), msgbox::Abort);

    EXPECT_EQ(dialogs.last().title, QStringLiteral("CN000PR Aviso al operador!!! - 2 "));
    EXPECT_EQ(dialogs.last().style, msgbox::AbortRetryIgnore | msgbox::Critical);
    EXPECT_EQ(logLines(),
              QStringList{LogStamp + QStringLiteral(" Rutina:  Mensaje ") + FileMissingText
                          + QStringLiteral(" Respondió : Abortar")});
}

TEST_F(ErrorLogTest, AnErrorNumberedZeroShowsAndLogsNothingButLeavesTheLog)
{
    EXPECT_EQ(MensajeError(platform::Error(0, QStringLiteral("Sin error"))), 0);

    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_TRUE(QFileInfo::exists(data::userErrorLogPath()));
    EXPECT_TRUE(logLines().isEmpty());
}

// Another user may plant a link named like the log in the shared temporary folder; the log is
// the user's own file instead, readable by nobody else.
TEST_F(ErrorLogTest, TheLogIsTheUsersOwnAndALinkPlantedInTheTemporaryFolderStaysUntouched)
{
    const QString victim = tempFolder() + QStringLiteral("/victim.txt");
    QFile victimFile(victim);
    ASSERT_TRUE(victimFile.open(QIODevice::WriteOnly));
    victimFile.write("untouched");
    victimFile.close();
    ASSERT_TRUE(QFile::link(victim, tempFolder() + QStringLiteral("/TVERR.LOG")));
    dialogs.answer(msgbox::Ignore);

    MensajeError(FileMissing, std::nullopt, QStringLiteral("Cfg"));

    EXPECT_EQ(logLines().size(), 1);
    EXPECT_EQ(QFileInfo(data::userErrorLogPath()).absolutePath(),
              QFileInfo(tempFolder() + QStringLiteral("/rp_panelcta")).absoluteFilePath());
    EXPECT_EQ(QFileInfo(data::userErrorLogPath()).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    ASSERT_TRUE(victimFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(victimFile.readAll(), "untouched");
}

TEST_F(ErrorLogTest, TheDataLayerReportsThroughTheInstalledReporter)
{
    core::installErrorReporter();
    dialogs.answer(msgbox::Retry);

    EXPECT_EQ(data::MensajeError(FileMissing, std::nullopt, QStringLiteral("frmAcceso")),
              msgbox::Retry);

    EXPECT_EQ(dialogs.last().title,
              QStringLiteral("CN000PR - frmAcceso Aviso al operador!!! - 2 "));
    EXPECT_EQ(logLines().size(), 1);
    data::setErrorReporter({});
}

} // namespace
