#pragma once

#include <QString>

// The desktop entry "Reloj Faena" that starts the suite's task-timer program.
namespace data {

// The task-timer program: RP_PANELCTA_RELOJFAENA when set, else "Relojfaena" in the program
// folder, where the suite installs its programs side by side.
QString taskTimerProgram();

// Writes "Reloj Faena.desktop" in the user's desktop folder, replacing an older one, with the
// program as its command and its icon; returns the file's path. Raises 75 when it cannot be
// written.
QString createTaskTimerShortcut();

} // namespace data
