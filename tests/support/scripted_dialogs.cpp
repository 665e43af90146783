#include "scripted_dialogs.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace testing_support {

using platform::msgbox::Cancel;

ScriptedDialogs::ScriptedDialogs()
{
    platform::setUserDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    platform::setUserDialogs(nullptr);
    EXPECT_TRUE(allAnswered()) << "scripted answers left unused";
}

ScriptedDialogs &ScriptedDialogs::answer(int answer)
{
    m_answers.push_back(answer);
    return *this;
}

ScriptedDialogs &ScriptedDialogs::type(const QString &text)
{
    m_inputs.push_back(text);
    return *this;
}

ScriptedDialogs &ScriptedDialogs::onDialog(DialogScript script)
{
    m_dialogs.push_back(std::move(script));
    return *this;
}

const ScriptedDialogs::Shown &ScriptedDialogs::last() const
{
    static const Shown nothing{Shown::Kind::MessageBox, {}, {}, 0};
    if (m_shown.empty()) {
        ADD_FAILURE() << "no box was shown";
        return nothing;
    }
    return m_shown.back();
}

bool ScriptedDialogs::allAnswered() const
{
    return m_answers.empty() && m_inputs.empty() && m_dialogs.empty();
}

int ScriptedDialogs::showMessageBox(const QString &text, int style, const QString &title)
{
    m_shown.push_back({Shown::Kind::MessageBox, title, text, style});
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << title.toStdString() << "\": "
                      << text.toStdString();
        return Cancel;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString ScriptedDialogs::showInputBox(const QString &prompt, const QString &title,
                                      const QString &)
{
    m_shown.push_back({Shown::Kind::InputBox, title, prompt, 0});
    if (m_inputs.empty()) {
        ADD_FAILURE() << "unexpected input box \"" << title.toStdString() << "\": "
                      << prompt.toStdString();
        return {};
    }
    const QString text = m_inputs.front();
    m_inputs.pop_front();
    return text;
}

int ScriptedDialogs::execModal(QDialog &dialog)
{
    m_shown.push_back({Shown::Kind::Dialog, dialog.windowTitle(), dialog.windowTitle(), 0});
    if (m_dialogs.empty()) {
        ADD_FAILURE() << "unexpected dialog \"" << dialog.windowTitle().toStdString() << "\"";
        return QDialog::Rejected;
    }
    DialogScript script = std::move(m_dialogs.front());
    m_dialogs.pop_front();
    dialog.show();
    const int result = script(dialog);
    dialog.hide();
    return result;
}

} // namespace testing_support
