#pragma once

#include <QString>
#include <cstdint>
#include <memory>

class QWidget;

namespace platform {

class ProgressWindow;

// The progress window of long computations: application-modal, with a cancel button. The
// computation runs on the one thread, so Avanzar lets pending events run; that is how the
// window stays responsive and a click on cancel is seen.
class Progreso
{
public:
    Progreso();
    ~Progreso();

    // Opens the window with the title. Every mode shows it application-modal.
    void Mostrar(const QString &title, int mode = 1);

    // Shows the text (and the title and message, when given), lets pending events run and sets
    // the cancel flag: -1 when cancel was clicked since the last call, else 0. Shows the window
    // again when it was hidden.
    void Avanzar(std::int16_t &cancel, const QString &text, const QString &title = {},
                 const QString &message = {});

    // Closes the window.
    void Ocultar();

    // The window, created on first use (tests click its cancel button).
    QWidget &window();

private:
    std::unique_ptr<ProgressWindow> m_window;
};

// The program-wide instance, created on first use.
Progreso &gProgreso();

} // namespace platform
