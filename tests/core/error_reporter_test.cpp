#include "core/error_reporter.h"
#include "core_database_test.h"
#include "data/services.h"
#include "platform/user_dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
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
    EXPECT_TRUE(QFileInfo::exists(core::errorLogPath()));
    EXPECT_TRUE(logLines().isEmpty());
}

// The log follows the first temporary folder the environment names, its names in capitals.
TEST_F(ErrorLogTest, TheLogGoesToTheFirstTemporaryFolderTheEnvironmentSets)
{
    const char *names[] = {"TMPDIR", "TEMP", "TMP", "tmpdir", "temp"};
    QHash<QByteArray, std::optional<QByteArray>> saved;
    for (const char *name : names)
        saved.insert(name,
                     qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    QTemporaryDir folders[3];

    struct Case
    {
        QHash<QByteArray, int> set; // variable -> index of the folder it names
        int expectedFolder;
    };
    const Case cases[] = {
        {{{"TMPDIR", 0}, {"TEMP", 1}, {"TMP", 2}}, 0},
        {{{"TEMP", 1}, {"TMP", 2}}, 1},
        {{{"TMP", 2}, {"tmpdir", 0}, {"temp", 1}}, 2},
    };
    for (const Case &c : cases) {
        for (const char *name : names)
            qunsetenv(name);
        for (auto it = c.set.cbegin(); it != c.set.cend(); ++it)
            qputenv(it.key().constData(), folders[it.value()].path().toUtf8());
        dialogs.answer(msgbox::Ignore);

        MensajeError(FileMissing, std::nullopt, QStringLiteral("Cfg"));

        EXPECT_EQ(QFileInfo(core::errorLogPath()).absolutePath(),
                  QFileInfo(folders[c.expectedFolder].path()).absoluteFilePath());
        EXPECT_EQ(logLines().size(), 1);
        QFile::remove(core::errorLogPath());
    }
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (it.value())
            qputenv(it.key().constData(), *it.value());
        else
            qunsetenv(it.key().constData());
    }
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
