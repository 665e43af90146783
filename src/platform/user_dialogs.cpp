#include "platform/user_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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
