#pragma once

#include <QIcon>

class QTranslator;

// What the program sets up on the desktop before its first window: Qt's own Spanish texts and
// the application icon.
namespace platform {

// Installs Qt's Spanish translations (qtbase_es), so standard buttons and the file dialog speak
// the language of the program's own texts. The translator belongs to the application; null when
// the translations are not installed on the machine.
QTranslator *installSpanishQtTranslations();

// The program's icon, shown on every window.
QIcon applicationIcon();

} // namespace platform
