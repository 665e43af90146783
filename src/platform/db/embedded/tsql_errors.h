#pragma once

#include "platform/db/ado.h"
#include "platform/db/embedded/tsql_translator.h"

// The two ways a batch fails before anything of it runs.
namespace platform::db::embedded::tsql {

[[noreturn]] inline void throwSyntaxError(const QString &near)
{
    throw TranslationError{native::SyntaxError,
                           QStringLiteral("Incorrect syntax near '%1'.").arg(near)};
}

[[noreturn]] inline void throwUnsupported(const QString &construct)
{
    throw TranslationError{native::Unsupported,
                           QStringLiteral("Sentencia no soportada por el motor embebido: ")
                               + construct};
}

} // namespace platform::db::embedded::tsql
