#include "core/field_assignment.h"
#include "core/save_errors.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/variant.h"
#include "services_test_support.h"

#include <QDateTime>

namespace {

using core::AsignarCampo;
using core::TextoABoolean;
using core_testing::englishSettings;
using core_testing::ScopedRegionalSettings;
namespace msgbox = platform::msgbox;

// One column of each field family, and a table with a key and a required column for the save
// errors.
class FieldAssignmentTest : public core_testing::CoreDatabaseTest
{
protected:
    void SetUp() override
    {
        CoreDatabaseTest::SetUp();
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
        runOnMain(QStringLiteral(
            "CREATE TABLE CAMPOS (ID int IDENTITY(1,1) PRIMARY KEY, CODIGO varchar(29) NULL, "
            "NOMBRE varchar(30) NULL, CANTIDAD int NULL, TASA float NULL, IMPORTE money NULL, "
            "ACTIVO bit NULL, FECHA datetime NULL)"));
        runOnMain(QStringLiteral("CREATE TABLE CLAVES (CLAVE varchar(10) NOT NULL PRIMARY KEY, "
                                 "OBLIGATORIO int NOT NULL)"));
    }

    void openForWriting(platform::db::Recordset &rs, const QString &table)
    {
        data::gDB().AbrirRecordset(QStringLiteral("SELECT * FROM ") + table, rs, nullptr,
                                   platform::db::adOpenDynamic, platform::db::adLockOptimistic);
        ASSERT_EQ(rs.state(), platform::db::adStateOpen);
    }

    // Assigns the text to the column of a new row, saves it and reads the stored value back.
    QVariant storedValue(const QString &column, const QString &text)
    {
        runOnMain(QStringLiteral("DELETE FROM CAMPOS"));
        platform::db::Recordset rs;
        openForWriting(rs, QStringLiteral("CAMPOS"));
        rs.addNew();
        QString name = column;
        AsignarCampo(rs, name, text);
        rs.update();
        data::gDB().CierraRecordset(rs);
        return valueOnMain(QStringLiteral("SELECT ") + name + QStringLiteral(" FROM CAMPOS"));
    }

    // The error a save of a row with these values raises.
    platform::Error saveError(const QString &clave, const QVariant &obligatorio)
    {
        platform::db::Recordset rs;
        openForWriting(rs, QStringLiteral("CLAVES"));
        rs.addNew();
        rs.field(QStringLiteral("CLAVE")).setValue(clave);
        if (obligatorio.isValid())
            rs.field(QStringLiteral("OBLIGATORIO")).setValue(obligatorio);
        try {
            rs.update();
        } catch (const platform::Error &error) {
            rs.cancelUpdate();
            data::gDB().CierraRecordset(rs);
            return error;
        }
        ADD_FAILURE() << "the save did not fail";
        return platform::Error(0, QString());
    }
};

QVariant null()
{
    return platform::nullVariant();
}

TEST_F(FieldAssignmentTest, EveryFieldFamilyGetsTheTextConvertedByItsType)
{
    struct Case
    {
        const char *column;
        const char *text;
        bool english;
        QVariant expected;
    };
    const QString blanks27(27, QLatin1Char(' '));
    const Case cases[] = {
        // Short text fields hold codes fitted to their width; longer ones the trimmed text.
        {"CODIGO", "  AB  ", false, QString(blanks27 + QStringLiteral("AB"))},
        {"CODIGO", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", false,
         QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ012")},
        {"CODIGO", "     ", false, null()},
        {"NOMBRE", "  AB  ", false, QStringLiteral("AB")},
        {"NOMBRE", "  O'Brien y Cía ", false, QStringLiteral("O'Brien y Cía")},
        {"NOMBRE", "", false, null()},
        {"NOMBRE", "   ", false, null()},
        // Numbers as the regional settings write them.
        {"CANTIDAD", "1.234", false, 1234},
        {"CANTIDAD", "1,234", true, 1234},
        {"CANTIDAD", "12,5", false, 12},
        {"CANTIDAD", "13.5", true, 14},
        {"CANTIDAD", "", false, 0},
        {"TASA", "1.234,5", false, 1234.5},
        {"TASA", "1,234.5", true, 1234.5},
        {"TASA", "0,0001", false, 0.0001},
        {"IMPORTE", "1.234,56", false,
         platform::currencyVariant(platform::Currency::fromScaled(12345600))},
        {"IMPORTE", "1,234.56", true,
         platform::currencyVariant(platform::Currency::fromScaled(12345600))},
        {"IMPORTE", "-0,0001", false,
         platform::currencyVariant(platform::Currency::fromScaled(-1))},
        // Truth values: only the false words are false.
        {"ACTIVO", "", false, true},
        {"ACTIVO", "n", false, false},
        {"ACTIVO", "Falso", false, false},
        {"ACTIVO", "si", false, true},
        {"ACTIVO", "quizas", false, true},
        // Dates in the regional order; a text that is no date gives Null.
        {"FECHA", "05/03/2026", false, QDateTime(QDate(2026, 3, 5), QTime(0, 0))},
        {"FECHA", "03/05/2026", true, QDateTime(QDate(2026, 3, 5), QTime(0, 0))},
        {"FECHA", "31/02/2026", false, null()},
        {"FECHA", "mañana", false, null()},
        {"FECHA", "", false, null()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.column) + " <- \"" + c.text + "\""
                     + (c.english ? " (English)" : " (Spanish)"));
        ScopedRegionalSettings settings(c.english ? englishSettings()
                                                  : platform::RegionalSettings::spanishArgentina());
        const QVariant stored = storedValue(QLatin1String(c.column), QString::fromUtf8(c.text));
        if (platform::isNull(c.expected))
            EXPECT_TRUE(platform::isNull(stored)) << stored.toString().toStdString();
        else if (platform::isCurrency(c.expected))
            EXPECT_EQ(stored.value<platform::Currency>(), c.expected.value<platform::Currency>());
        else
            EXPECT_EQ(stored, c.expected) << stored.toString().toStdString();
    }
}

TEST_F(FieldAssignmentTest, TheFieldNameComesBackWithoutBrackets)
{
    platform::db::Recordset rs;
    openForWriting(rs, QStringLiteral("CAMPOS"));
    rs.addNew();
    QString name = QStringLiteral("[NOMBRE]");

    AsignarCampo(rs, name, QStringLiteral("Ventas"));

    EXPECT_EQ(name, QStringLiteral("NOMBRE"));
    EXPECT_EQ(rs.field(QStringLiteral("NOMBRE")).value().toString(), QStringLiteral("Ventas"));
    rs.cancelUpdate();
}

TEST_F(FieldAssignmentTest, AMissingFieldRaisesInTheCaller)
{
    platform::db::Recordset rs;
    openForWriting(rs, QStringLiteral("CAMPOS"));
    rs.addNew();
    QString name = QStringLiteral("NO_EXISTE");

    EXPECT_THROW(AsignarCampo(rs, name, QStringLiteral("x")), platform::Error);
    rs.cancelUpdate();
}

TEST(TextoABoolean, OnlyTheWordsOfTheOtherSideChangeTheDefault)
{
    struct Case
    {
        const char *text;
        bool withTrueDefault;
        bool withFalseDefault;
    };
    const Case cases[] = {
        {"FALSE", false, false},   {"falso", false, false}, {"0", false, false},
        {"No", false, false},      {"n", false, false},     {"TRUE", true, true},
        {"verdadero", true, true}, {"1", true, true},       {"Si", true, true},
        {"s", true, true},         {"", true, false},       {"quizas", true, false},
        {" NO", true, false},      {"2", true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextoABoolean(QString::fromUtf8(c.text), true), c.withTrueDefault);
        EXPECT_EQ(TextoABoolean(QString::fromUtf8(c.text), false), c.withFalseDefault);
    }
}

TEST(FormatTexts, DayMonthShortYearAndHoursMinutes)
{
    const QDateTime entry(QDate(2026, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(entry.toString(core::FormatoFecha()), QStringLiteral("05/03/26"));
    EXPECT_EQ(entry.toString(core::FormatoHora()), QStringLiteral("14:07"));
    EXPECT_EQ(entry.toString(core::FormatoFechaHora()), QStringLiteral("05/03/26 14:07"));
}

// ---- Save errors ------------------------------------------------------------------------------

TEST_F(FieldAssignmentTest, SaveErrorsTheUserCanMendAreExplainedInBoxesOfTheirOwn)
{
    runOnMain(QStringLiteral("INSERT INTO CLAVES VALUES ('A', 1)"));
    const QString conversionText = QStringLiteral(
        "Verifique las siguientes opciones: \r\n\r\n1) Ha ingresado letras donde debe ingresar "
        "numeros\r\n\r\n2) Debe ingresar una fecha y el formato es incorrecto\r\n\r\nEn el "
        "campo: FECHAD");

    // A value the field refuses never reaches the server.
    {
        SCOPED_TRACE("conversion");
        platform::db::Recordset rs;
        openForWriting(rs, QStringLiteral("CAMPOS"));
        rs.addNew();
        try {
            rs.field(QStringLiteral("CANTIDAD")).setValue(QStringLiteral("doce"));
            FAIL() << "the field took a text";
        } catch (const platform::Error &error) {
            dialogs.answer(msgbox::Ok);
            EXPECT_EQ(core::MensajeErrorGrabacion(error, QStringLiteral("FECHAD")), 0);
        }
        rs.cancelUpdate();
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Error en conversion de datos"));
        EXPECT_EQ(dialogs.last().text, conversionText);
        EXPECT_EQ(dialogs.last().style, msgbox::OkOnly | msgbox::Critical);
    }

    struct Case
    {
        const char *why;
        const char *clave;
        QVariant obligatorio;
        const char *title;
        const char *textStart;
        const char *textEnd;
    };
    const Case cases[] = {
        {"null in a NOT NULL column", "B", QVariant(),
         "Error en conversion de datos - NULOS NO PERMITIDO", "Descripcion del Error: 515 - ",
         "OBLIGATORIO"},
        {"duplicate key", "A", 2, "Clave Duplicada", "Descripcion del Error: 2627 - ",
         "\r\n\r\nLa grabacion se ha cancelado... Cambie el campo principal e intente grabar "
         "nuevamente"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        const platform::Error error = saveError(QLatin1String(c.clave), c.obligatorio);
        ASSERT_GT(data::gDB().gCnn->errors().count(), 0);
        dialogs.answer(msgbox::Ok);

        EXPECT_EQ(core::MensajeErrorGrabacion(error, QStringLiteral("Actualizardatos")), 0);

        EXPECT_EQ(dialogs.last().title, QLatin1String(c.title));
        EXPECT_TRUE(dialogs.last().text.startsWith(QLatin1String(c.textStart)))
            << dialogs.last().text.toStdString();
        EXPECT_TRUE(dialogs.last().text.contains(QLatin1String(c.textEnd)))
            << dialogs.last().text.toStdString();
        EXPECT_EQ(dialogs.last().style, msgbox::OkOnly | msgbox::Critical);
        EXPECT_EQ(data::gDB().gCnn->errors().count(), 0);
    }
    EXPECT_TRUE(logLines().isEmpty());
}

// The first error the server reported decides the box, whatever the run-time error says.
TEST_F(FieldAssignmentTest, TheServersFirstErrorChoosesTheExplanation)
{
    struct Case
    {
        std::int32_t nativeError;
        int answer;
        int expected;
        const char *title;
        int errorsLeft;
    };
    const Case cases[] = {
        {1010, msgbox::Ok, 0, "Error en conversion de datos ", 0},
        {208, msgbox::Retry, 4, "RP_PANELCTA - Actualizar Datos Aviso al operador!!! - 2 ", 1},
    };
    const platform::Error failedSave(platform::db::hresult::ErrorsInCommand,
                                     QStringLiteral("Error del servidor"),
                                     QStringLiteral("RP_PANELCTA"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.nativeError);
        data::gDB().gCnn->errors().assign(
            {platform::db::ProviderError{platform::db::hresult::ErrorsInCommand,
                                         QStringLiteral("Error del servidor"),
                                         QString(),
                                         c.nativeError,
                                         {}}});
        dialogs.answer(c.answer);

        EXPECT_EQ(core::MensajeErrorGrabacion(failedSave, QStringLiteral("FECHAD")), c.expected);

        EXPECT_EQ(dialogs.last().title, QLatin1String(c.title));
        EXPECT_EQ(data::gDB().gCnn->errors().count(), c.errorsLeft);
    }
    EXPECT_TRUE(dialogs.shown()[0].text.endsWith(QStringLiteral("\r\n\r\nEn el campo: FECHAD")));
}

TEST_F(FieldAssignmentTest, OtherSaveErrorsGoToTheErrorBoxWhoseDecidingAnswerIsReturned)
{
    struct Case
    {
        int answer;
        int expected;
    };
    const Case cases[]
        = {{msgbox::Retry, 4}, {msgbox::Ignore, 5}, {msgbox::Abort, 3}, {msgbox::Cancel, 0}};
    const platform::Error mismatch(13, QStringLiteral("No coinciden los tipos"),
                                   QStringLiteral("RP_PANELCTA"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        dialogs.answer(c.answer);
        EXPECT_EQ(core::MensajeErrorGrabacion(mismatch, QStringLiteral("Actualizardatos")),
                  c.expected);
        EXPECT_EQ(dialogs.last().title,
                  QStringLiteral("RP_PANELCTA - Actualizar Datos Aviso al operador!!! - 2 "));
    }
    EXPECT_EQ(logLines().size(), 4);
}

} // namespace
