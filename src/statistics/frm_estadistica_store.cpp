// The definition store of the main window: loading a stored definition and showing it, saving
// or deleting the one on screen, and keeping its suite menu entry in step.

#include "core/mod_global.h"
#include "data/db_dll.h"
#include "platform/suite/controles.h"
#include "platform/user_dialogs.h"
#include "statistics/definition_reader.h"
#include "statistics/definition_writer.h"
#include "statistics/frm_estadistica.h"
#include "statistics/menu_anchor.h"
#include "statistics/msflexgrid.h"

#include <QCheckBox>
#include <QLineEdit>

namespace statistics {

namespace {

// The name box is the header box whose column is NOMBRE; its text is used as typed.
QString definitionName(const QList<QLineEdit *> &header)
{
    const int index = platform::gControles().IndiceCampo(QStringLiteral("NOMBRE"), header);
    return header.value(index) ? header[index]->text() : QString();
}

} // namespace

void frm_Estadistica::CargarEstadistica(QString &Nombre)
{
    const platform::Outcome refill = platform::StepRunner::run(
        {[&] { CargaCpte(); }, [&] { CargarUNeg(); }, [&] { CargarCCostos(); }}, reportLoadError);
    if (refill == platform::Outcome::Left)
        return;
    const LoadedDefinition loaded
        = DefinitionReader(data::gDB()).read(Nombre, definitionOnScreen().header);
    if (loaded.noRows)
        MSFlexGrid1->setRows(MSFlexGrid1->Rows() + 1);
    showDefinition(loaded.definition, loaded.parts);
}

void frm_Estadistica::Actualizardatos()
{
    const StatisticDefinition definition = definitionOnScreen();
    const QString name = definition.name();

    DefinitionWriter writer(data::gDB());
    WriteResult result;
    if (Nuevo || Existe) {
        if (refuseEmptyDefinition())
            return;
        result = writer.replace(name, definition, rsDefinicion);
        if (result.completed) {
            // What is on screen is now the stored definition of this name.
            m_shownName = name;
            m_definitionAsLoaded = definition;
        }
    } else if (Borrando) {
        const int answer = platform::userDialogs().messageBox(
            QStringLiteral("¿Realmente desea eliminar la Estadistica seleccionada?"),
            platform::msgbox::YesNo | platform::msgbox::Critical,
            QStringLiteral("Aviso al operador"));
        if (answer != platform::msgbox::Yes) {
            HayError = true;
            return;
        }
        result = writer.remove(name, definition.header);
        if (result.completed)
            setCheckValue(*chkAlMenu, 0);
    } else {
        return;
    }

    if (result.failed)
        HayError = true;
    if (result.focusHeader && txtfields.value(*result.focusHeader))
        txtfields[*result.focusHeader]->setFocus();
    if (result.completed)
        AnclarAlMenu();
}

bool frm_Estadistica::refuseEmptyDefinition()
{
    // A save replaces the stored rows: with no line to store it would delete the definition
    // without the question Borrar asks, and leave its menu entry opening an empty window.
    if (!linesToStore(definitionOnScreen().lines).isEmpty())
        return false;
    HayError = true;
    platform::userDialogs().messageBox(
        QStringLiteral("Debe informar al menos un Grupo con una Cuenta"),
        platform::msgbox::Critical, QStringLiteral("Aviso al operador..."));
    MSFlexGrid1->setFocus();
    return true;
}

void frm_Estadistica::AnclarAlMenu()
{
    const QString name = definitionName(txtfields);
    MenuAnchor menu(data::gDB());
    if (checkValue(*chkAlMenu) == 1)
        menu.anchor(name, core::gUsuarioLogeado);
    else
        menu.remove(name);
}

} // namespace statistics
