// The message box as the program shows it, on the real Qt implementation: its title must fit the
// title bar the window manager draws, and the box must stay within the screen.

#include "platform/user_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

namespace msgbox = platform::msgbox;

struct ShownBox
{
    int width = 0;
    int titleWidth = 0; // the title in a bold face, as title bars draw it
};

// Shows the box through the program's seam and closes it with its first button once it is up.
ShownBox showAndClose(const QString &text, const QString &title)
{
    ShownBox seen;
    QObject thisCall; // a box that never came up leaves no timer behind to read a dead result
    QTimer::singleShot(0, &thisCall, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        QFont bold = box->font();
        bold.setBold(true);
        seen.width = box->width();
        seen.titleWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
        box->buttons().first()->click();
    });
    platform::setUserDialogs(nullptr);
    const int answer
        = platform::userDialogs().messageBox(text, msgbox::OkOnly | msgbox::Critical, title);
    EXPECT_EQ(answer, msgbox::Ok);
    return seen;
}

TEST(MessageBoxTest, ANarrowBoxIsWideEnoughForItsTitle)
{
    const ShownBox box
        = showAndClose(QStringLiteral("Fecha Incorrecta"), QStringLiteral("Aviso al operador..."));
    // Besides the text, the title bar holds an icon and three buttons, each about as wide as
    // the bar is high.
    const int barHeight = QFontMetrics(QApplication::font()).height() + 10;
    EXPECT_GE(box.width, box.titleWidth + 4 * barHeight);
}

TEST(MessageBoxTest, ALongTitleKeepsTheBoxWithinTheScreen)
{
    const ShownBox box = showAndClose(QStringLiteral("Fecha Incorrecta"),
                                      QStringLiteral("Aviso al operador... ").repeated(40));
    EXPECT_GT(box.titleWidth, QGuiApplication::primaryScreen()->availableGeometry().width());
    EXPECT_LE(box.width, QGuiApplication::primaryScreen()->availableGeometry().width());
}

} // namespace
