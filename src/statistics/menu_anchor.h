#pragma once

#include <QString>

namespace data {
class DB_Dll;
}

// The suite menu entry through which a user starts the program straight on one definition.
// Entries hang under the fixed parent "D957011" ("Panel de Cuentas") of the menu "KORU"; each
// runs "shell:RP_PANELCTA @PARAMETROADICIONAL= CFG_" and the definition name, and the user who
// anchors it is granted the task right to it (and to the parent when it is created).
namespace statistics {

class MenuAnchor
{
public:
    explicit MenuAnchor(data::DB_Dll &db) : m_db(db) { }

    // Adds the definition's entry when it has none, numbered after the highest existing one,
    // creating the parent the first time. An existing entry is left as it is, whoever saves.
    void anchor(const QString &definitionName, const QString &user);

    // Removes the definition's entry and every user's right to it, and the parent with its
    // rights once no entry is left under it. Harmless for a definition that has no entry.
    void remove(const QString &definitionName);

    // The key of entry number n: the parent's key and n in at least two digits.
    static QString entryKey(int number);
    // The command the suite menu runs for the definition.
    static QString entryCommand(const QString &definitionName);

private:
    data::DB_Dll &m_db;
};

} // namespace statistics
