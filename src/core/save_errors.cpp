#include "core/save_errors.h"

#include "core/error_reporter.h"
#include "data/db_dll.h"
#include "platform/user_dialogs.h"

namespace core {

namespace {

namespace native = platform::db::native;
namespace msgbox = platform::msgbox;

// The server's number for a value it could not convert to the column's type.
constexpr std::int32_t ServerConversionError = 1010;

const QString TwoLineBreaks = QStringLiteral("\r\n\r\n");

QString conversionText(const QString &campo)
{
    return QStringLiteral("Verifique las siguientes opciones: ") + TwoLineBreaks
        + QStringLiteral("1) Ha ingresado letras donde debe ingresar numeros") + TwoLineBreaks
        + QStringLiteral("2) Debe ingresar una fecha y el formato es incorrecto") + TwoLineBreaks
        + QStringLiteral("En el campo: ") + campo;
}

QString serverErrorText(const platform::db::ProviderError &error)
{
    return QStringLiteral("Descripcion del Error: ") + QString::number(error.nativeError)
        + QStringLiteral(" - ") + error.description;
}

void showSaveError(const QString &text, const QString &title)
{
    platform::userDialogs().messageBox(text, msgbox::OkOnly | msgbox::Critical, title);
}

// Shows the box the server's error calls for; false when it calls for none.
bool explainServerError(const platform::db::ProviderError &error, const QString &campo)
{
    switch (error.nativeError) {
    case ServerConversionError:
        showSaveError(conversionText(campo), QStringLiteral("Error en conversion de datos "));
        return true;
    case native::NullNotAllowed:
        showSaveError(serverErrorText(error),
                      QStringLiteral("Error en conversion de datos - NULOS NO PERMITIDO"));
        return true;
    case native::DuplicateKey:
        showSaveError(serverErrorText(error) + TwoLineBreaks
                          + QStringLiteral("La grabacion se ha cancelado... Cambie el campo "
                                           "principal e intente grabar nuevamente"),
                      QStringLiteral("Clave Duplicada"));
        return true;
    default:
        return false;
    }
}

} // namespace

std::int16_t MensajeErrorGrabacion(const platform::Error &CodErr, const QString &Campo)
{
    if (CodErr.number() == platform::db::ado::WrongValueType) {
        showSaveError(conversionText(Campo), QStringLiteral("Error en conversion de datos"));
        return 0;
    }
    platform::db::Errors &errors = data::gDB().gCnn->errors();
    if (errors.count() > 0 && explainServerError(errors.item(0), Campo)) {
        errors.clear();
        return 0;
    }
    const std::int16_t answer
        = MensajeError(CodErr, std::nullopt, QStringLiteral("Actualizar Datos"));
    const bool decides
        = answer == msgbox::Abort || answer == msgbox::Retry || answer == msgbox::Ignore;
    return decides ? answer : 0;
}

} // namespace core
