#pragma once

#include "platform/user_dialogs.h"

#include <QString>

#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

// Answers every box and modal dialog from queues a test fills beforehand, and records what
// was shown. A box or dialog that appears with nothing queued fails the test and is answered
// as if cancelled, so a test never waits for a person.
class ScriptedDialogs final : public platform::UserDialogs
{
public:
    struct Shown
    {
        enum class Kind { MessageBox, InputBox, Dialog } kind;
        QString title;
        QString text; // the message, the input prompt, or the dialog's window title
        int style = 0;
    };
    using DialogScript = std::function<int(QDialog &)>;

    // Installs itself for its lifetime.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    ScriptedDialogs &answer(int answer);
    ScriptedDialogs &type(const QString &text); // the next input box's answer
    ScriptedDialogs &onDialog(DialogScript script);

    const std::vector<Shown> &shown() const { return m_shown; }
    const Shown &last() const;
    int count() const { return int(m_shown.size()); }
    void clearShown() { m_shown.clear(); }
    bool allAnswered() const;

    int execModal(QDialog &dialog) override;

protected:
    int showMessageBox(const QString &text, int style, const QString &title) override;
    QString showInputBox(const QString &prompt, const QString &title,
                         const QString &defaultText) override;

private:
    std::deque<int> m_answers;
    std::deque<QString> m_inputs;
    std::deque<DialogScript> m_dialogs;
    std::vector<Shown> m_shown;
};

} // namespace testing_support
