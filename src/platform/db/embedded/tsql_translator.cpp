#include "platform/db/embedded/tsql_translator.h"

// Placeholder until the translator is written: the text runs as it is.
namespace platform::db::embedded {

TranslatedBatch translateBatch(const QString &tsql, const TranslationContext &)
{
    EngineStatement statement;
    statement.sql = tsql;
    statement.original = tsql;
    return {{statement}, std::nullopt};
}

std::optional<QString> canonicalDateTime(const QString &, DateOrder)
{
    return std::nullopt;
}

} // namespace platform::db::embedded
