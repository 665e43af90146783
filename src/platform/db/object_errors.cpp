#include "platform/db/object_errors.h"

#include "platform/db/ado.h"
#include "platform/error.h"

namespace platform::db {

namespace {

QString descriptionOf(std::int32_t number)
{
    switch (number) {
    case ado::NotAllowedInContext:
        return QStringLiteral("Operation is not allowed in this context.");
    case ado::ObjectClosed:
        return QStringLiteral("Operation is not allowed when the object is closed.");
    case ado::ObjectOpen:
        return QStringLiteral("Operation is not allowed when the object is open.");
    case ado::ConnectionUnusable:
        return QStringLiteral("The connection cannot be used to perform this operation. It is "
                              "either closed or invalid in this context.");
    case ado::NoCurrentRecord:
        return QStringLiteral("Either BOF or EOF is True, or the current record has been "
                              "deleted. Requested operation requires a current record.");
    case ado::ItemNotFound:
        return QStringLiteral("Item cannot be found in the collection corresponding to the "
                              "requested name or ordinal.");
    case ado::WrongValueType:
        return QStringLiteral("Application uses a value of the wrong type for the current "
                              "operation.");
    case recordsetNotUpdatable:
        return QStringLiteral("Current Recordset does not support updating. This may be a "
                              "limitation of the provider, or of the selected locktype.");
    default:
        return QStringLiteral("Operation failed.");
    }
}

} // namespace

void raiseObjectError(std::int32_t number, const QString &source)
{
    throw Error(number, descriptionOf(number), source);
}

} // namespace platform::db
