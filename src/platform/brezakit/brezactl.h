#pragma once

#include <QHash>
#include <QString>
#include <QToolBar>
#include <QVariant>

class QAction;

namespace platform {

// The suite's command toolbar: one button per command, each raising Accion with the command's
// key. A command is offered only while its enabled flag is set; the window writes the flags as
// its state changes and hands the toolbar its key presses, which the toolbar turns into commands
// through its shortcut keys.
class BrezaCtl : public QToolBar
{
    Q_OBJECT
    Q_PROPERTY(QVariant StyleBar READ StyleBar WRITE setStyleBar)

public:
    explicit BrezaCtl(QWidget *parent = nullptr);

    // The command keys, in the order of the buttons.
    static const QStringList &claves();
    // The key of a command's enabled flag: "GRABAR" has "grabarenabled", "CONSULTAR"
    // "consultaenabled".
    static QString flagName(const QString &clave);

    // Enabled flags by their names ("nuevoenabled", ...), case ignored; unknown names are
    // ignored and read false.
    void setFlag(const QString &flag, bool enabled);
    bool flag(const QString &flag) const;

    // Turns a shortcut key into its command when that command is enabled; any other key does
    // nothing. A key that raised a command is used up: KeyCode becomes 0, so the caller does not
    // hand it on to a control as well.
    void TeclaAccion(int &KeyCode);

    // The shortcut key code of a command (a Windows virtual-key code).
    static int shortcutKey(const QString &clave);

    QVariant StyleBar() const { return m_styleBar; }
    void setStyleBar(const QVariant &style) { m_styleBar = style; }

    // Raises Accion for the command as a click on its button would, when it is enabled; false
    // when the command is not offered.
    bool trigger(const QString &clave);

Q_SIGNALS:
    void Accion(QString &clave);

private:
    QHash<QString, QAction *> m_actions; // by enabled-flag name
    QVariant m_styleBar;
};

} // namespace platform
