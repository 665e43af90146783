#pragma once

#include "platform/error.h"
#include "platform/steps.h"
#include "statistics/statistic_definition.h"

#include <QList>
#include <QString>

namespace data {
class DB_Dll;
}

// Reading a stored definition from MA_PANELCTA into a value, part by part under the load's
// error box: a part whose stored value cannot be read is left out, and the user decides whether
// the load goes on without it, tries it again or stops there.
namespace statistics {

// What a load read.
struct LoadedDefinition
{
    StatisticDefinition definition;
    // The parts the stored rows gave; a part left out keeps what the window shows.
    DefinitionParts parts;
    // The name has no stored row: the window's grid gets its first empty line.
    bool noRows = false;
};

// The load's error box: answer 4 reads the failing part again, 5 goes on with the next one,
// any other answer ends the load.
platform::Resume reportLoadError(const platform::Error &error, int step);

class DefinitionReader
{
public:
    explicit DefinitionReader(data::DB_Dll &db) : m_db(db) { }

    // Reads the stored rows of the name (trimmed), the header row first, then one grid line per
    // row. The header boxes are given with their texts: a box whose column is stored takes the
    // stored text, the others keep theirs.
    LoadedDefinition read(const QString &name, const QList<HeaderField> &header);

private:
    data::DB_Dll &m_db;
};

} // namespace statistics
