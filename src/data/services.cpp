#include "data/services.h"

#include "data/db_dll.h"

namespace data {

namespace {
ConfidentialityReader &confidentialityReader()
{
    static ConfidentialityReader reader;
    return reader;
}

ErrorReporter &errorReporter()
{
    static ErrorReporter reporter;
    return reporter;
}

ConnectionDialogFactory &connectionDialogFactory()
{
    static ConnectionDialogFactory factory;
    return factory;
}
} // namespace

void setConfidentialityReader(ConfidentialityReader reader)
{
    confidentialityReader() = std::move(reader);
}

bool gSSConfidencialidad()
{
    const ConfidentialityReader &reader = confidentialityReader();
    return reader && reader();
}

void setErrorReporter(ErrorReporter reporter)
{
    errorReporter() = std::move(reporter);
}

int MensajeError(const platform::Error &error, std::optional<int> buttons,
                 std::optional<QString> routine)
{
    const ErrorReporter &reporter = errorReporter();
    if (reporter)
        return reporter(error, buttons, routine);
    return gDB().TratamientoErrores(error, buttons, routine);
}

ConnectionDialog::~ConnectionDialog() = default;

void setConnectionDialogFactory(ConnectionDialogFactory factory)
{
    connectionDialogFactory() = std::move(factory);
}

std::unique_ptr<ConnectionDialog> createConnectionDialog()
{
    const ConnectionDialogFactory &factory = connectionDialogFactory();
    return factory ? factory() : nullptr;
}

} // namespace data
