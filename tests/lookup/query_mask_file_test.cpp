#include "core/query_masks.h"
#include "lookup/query_mask_file.h"
#include "mask_records.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>

namespace {

using lookup_testing::maskRecord;

class QueryMaskFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_folder.filePath(QStringLiteral("consultas.tvc")); }

    void writeRecords(std::initializer_list<QByteArray> records) const
    {
        ASSERT_TRUE(lookup_testing::writeMaskRecords(path(), records));
    }

    QTemporaryDir m_folder;
};

TEST_F(QueryMaskFileTest, TheDefaultMasksAreFoundByNameWhateverItsCaseAndBlanks)
{
    core::DefinirConsultas(path());
    struct Case
    {
        QString name;
        bool found;
        QString selectList;
    };
    const Case cases[] = {
        {QStringLiteral("v_ta_tareas"), true, QStringLiteral("Descripcion,IdTarea")},
        {QStringLiteral("  MA_CUENTAS "), true, QStringLiteral("DESCRIPCION,CODIGO")},
        {QStringLiteral("vt_clientes"), true, QStringLiteral("RAZON_SOCIAL,CODIGO,CONTACTO")},
        {QStringLiteral("V_TA_DEPOSITO"), true, QStringLiteral("Descripcion,IdDeposito")},
        {QStringLiteral("MA_CUENTA"), false, {}},
        {QString(), false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        lookup::RegistroMascara mask;
        ASSERT_EQ(lookup::findQueryMask(path(), c.name, mask), c.found);
        if (c.found) {
            EXPECT_EQ(mask.selectList(), c.selectList);
            EXPECT_EQ(mask.fixedCondition(), QString());
        }
    }
}

TEST_F(QueryMaskFileTest, FieldsAreReadUpToTheirEndMarksAndPadding)
{
    struct Case
    {
        const char *what;
        QByteArray record;
        QString selectList;
        QString condition;
    };
    const Case cases[] = {
        {"a byte 0 ends the table name",
         maskRecord(QByteArray("MA_CUENTAS\0resto", 16), "|A|B|"),
         QStringLiteral("A,B"),
         {}},
        {"a byte 255 ends the table name",
         maskRecord("MA_CUENTAS\xFFresto", "|A|B|"),
         QStringLiteral("A,B"),
         {}},
        {"the column list is not cut at a byte 0",
         maskRecord("MA_CUENTAS", QByteArray("|A|\0|B|", 7)),
         QStringLiteral("A,") + QChar(0) + QStringLiteral(",B"),
         {}},
        {"two bars and nothing else read as every column",
         maskRecord("MA_CUENTAS", "||"),
         QStringLiteral("*"),
         {}},
        {"a blank column list reads as every column",
         maskRecord("MA_CUENTAS", ""),
         QStringLiteral("*"),
         {}},
        {"one column", maskRecord("MA_CUENTAS", "  |CODIGO| "), QStringLiteral("CODIGO"), {}},
        {"the condition ends at a byte 0",
         maskRecord("MA_CUENTAS", "|A|B|", QByteArray(" Titulo = 0\0resto", 18)),
         QStringLiteral("A,B"), QStringLiteral("Titulo = 0")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeRecords({c.record});
        lookup::RegistroMascara mask;
        ASSERT_TRUE(lookup::findQueryMask(path(), QStringLiteral("ma_cuentas"), mask));
        EXPECT_EQ(mask.selectList(), c.selectList);
        EXPECT_EQ(mask.fixedCondition(), c.condition);
    }
}

TEST_F(QueryMaskFileTest, TheFirstRecordOfANameWins)
{
    writeRecords({maskRecord("OTRA", "|X|Y|"), maskRecord("MA_CUENTAS", "|CODIGO|DESCRIPCION|"),
                  maskRecord("Ma_Cuentas", "|DESCRIPCION|CODIGO|")});

    lookup::RegistroMascara mask;
    ASSERT_TRUE(lookup::findQueryMask(path(), QStringLiteral("MA_CUENTAS"), mask));

    EXPECT_EQ(mask.selectList(), QStringLiteral("CODIGO,DESCRIPCION"));
}

TEST_F(QueryMaskFileTest, NoFileAtThePathFindsNothing)
{
    lookup::RegistroMascara mask;
    EXPECT_FALSE(lookup::findQueryMask(path(), QStringLiteral("MA_CUENTAS"), mask));
    EXPECT_FALSE(lookup::findQueryMask(m_folder.path(), QStringLiteral("MA_CUENTAS"), mask));
}

} // namespace
