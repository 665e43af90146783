#pragma once

#include <QString>

// The statements that read and remove a stored definition by its name. The name is trimmed
// and its quotes doubled, so any typed name, apostrophes included, stays one literal.
namespace statistics {

// Every row of the name, whatever its ranking flag, in the order the grid shows them.
QString definitionRowsStatement(const QString &name);

// Removes every row of the name, whatever its ranking flag.
QString definitionDeleteStatement(const QString &name);

} // namespace statistics
