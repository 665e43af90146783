#pragma once

#include "data/services.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace data {

struct TypedConnection;

// "Control de Acceso": the modal dialog in which the user picks one of the registered
// connections or types another, and registers new ones in the connection list. Each control's
// object name is its own name (lstBases, TxtDbName, ...), so it can be found by it.
class frmAcceso final : public QDialog, public ConnectionDialog
{
public:
    explicit frmAcceso(QWidget *parent = nullptr);

    QString dbName() const override;
    void setDbName(const QString &value) override;
    // The server with the port of the port box after ":", unless that is the default port or
    // the server text already names one.
    QString servidor() const override;
    // A server carrying a port after ":" fills the port box with it; one without, with the
    // default port.
    void setServidor(const QString &value) override;
    QString usuario() const override;
    void setUsuario(const QString &value) override;
    QString userPassword() const override;
    void setUserPassword(const QString &value) override;
    int plataforma() const override;
    void setPlataforma(int index) override;

    void showModal() override;
    bool aceptar() const override;

    // The connection as the boxes hold it.
    TypedConnection typedConnection() const;

    // Runs a command line and returns once the program has ended. False, with errorText set,
    // when it could not be started.
    static bool EjecutarCmdRegDB(const QString &commandLine, QString &errorText);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void arrangeControls();
    void connectControls();

    void LlenarList();
    void AsignarDatosBase();
    void registerTypedConnection();
    void createShortcut();

    QListWidget *lstBases;
    QLineEdit *TxtDbName;
    QLineEdit *TxtServidor;
    QLineEdit *TxtPuerto;
    QLineEdit *TxtUserId;
    QLineEdit *TxtUserPassword;
    QComboBox *CboPlataformaDB;
    QPushButton *bcAceptar;
    QPushButton *bcCancelar;
    QPushButton *CmdRegistrar;
    QPushButton *CmdLineaComando;
};

// Makes frmAcceso the dialog OpenServerADODB shows when it asks for the connection values.
void installConnectionDialog();

} // namespace data
