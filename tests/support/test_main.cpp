#include "application_state.h"
#include "platform/db/embedded/password_hash.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every test binary runs with a real (offscreen) application object, so widgets, dialogs and
// event processing behave as in the program.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The embedded browser's sandbox refuses to start as root, which is how the tests run on
    // the build machines.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Nothing a test logs or keeps for "the user" lands in the home folder of whoever runs them.
    QTemporaryDir userData;
    qputenv("XDG_DATA_HOME", userData.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RP_PANELCTA"));
    // The logins of the tests' throw-away servers need no costly keys.
    platform::db::embedded::setPasswordIterations(1);
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::checkApplicationStateAfterEachTest();
    return RUN_ALL_TESTS();
}
