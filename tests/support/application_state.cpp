#include "application_state.h"

#include "platform/regional_settings.h"
#include "platform/runtime.h"
#include "platform/user_dialogs.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace testing_support {

int execApplication(std::chrono::milliseconds limit)
{
    QObject thisRun; // a limit still pending must not end a later test's event loop
    QTimer::singleShot(limit, &thisRun, [] { QCoreApplication::exit(1); });
    const int code = QCoreApplication::exec();
    // Closing the last window makes Qt post a quit of its own besides the program's. Delivered
    // after this loop has ended it would mark the application as quitting, and every later
    // event loop, a modal dialog's included, would return the moment it starts.
    QCoreApplication::removePostedEvents(QCoreApplication::instance(), QEvent::Quit);
    return code;
}

namespace {

QString describe(const QWidget &window)
{
    QString name = QString::fromLatin1(window.metaObject()->className());
    if (!window.objectName().isEmpty())
        name += u' ' + window.objectName();
    if (!window.windowTitle().isEmpty())
        name += QStringLiteral(" \"") + window.windowTitle() + u'"';
    return name;
}

class ApplicationStateCheck final : public ::testing::EmptyTestEventListener
{
public:
    ApplicationStateCheck()
        : m_dialogs(&platform::userDialogs()), m_launcher(&platform::launcher()),
          m_settings(platform::regionalSettings())
    { }

    void OnTestEnd(const ::testing::TestInfo &) override
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            ADD_FAILURE() << "the test left a window on screen: "
                          << describe(*window).toStdString();
            // Hidden, not closed: closing the main window would end the application.
            window->hide();
        }
        if (&platform::userDialogs() != m_dialogs) {
            ADD_FAILURE() << "the test left its scripted dialogs installed";
            platform::setUserDialogs(nullptr);
        }
        if (&platform::launcher() != m_launcher) {
            ADD_FAILURE() << "the test left its recording launcher installed";
            platform::setLauncher(nullptr);
        }
        // Fixtures set the settings their texts are written for; the next test starts from the
        // program's own.
        platform::setRegionalSettings(m_settings);
    }

private:
    const platform::UserDialogs *m_dialogs;
    const platform::Launcher *m_launcher;
    const platform::RegionalSettings m_settings;
};

} // namespace

void checkApplicationStateAfterEachTest()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new ApplicationStateCheck);
}

} // namespace testing_support
