#include "platform/suite/progreso.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {

class ProgressWindow : public QDialog
{
public:
    ProgressWindow()
    {
        setWindowModality(Qt::ApplicationModal);
        setObjectName(QStringLiteral("frmProgreso"));
        m_title.setStyleSheet(QStringLiteral("font-weight: bold"));
        m_bar.setRange(0, 0); // busy: a computation does not know its length in advance
        m_cancel.setObjectName(QStringLiteral("cmdCancelar"));
        m_cancel.setText(QStringLiteral("Cancelar"));
        auto *layout = new QVBoxLayout(this);
        for (QWidget *part :
             std::initializer_list<QWidget *>{&m_title, &m_message, &m_text, &m_bar})
            layout->addWidget(part);
        layout->addWidget(&m_cancel, 0, Qt::AlignRight);
        connect(&m_cancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
        setMinimumWidth(360);
    }

    void reset(const QString &windowTitle)
    {
        setWindowTitle(windowTitle);
        for (QLabel *label : {&m_title, &m_message, &m_text})
            label->clear();
        m_cancelRequested = false;
    }

    void showTexts(const QString &text, const QString &title, const QString &message)
    {
        m_text.setText(text);
        if (!title.isEmpty())
            m_title.setText(title);
        if (!message.isEmpty())
            m_message.setText(message);
    }

    // Reports a cancel request once: the next call answers false until cancel is asked again.
    bool takeCancelRequest() { return std::exchange(m_cancelRequested, false); }

    // Escape and the title-bar button ask to cancel, like the button; the computation decides.
    void reject() override { m_cancelRequested = true; }

private:
    QLabel m_title;
    QLabel m_message;
    QLabel m_text;
    QProgressBar m_bar;
    QPushButton m_cancel;
    bool m_cancelRequested = false;
};

Progreso::Progreso() = default;
Progreso::~Progreso() = default;

QWidget &Progreso::window()
{
    if (!m_window)
        m_window = std::make_unique<ProgressWindow>();
    return *m_window;
}

void Progreso::Mostrar(const QString &title, int)
{
    window();
    m_window->reset(title);
    m_window->show();
    m_window->raise();
    QCoreApplication::processEvents();
}

void Progreso::Avanzar(std::int16_t &cancel, const QString &text, const QString &title,
                       const QString &message)
{
    window();
    m_window->showTexts(text, title, message);
    if (!m_window->isVisible())
        m_window->show();
    QCoreApplication::processEvents();
    cancel = m_window->takeCancelRequest() ? -1 : 0;
}

void Progreso::Ocultar()
{
    if (m_window)
        m_window->hide();
}

Progreso &gProgreso()
{
    static Progreso instance;
    return instance;
}

} // namespace platform
