#pragma once

#include "platform/error.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

// What the data layer needs of the subsystems built on top of it. They install their pieces at
// start-up, so that the data layer never includes them; until then each service has a safe
// stand-in, described with it.
namespace data {

// ---- Confidentiality flag ------------------------------------------------------------------

// Whether the configuration asks for the restricted "SS_" synonyms of the confidential tables.
// The configuration store installs its reader once the configuration is loaded; without one
// the flag reads False.
using ConfidentialityReader = std::function<bool()>;
void setConfidentialityReader(ConfidentialityReader reader);
bool gSSConfidencialidad();

// ---- Shared error reporter -----------------------------------------------------------------

// The program's error box and log line for errors outside the data class: shows the error,
// logs it and returns the operator's answer (4 retry, 5 go on, other leave). Without an
// installed reporter the data class's own TratamientoErrores of gDB() answers instead, so no
// error goes unreported.
using ErrorReporter = std::function<int(const platform::Error &error, std::optional<int> buttons,
                                        std::optional<QString> routine)>;
void setErrorReporter(ErrorReporter reporter);
int MensajeError(const platform::Error &error, std::optional<int> buttons = std::nullopt,
                 std::optional<QString> routine = std::nullopt);

// ---- Connection dialog ---------------------------------------------------------------------

// The window that asks for the connection values. One is created for each time it is shown
// and discarded afterwards. Platform index 0 is SQL Server, any greater index is Oracle.
class ConnectionDialog
{
public:
    virtual ~ConnectionDialog();

    virtual QString dbName() const = 0;
    virtual void setDbName(const QString &value) = 0;
    virtual QString servidor() const = 0;
    virtual void setServidor(const QString &value) = 0;
    virtual QString usuario() const = 0;
    virtual void setUsuario(const QString &value) = 0;
    virtual QString userPassword() const = 0;
    virtual void setUserPassword(const QString &value) = 0;
    virtual int plataforma() const = 0;
    virtual void setPlataforma(int index) = 0;

    // Shows the window modally (through platform::userDialogs()) and returns once it is closed.
    virtual void showModal() = 0;
    // True when the user accepted the values.
    virtual bool aceptar() const = 0;
};

using ConnectionDialogFactory = std::function<std::unique_ptr<ConnectionDialog>()>;

// The connection dialog installs its factory at start-up; tests install a scripted one.
void setConnectionDialogFactory(ConnectionDialogFactory factory);

// A new dialog, or nullptr when none is installed (the opening then counts as cancelled).
std::unique_ptr<ConnectionDialog> createConnectionDialog();

} // namespace data
