#include "platform/brezakit/brezactl.h"

#include <QAction>
#include <QApplication>
#include <QStyle>

namespace platform {

namespace {

struct Command
{
    const char *clave;
    const char *caption;
    int key; // Windows virtual-key code of the shortcut
    QStyle::StandardPixmap icon;
};

constexpr int VkF2 = 0x71;
constexpr int VkF3 = 0x72;
constexpr int VkF4 = 0x73;
constexpr int VkF5 = 0x74;
constexpr int VkF6 = 0x75;
constexpr int VkF7 = 0x76;
constexpr int VkF9 = 0x78;
constexpr int VkF12 = 0x7B;

// F8 is left to the window's group button.
const Command commands[] = {
    {"NUEVO", "Nuevo", VkF2, QStyle::SP_FileIcon},
    {"GRABAR", "Grabar", VkF5, QStyle::SP_DialogSaveButton},
    {"CANCELAR", "Cancelar", VkF4, QStyle::SP_DialogCancelButton},
    {"BORRAR", "Borrar", VkF6, QStyle::SP_TrashIcon},
    {"CONSULTAR", "Consultar", VkF3, QStyle::SP_FileDialogContentsView},
    {"REPORTE", "Reporte", VkF7, QStyle::SP_FileDialogDetailedView},
    {"PLANILLA", "Planilla", VkF9, QStyle::SP_FileDialogListView},
    {"CERRAR", "Cerrar", VkF12, QStyle::SP_DialogCloseButton},
};

const Command *findCommand(const QString &clave)
{
    for (const Command &command : commands) {
        if (clave.compare(QLatin1String(command.clave), Qt::CaseInsensitive) == 0)
            return &command;
    }
    return nullptr;
}

} // namespace

BrezaCtl::BrezaCtl(QWidget *parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("BrezaCtl1"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const Command &command : commands) {
        const QString clave = QString::fromLatin1(command.clave);
        QAction *action
            = addAction(style()->standardIcon(command.icon), QString::fromLatin1(command.caption));
        action->setToolTip(QStringLiteral("%1 [F%2]")
                               .arg(QString::fromLatin1(command.caption))
                               .arg(command.key - VkF2 + 2));
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, clave] { trigger(clave); });
        m_actions.insert(flagName(clave), action);
    }
    // Closing is always at hand until the window says otherwise.
    setFlag(QStringLiteral("cerrarenabled"), true);
}

const QStringList &BrezaCtl::claves()
{
    static const QStringList keys = [] {
        QStringList list;
        for (const Command &command : commands)
            list << QString::fromLatin1(command.clave);
        return list;
    }();
    return keys;
}

QString BrezaCtl::flagName(const QString &clave)
{
    // The lookup command's flag drops the "r" of its key.
    if (clave.compare(QLatin1String("CONSULTAR"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("consultaenabled");
    return clave.toLower() + QLatin1String("enabled");
}

void BrezaCtl::setFlag(const QString &flag, bool enabled)
{
    if (QAction *action = m_actions.value(flag.toLower()))
        action->setEnabled(enabled);
}

bool BrezaCtl::flag(const QString &flag) const
{
    const QAction *action = m_actions.value(flag.toLower());
    return action && action->isEnabled();
}

int BrezaCtl::shortcutKey(const QString &clave)
{
    const Command *command = findCommand(clave);
    return command ? command->key : 0;
}

void BrezaCtl::TeclaAccion(int &KeyCode)
{
    for (const Command &command : commands) {
        if (command.key == KeyCode) {
            if (trigger(QString::fromLatin1(command.clave)))
                KeyCode = 0;
            return;
        }
    }
}

bool BrezaCtl::trigger(const QString &clave)
{
    if (!findCommand(clave) || !flag(flagName(clave)))
        return false;
    QString key = clave;
    Q_EMIT Accion(key);
    return true;
}

} // namespace platform
