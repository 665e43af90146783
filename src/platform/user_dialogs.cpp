#include "platform/user_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>

namespace platform {

namespace {

struct ButtonChoice
{
    QMessageBox::StandardButton button;
    int answer;
};

QList<ButtonChoice> buttonsFor(int style)
{
    using B = QMessageBox;
    switch (style & msgbox::ButtonsMask) {
    case msgbox::OkCancel:
        return {{B::Ok, msgbox::Ok}, {B::Cancel, msgbox::Cancel}};
    case msgbox::AbortRetryIgnore:
        return {{B::Abort, msgbox::Abort}, {B::Retry, msgbox::Retry}, {B::Ignore, msgbox::Ignore}};
    case msgbox::YesNoCancel:
        return {{B::Yes, msgbox::Yes}, {B::No, msgbox::No}, {B::Cancel, msgbox::Cancel}};
    case msgbox::YesNo:
        return {{B::Yes, msgbox::Yes}, {B::No, msgbox::No}};
    case msgbox::RetryCancel:
        return {{B::Retry, msgbox::Retry}, {B::Cancel, msgbox::Cancel}};
    default:
        return {{B::Ok, msgbox::Ok}};
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & msgbox::IconMask) {
    case msgbox::Critical:
        return QMessageBox::Critical;
    case msgbox::Question:
        return QMessageBox::Question;
    case msgbox::Exclamation:
        return QMessageBox::Warning;
    case msgbox::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Closing a box with its title-bar button answers as Windows does: Cancel when the box has
// one, otherwise the only button (OK).
int escapeAnswer(const QList<ButtonChoice> &buttons)
{
    for (const ButtonChoice &choice : buttons)
        if (choice.answer == msgbox::Cancel)
            return msgbox::Cancel;
    return buttons.size() == 1 ? buttons.front().answer : 0;
}

// Qt sizes a message box by its text and buttons; a short text under a long title leaves the
// window manager too narrow a title bar ("Aviso al operador..." cut short). The title bar's bold
// text and its icon and buttons (about a bar's height each) must fit, within the screen.
int widthShowingTitle(const QMessageBox &box)
{
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int barHeight = metrics.height() + 10;
    const int wanted = metrics.horizontalAdvance(box.windowTitle()) + 5 * barHeight;
    const QScreen *screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().width() * 9 / 10 : wanted;
    return qMin(wanted, available);
}

// The box fixes its own size when shown, from its layout's minimum: a spacer across the whole
// layout raises that minimum.
void fitTitle(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int left = grid->contentsMargins().left() + grid->contentsMargins().right();
    grid->addItem(
        new QSpacerItem(widthShowingTitle(box) - left, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
        grid->rowCount(), 0, 1, grid->columnCount());
}

class QtUserDialogs final : public UserDialogs
{
public:
    int execModal(QDialog &dialog) override { return dialog.exec(); }

protected:
    int showMessageBox(const QString &text, int style, const QString &title) override
    {
        QMessageBox box(iconFor(style), title, text);
        const QList<ButtonChoice> buttons = buttonsFor(style);
        QHash<QAbstractButton *, int> answers;
        for (const ButtonChoice &choice : buttons)
            answers.insert(box.addButton(choice.button), choice.answer);
        const int defaultIndex = (style & msgbox::DefaultButtonMask) >> 8;
        if (defaultIndex < buttons.size())
            box.setDefaultButton(buttons[defaultIndex].button);
        fitTitle(box);
        box.exec();
        return answers.value(box.clickedButton(), escapeAnswer(buttons));
    }

    QString showInputBox(const QString &prompt, const QString &title,
                         const QString &defaultText) override
    {
        bool accepted = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                                   QLineEdit::Normal, defaultText, &accepted);
        return accepted ? text : QString();
    }
};

QtUserDialogs &qtDialogs()
{
    static QtUserDialogs dialogs;
    return dialogs;
}

UserDialogs *installed = nullptr;

} // namespace

UserDialogs::~UserDialogs() = default;

QString UserDialogs::applicationTitle()
{
    return QCoreApplication::applicationName();
}

int UserDialogs::messageBox(const QString &text, int style, const QString &title)
{
    return showMessageBox(text, style, title.isEmpty() ? applicationTitle() : title);
}

QString UserDialogs::inputBox(const QString &prompt, const QString &title,
                              const QString &defaultText)
{
    return showInputBox(prompt, title.isEmpty() ? applicationTitle() : title, defaultText);
}

UserDialogs &userDialogs()
{
    return installed ? *installed : qtDialogs();
}

void setUserDialogs(UserDialogs *dialogs)
{
    installed = dialogs;
}

} // namespace platform
