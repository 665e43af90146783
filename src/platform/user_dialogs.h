#pragma once

#include <QString>

class QDialog;

namespace platform {

// Windows message-box styles and answers, as the program's callers pass and test them.
namespace msgbox {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int DefaultButton2 = 256;
inline constexpr int DefaultButton3 = 512;

inline constexpr int ButtonsMask = 7;
inline constexpr int IconMask = 0x70;
inline constexpr int DefaultButtonMask = 0x300;

inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Abort = 3;
inline constexpr int Retry = 4;
inline constexpr int Ignore = 5;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace msgbox

// The one seam through which the program asks the user anything: message boxes, input boxes
// and modal dialogs. The application installs the Qt implementation; tests install a scripted
// one that answers from a queue, so nothing ever waits for a person.
class UserDialogs
{
public:
    virtual ~UserDialogs();

    // Shows a message box and returns the answer (msgbox::Ok ... msgbox::No). An empty title
    // stands for the application's own title.
    int messageBox(const QString &text, int style = msgbox::OkOnly, const QString &title = {});

    // Shows an input box and returns the typed text; cancelling gives the empty text.
    QString inputBox(const QString &prompt, const QString &title = {},
                     const QString &defaultText = {});

    // Shows a dialog modally and returns its result (QDialog::Accepted or Rejected).
    virtual int execModal(QDialog &dialog) = 0;

    static QString applicationTitle();

protected:
    virtual int showMessageBox(const QString &text, int style, const QString &title) = 0;
    virtual QString showInputBox(const QString &prompt, const QString &title,
                                 const QString &defaultText) = 0;
};

// The implementation in use; the Qt one unless another was installed.
UserDialogs &userDialogs();

// Installs the implementation used from now on; nullptr goes back to the Qt one. The caller
// keeps ownership.
void setUserDialogs(UserDialogs *dialogs);

} // namespace platform
