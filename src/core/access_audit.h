#pragma once

#include <QString>

namespace core {

// Records who entered the program: works out the task of the suite's menu the logged user
// reached it through and appends one row to Control_Acceso in a transaction of its own. Never
// refuses entry; a user without a matching task enters with an empty task. Sets
// gUsuarioLogeado to the database user. Formulario names the process, the program's name when
// empty. A step that fails is logged and skipped; nothing is shown but the transaction
// runner's own box for a row that cannot be written.
void ControlAcceso(const QString &Formulario);

} // namespace core
