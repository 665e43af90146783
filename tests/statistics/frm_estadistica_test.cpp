#include "platform/brezakit/brezactl.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using platform::BrezaCtl;

// The toolbar offers a command, by button or shortcut key, only while its flag is set.
TEST(BrezaCtlTest, RaisesAccionOnlyForEnabledCommands)
{
    BrezaCtl toolbar;
    QStringList raised;
    QObject::connect(&toolbar, &BrezaCtl::Accion, [&](QString &clave) { raised << clave; });

    toolbar.setFlag(QStringLiteral("GrabarEnabled"), true);
    int grabarKey = BrezaCtl::shortcutKey(QStringLiteral("GRABAR"));
    int borrarKey = BrezaCtl::shortcutKey(QStringLiteral("BORRAR"));
    int unknownKey = 'A';
    toolbar.TeclaAccion(grabarKey);
    toolbar.TeclaAccion(borrarKey);
    toolbar.TeclaAccion(unknownKey);
    toolbar.trigger(QStringLiteral("reporte"));
    toolbar.trigger(QStringLiteral("CERRAR"));

    EXPECT_EQ(raised, (QStringList{QStringLiteral("GRABAR"), QStringLiteral("CERRAR")}));
    EXPECT_TRUE(toolbar.flag(QStringLiteral("grabarenabled")));
    EXPECT_FALSE(toolbar.flag(QStringLiteral("borrarenabled")));
    EXPECT_FALSE(toolbar.flag(QStringLiteral("noexiste")));
}

TEST(BrezaCtlTest, FlagNamesOfTheEightCommands)
{
    QStringList flags;
    for (const QString &clave : BrezaCtl::claves())
        flags << BrezaCtl::flagName(clave);
    EXPECT_EQ(
        flags,
        (QStringList{"nuevoenabled", "grabarenabled", "cancelarenabled", "borrarenabled",
                     "consultaenabled", "reporteenabled", "planillaenabled", "cerrarenabled"}));
}

} // namespace
