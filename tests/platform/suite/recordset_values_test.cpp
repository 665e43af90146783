#include "../db/embedded/engine_fixture.h"
#include "platform/suite/controles.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

#include <QLineEdit>

using namespace platform;

namespace {

// One definition row of every column type the program reads into text.
class RecordsetValues : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        setRegionalSettings(RegionalSettings::spanishArgentina());
        run(QStringLiteral("CREATE TABLE MA_PANELCTA (NOMBRE varchar(30), FechaD datetime, "
                           "FechaH datetime, Importe money, Cantidad int, Tasa float, "
                           "Activo bit, Cuenta varchar(25) NULL)"));
        run(QStringLiteral("INSERT INTO MA_PANELCTA VALUES ('Ventas', '2026-03-05', "
                           "'2026-03-31 14:30:00', 1234.5, 7, 0.25, 1, NULL)"));
        m_rows = m_connection->execute(QStringLiteral("SELECT * FROM MA_PANELCTA"));
    }

    db::Recordset m_rows;
};

} // namespace

TEST_F(RecordsetValues, ValorTextoOfEachFieldType)
{
    const struct
    {
        const char *field;
        const char *text;
    } cases[] = {
        {"NOMBRE", "Ventas"},    {"FechaD", "05/03/2026"}, {"FechaH", "31/03/2026 14:30:00"},
        {"Importe", "1234,5"},   {"Cantidad", "7"},        {"Tasa", "0,25"},
        {"Activo", "Verdadero"}, {"Cuenta", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gUtil().ValorTexto(m_rows.field(QString::fromUtf8(c.field))),
                  QString::fromUtf8(c.text))
            << c.field;
}

TEST_F(RecordsetValues, LlenarControlesShowsTheRowByDataField)
{
    QWidget window;
    QList<QLineEdit *> txtfields;
    for (const char *field : {"nombre", "FechaD", "Cuenta", "NoExiste", ""}) {
        auto *box = new QLineEdit(QStringLiteral("antes"), &window);
        if (*field)
            box->setProperty(Controles::DataFieldProperty, QString::fromUtf8(field));
        txtfields << box;
    }
    gControles().LlenarControles(txtfields, m_rows);

    const QStringList shown = {QStringLiteral("Ventas"), QStringLiteral("05/03/2026"), QString(),
                               QStringLiteral("antes"), QStringLiteral("antes")};
    for (qsizetype i = 0; i < txtfields.size(); ++i)
        EXPECT_EQ(txtfields[i]->text(), shown[i]) << i;
}
