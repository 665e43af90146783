#include "platform/db/embedded/tsql_translator.h"

#include <gtest/gtest.h>

using namespace platform::db::embedded;

TEST(Translator, Smoke)
{
    TranslationContext context;
    const TranslatedBatch batch
        = translateBatch(QStringLiteral("SELECT TOP 1 * FROM t with(nolock)"), context);
    ASSERT_FALSE(batch.error);
    ASSERT_EQ(batch.statements.size(), 1);
    EXPECT_EQ(batch.statements[0].sql.simplified().toStdString(), "SELECT * FROM t LIMIT 1");
}
