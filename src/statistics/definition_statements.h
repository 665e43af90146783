#pragma once

#include <QString>

// The statements that read and remove a stored definition by its name. The name is trimmed
// and its quotes doubled, so any typed name, apostrophes included, stays one literal.
namespace statistics {

// The rows of this program's statistic of the name (ranking flag 0), in the order the grid
// shows them. Rankings of the same name belong to another program and are never touched.
QString definitionRowsStatement(const QString &name);

// Removes the rows of this program's statistic of the name.
QString definitionDeleteStatement(const QString &name);

} // namespace statistics
