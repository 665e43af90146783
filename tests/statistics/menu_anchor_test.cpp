#include "core/mod_global.h"
#include "data/db_dll.h"
#include "statistics/menu_anchor.h"
#include "statistics_database_test.h"

namespace {

using statistics::MenuAnchor;

class MenuAnchorTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        core::gUsuarioLogeado = QStringLiteral("ANA");
    }

    void addEntry(const QString &key, const QString &name)
    {
        runOnMain(QStringLiteral("INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,"
                                 "HABILITADO) VALUES ('KORU','D957011','%1','%2','Reportes','',1)")
                      .arg(key, name));
    }
    void addParent()
    {
        runOnMain(QStringLiteral("INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,"
                                 "HABILITADO) VALUES ('KORU','D9570','D957011','Panel de "
                                 "Cuentas','Reportes','',1)"));
    }
    void grant(const QString &user, const QString &key)
    {
        runOnMain(QStringLiteral("INSERT INTO TA_TAREAS (USUARIO,SISTEMA,TAREA) VALUES "
                                 "('%1','CN000PR','%2')")
                      .arg(user, key));
    }
    QStringList menu()
    {
        return rowsOf(QStringLiteral("SELECT MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO "
                                     "FROM TA_MENU ORDER BY CLAVE"));
    }
    QStringList rights()
    {
        return rowsOf(
            QStringLiteral("SELECT USUARIO,SISTEMA,TAREA FROM TA_TAREAS ORDER BY TAREA,USUARIO"));
    }
    QString keyOf(const QString &name)
    {
        return valueOnMain(QStringLiteral("SELECT CLAVE FROM TA_MENU WHERE TITULO = 'D957011' "
                                          "AND NOMBRE = '%1'")
                               .arg(name))
            .toString();
    }

    MenuAnchor anchor{data::gDB()};
};

TEST_F(MenuAnchorTest, FirstAnchoringWritesTheParentTheEntryAndTheUsersRights)
{
    anchor.anchor(QStringLiteral("Ventas"), core::gUsuarioLogeado);

    EXPECT_EQ(menu(),
              (QStringList{
                  "KORU|D9570|D957011|Panel de Cuentas|Reportes||1",
                  "KORU|D957011|D95701101|Ventas|Reportes|shell:RP_PANELCTA "
                  "@PARAMETROADICIONAL= CFG_Ventas|1",
              }));
    EXPECT_EQ(rights(), (QStringList{"ANA|CN000PR|D957011", "ANA|CN000PR|D95701101"}));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(MenuAnchorTest, NewEntryIsNumberedAfterTheHighestOne)
{
    const struct
    {
        QStringList existingKeys;
        const char *expectedKey;
    } cases[] = {
        {{"D95701101", "D95701104"}, "D95701105"},
        {{"D95701104", "D95701101"}, "D95701105"},
        // A removed highest entry frees its number; one in the middle does not.
        {{"D95701102"}, "D95701103"},
        {{"ABC"}, "D95701101"},
        // Past 99 the keys no longer sort by number as text.
        {{"D95701199", "D957011100"}, "D957011101"},
    };
    for (const auto &c : cases) {
        runOnMain(QStringLiteral("DELETE TA_MENU"));
        addParent();
        for (int i = 0; i < c.existingKeys.size(); ++i)
            addEntry(c.existingKeys[i], QStringLiteral("Otra %1").arg(i));

        anchor.anchor(QStringLiteral("Nueva"), core::gUsuarioLogeado);

        EXPECT_EQ(keyOf(QStringLiteral("Nueva")), QString::fromLatin1(c.expectedKey))
            << c.existingKeys.join(' ').toStdString();
    }
}

TEST_F(MenuAnchorTest, AnAnchoredDefinitionIsLeftAsItIsWhoeverSavesIt)
{
    addParent();
    addEntry(QStringLiteral("D95701103"), QStringLiteral("Ventas"));
    grant(QStringLiteral("ANA"), QStringLiteral("D95701103"));
    const QStringList menuBefore = menu();

    anchor.anchor(QStringLiteral("Ventas"), QStringLiteral("LUIS"));

    EXPECT_EQ(menu(), menuBefore);
    EXPECT_EQ(rights(), QStringList{"ANA|CN000PR|D95701103"});
}

TEST_F(MenuAnchorTest, RemovingAnEntryTakesEveryUsersRightAndTheParentOnceEmpty)
{
    addParent();
    addEntry(QStringLiteral("D95701101"), QStringLiteral("Ventas"));
    addEntry(QStringLiteral("D95701102"), QStringLiteral("Compras"));
    for (const char *user : {"ANA", "LUIS"}) {
        grant(QString::fromLatin1(user), QStringLiteral("D957011"));
        grant(QString::fromLatin1(user), QStringLiteral("D95701101"));
        grant(QString::fromLatin1(user), QStringLiteral("D95701102"));
    }

    anchor.remove(QStringLiteral("Ventas"));
    EXPECT_EQ(menu().size(), 2);
    EXPECT_EQ(keyOf(QStringLiteral("Compras")), QStringLiteral("D95701102"));
    EXPECT_EQ(rights(),
              (QStringList{"ANA|CN000PR|D957011", "LUIS|CN000PR|D957011", "ANA|CN000PR|D95701102",
                           "LUIS|CN000PR|D95701102"}));

    anchor.remove(QStringLiteral("Compras"));
    EXPECT_TRUE(menu().isEmpty());
    EXPECT_TRUE(rights().isEmpty());
}

TEST_F(MenuAnchorTest, RemovingADefinitionWithoutEntryTouchesNoOtherRight)
{
    addParent();
    addEntry(QStringLiteral("D95701101"), QStringLiteral("Ventas"));
    grant(QStringLiteral("ANA"), QStringLiteral("D95701101"));
    grant(QStringLiteral("ANA"), QString());

    anchor.remove(QStringLiteral("Nunca Anclada"));

    EXPECT_EQ(menu().size(), 2);
    EXPECT_EQ(rights(), (QStringList{"ANA|CN000PR|", "ANA|CN000PR|D95701101"}));
}

TEST_F(MenuAnchorTest, ANameHoldingAQuoteIsAnchoredAndRemovedAsTyped)
{
    const QString name = QStringLiteral("Ventas d'Oro");

    anchor.anchor(name, QStringLiteral("O'Neil"));
    EXPECT_EQ(keyOf(QStringLiteral("Ventas d''Oro")), QStringLiteral("D95701101"));
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT PROCESO FROM TA_MENU WHERE CLAVE = 'D95701101'")),
              QStringLiteral("shell:RP_PANELCTA @PARAMETROADICIONAL= CFG_Ventas d'Oro"));
    EXPECT_EQ(rights(), (QStringList{"O'Neil|CN000PR|D957011", "O'Neil|CN000PR|D95701101"}));

    anchor.remove(name);
    EXPECT_TRUE(menu().isEmpty());
    EXPECT_TRUE(rights().isEmpty());
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(MenuAnchorTest, EntryKeysAndCommand)
{
    EXPECT_EQ(MenuAnchor::entryKey(1), QStringLiteral("D95701101"));
    EXPECT_EQ(MenuAnchor::entryKey(12), QStringLiteral("D95701112"));
    EXPECT_EQ(MenuAnchor::entryKey(100), QStringLiteral("D957011100"));
    EXPECT_EQ(MenuAnchor::entryCommand(QStringLiteral("Ventas")),
              QStringLiteral("shell:RP_PANELCTA @PARAMETROADICIONAL= CFG_Ventas"));
}

} // namespace
