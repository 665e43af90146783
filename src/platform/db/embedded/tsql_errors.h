#pragma once

#include "platform/db/embedded/tsql_translator.h"

// The two ways a batch fails before anything of it runs.
namespace platform::db::embedded::tsql {

[[noreturn]] inline void throwSyntaxError(const QString &near)
{
    throw TranslationError{102, QStringLiteral("Incorrect syntax near '%1'.").arg(near)};
}

[[noreturn]] inline void throwUnsupported(const QString &construct)
{
    throw TranslationError{
        50000, QStringLiteral("Sentencia no soportada por el motor embebido: ") + construct};
}

} // namespace platform::db::embedded::tsql
