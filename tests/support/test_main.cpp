#include <QApplication>
#include <gtest/gtest.h>

// Every test binary runs with a real (offscreen) application object, so widgets, dialogs and
// event processing behave as in the program.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RP_PANELCTA"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
