#include "data/frm_acceso.h"

#include "data/connection_list.h"
#include "data/connection_registration.h"
#include "data/task_timer_shortcut.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/user_dialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace data {

namespace {

const QString DefaultPort = QStringLiteral("1433");

struct ServerAndPort
{
    QString server;
    std::optional<QString> port;
};

// A stored connection line names its port after ":".
ServerAndPort splitPort(const QString &server, QLatin1Char separator = QLatin1Char(':'))
{
    const qsizetype at = server.indexOf(separator);
    if (at < 0)
        return {server, std::nullopt};
    return {server.left(at), server.mid(at + 1)};
}

bool isPort(const QString &text)
{
    bool isNumber = false;
    const int port = text.trimmed().toInt(&isNumber);
    return isNumber && port > 0 && port <= 65535;
}

// The port a box names; the default one for an empty box, zero or anything else that is not a
// port.
QString portOf(const QString &text)
{
    return isPort(text) ? QString::number(text.trimmed().toInt()) : DefaultPort;
}

// The server as the program hands it on: "host,port", the form every later step keeps whole
// (a "host:port" is cut to the host wherever a server is taken apart).
QString withPort(const QString &server, const QString &portBox)
{
    for (const QLatin1Char separator : {QLatin1Char(','), QLatin1Char(':')}) {
        const ServerAndPort split = splitPort(server, separator);
        if (split.port)
            return isPort(*split.port)
                ? split.server.trimmed() + QLatin1Char(',') + split.port->trimmed()
                : server;
    }
    const QString port = portOf(portBox);
    return port == DefaultPort ? server : server + QLatin1Char(',') + port;
}

// Keys that move the focus, accept or cancel type nothing: leaving the list with Tab must not
// undo what was typed in the boxes.
bool typesACharacter(const QKeyEvent &event)
{
    const QString text = event.text();
    return event.key() == Qt::Key_Backspace || (!text.isEmpty() && text.front().isPrint());
}

// The width at which a box shows the text whole, its frame and margins included.
int widthShowing(const QLineEdit &box, const QString &text)
{
    return box.fontMetrics().horizontalAdvance(text) + 16;
}

// The prompt is all that tells an empty box's purpose, so the box is never narrower than it.
QLineEdit *entryBox(QWidget *parent, const char *name, const QString &toolTip,
                    const QString &prompt)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(toolTip);
    box->setPlaceholderText(prompt);
    box->setMinimumWidth(widthShowing(*box, prompt));
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(QLatin1String(name));
    return pushButton;
}

// While a dialog registers a connection, a failed try offers to try again. OpenServerADODB
// then asks for the connection values once more; the dialog itself is already showing them,
// so they are given back as typed instead of opening a second dialog over the first.
const frmAcceso *registeringDialog = nullptr;

class RegistrationScope
{
public:
    explicit RegistrationScope(const frmAcceso &dialog) { registeringDialog = &dialog; }
    ~RegistrationScope() { registeringDialog = nullptr; }
    RegistrationScope(const RegistrationScope &) = delete;
    RegistrationScope &operator=(const RegistrationScope &) = delete;
};

class TypedValuesAgain final : public ConnectionDialog
{
public:
    explicit TypedValuesAgain(const TypedConnection &typed) : m_typed(typed) { }

    QString dbName() const override { return m_typed.database; }
    void setDbName(const QString &) override { }
    QString servidor() const override { return m_typed.server; }
    void setServidor(const QString &) override { }
    QString usuario() const override { return m_typed.user; }
    void setUsuario(const QString &) override { }
    QString userPassword() const override { return m_typed.password; }
    void setUserPassword(const QString &) override { }
    // The platform the opening preselects from the typed server, so a retry keeps it.
    int plataforma() const override { return m_platform; }
    void setPlataforma(int index) override { m_platform = index; }
    void showModal() override { }
    bool aceptar() const override { return true; }

private:
    TypedConnection m_typed;
    int m_platform = 0;
};

} // namespace

frmAcceso::frmAcceso(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Control de Acceso"));
    createControls();
    arrangeControls();
    connectControls();
    LlenarList();
}

void frmAcceso::createControls()
{
    lstBases = new QListWidget(this);
    lstBases->setObjectName(QStringLiteral("lstBases"));
    TxtDbName = entryBox(this, "TxtDbName", QStringLiteral("ingrese el nombre de la base de datos"),
                         QStringLiteral("ingrese el nombre de la base de datos"));
    TxtServidor = entryBox(this, "TxtServidor",
                           QStringLiteral("ingrese el nombre del servidor e instancia"),
                           QStringLiteral("ingrese el nombre del servidor e instancia"));
    TxtPuerto = entryBox(this, "TxtPuerto", QStringLiteral("Ingrese el Puerto "), QString());
    TxtPuerto->setText(DefaultPort);
    TxtUserId = entryBox(this, "TxtUserId", QStringLiteral("Ingrese el nombre de usuario"),
                         QStringLiteral("Ingrese el usuario"));
    TxtUserPassword
        = entryBox(this, "TxtUserPassword", QStringLiteral("Ingrese la contraseña"), QString());
    TxtUserPassword->setEchoMode(QLineEdit::Password);
    TxtUserPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    CboPlataformaDB = new QComboBox(this);
    CboPlataformaDB->setObjectName(QStringLiteral("CboPlataformaDB"));
    CboPlataformaDB->addItems({QStringLiteral("SQL Server"), QStringLiteral("ORACLE")});
    bcAceptar = button(this, "bcAceptar", QStringLiteral("Aceptar"));
    bcAceptar->setDefault(true);
    bcCancelar = button(this, "bcCancelar", QStringLiteral("Cancelar"));
    CmdRegistrar = button(this, "CmdRegistrar", QStringLiteral("Registrar"));
    CmdLineaComando = button(this, "CmdLineaComando", QStringLiteral("Crear Acceso Directo"));
}

void frmAcceso::arrangeControls()
{
    auto *listColumn = new QVBoxLayout;
    listColumn->addWidget(new QLabel(QStringLiteral("Conexiones registradas"), this));
    listColumn->addWidget(lstBases);

    auto *framAcceso = new QGroupBox(this);
    framAcceso->setObjectName(QStringLiteral("framAcceso"));
    auto *serverRow = new QHBoxLayout;
    serverRow->addWidget(TxtServidor, 1);
    serverRow->addWidget(TxtPuerto);
    TxtPuerto->setFixedWidth(widthShowing(*TxtPuerto, QStringLiteral("000000")));
    auto *entries = new QVBoxLayout(framAcceso);
    entries->addWidget(new QLabel(QStringLiteral("Complete los datos de conexion"), framAcceso));
    entries->addWidget(TxtDbName);
    entries->addLayout(serverRow);
    entries->addWidget(TxtUserId);
    entries->addWidget(TxtUserPassword);
    entries->addWidget(CboPlataformaDB);
    entries->addStretch();

    auto *panes = new QHBoxLayout;
    panes->addLayout(listColumn, 1);
    panes->addWidget(framAcceso, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdRegistrar);
    buttons->addWidget(CmdLineaComando);
    buttons->addStretch();
    buttons->addWidget(bcAceptar);
    buttons->addWidget(bcCancelar);

    auto *window = new QVBoxLayout(this);
    window->addLayout(panes);
    window->addLayout(buttons);

    for (QLabel *label : findChildren<QLabel *>())
        label->setObjectName(QStringLiteral("Label1"));
    const QList<QWidget *> tabOrder
        = {lstBases,        TxtDbName, TxtServidor, TxtPuerto,    TxtUserId,      TxtUserPassword,
           CboPlataformaDB, bcAceptar, bcCancelar,  CmdRegistrar, CmdLineaComando};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void frmAcceso::connectControls()
{
    // A key that moves the selection fills the boxes through the row change; a character typed
    // in the list restores them from the line still selected.
    lstBases->installEventFilter(this);
    connect(lstBases, &QListWidget::currentRowChanged, this, [this] { AsignarDatosBase(); });
    connect(lstBases, &QListWidget::itemClicked, this, [this] { AsignarDatosBase(); });
    connect(lstBases, &QListWidget::itemDoubleClicked, this, [this] {
        AsignarDatosBase();
        accept();
    });
    connect(bcAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(bcCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(CmdRegistrar, &QPushButton::clicked, this, [this] { registerTypedConnection(); });
    connect(CmdLineaComando, &QPushButton::clicked, this, [this] { createShortcut(); });
}

bool frmAcceso::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lstBases && event->type() == QEvent::KeyPress
        && typesACharacter(*static_cast<QKeyEvent *>(event)))
        AsignarDatosBase();
    return QDialog::eventFilter(watched, event);
}

QString frmAcceso::dbName() const
{
    return TxtDbName->text();
}

void frmAcceso::setDbName(const QString &value)
{
    TxtDbName->setText(value);
}

QString frmAcceso::servidor() const
{
    const QString server = TxtServidor->text();
    return server.isEmpty() ? server : withPort(server, TxtPuerto->text());
}

void frmAcceso::setServidor(const QString &value)
{
    ServerAndPort split = splitPort(value, QLatin1Char(','));
    if (!split.port)
        split = splitPort(value);
    TxtServidor->setText(split.server);
    TxtPuerto->setText(split.port.value_or(DefaultPort));
}

QString frmAcceso::usuario() const
{
    return TxtUserId->text();
}

void frmAcceso::setUsuario(const QString &value)
{
    TxtUserId->setText(value);
}

QString frmAcceso::userPassword() const
{
    return TxtUserPassword->text();
}

void frmAcceso::setUserPassword(const QString &value)
{
    TxtUserPassword->setText(value);
}

int frmAcceso::plataforma() const
{
    return CboPlataformaDB->currentIndex();
}

void frmAcceso::setPlataforma(int index)
{
    CboPlataformaDB->setCurrentIndex(index);
}

void frmAcceso::showModal()
{
    adjustSize();
    platform::gUtil().PrepararFormulario(*this, 0);
    TxtUserId->setFocus();
    platform::userDialogs().execModal(*this);
}

bool frmAcceso::aceptar() const
{
    return result() == QDialog::Accepted;
}

TypedConnection frmAcceso::typedConnection() const
{
    return {dbName(), servidor(), usuario(), userPassword()};
}

bool frmAcceso::EjecutarCmdRegDB(const QString &commandLine, QString &errorText)
{
    const QStringList words = QProcess::splitCommand(commandLine);
    if (!words.isEmpty() && platform::launcher().start(words.first(), words.mid(1), true))
        return true;
    errorText = QStringLiteral("Error al ejecutar el comando");
    return false;
}

void frmAcceso::LlenarList()
{
    QList<RegisteredConnection> connections;
    platform::StepRunner::run({
                                  [&] { connections = ConnectionList().read(); },
                                  [&] {
                                      lstBases->clear();
                                      for (const RegisteredConnection &connection : connections) {
                                          if (!connection.key.trimmed().isEmpty())
                                              lstBases->addItem(connection.key);
                                      }
                                      if (lstBases->count() > 0)
                                          lstBases->setCurrentRow(0);
                                  },
                              },
                              [](const platform::Error &error, int) {
                                  return platform::resumeForAnswer(MensajeError(
                                      error, std::nullopt, QStringLiteral("FormLoad")));
                              });
}

void frmAcceso::AsignarDatosBase()
{
    const QListWidgetItem *item = lstBases->currentItem();
    if (!item)
        return;
    std::optional<RegisteredConnection> found;
    platform::StepRunner::run({[&] { found = ConnectionList().find(item->text()); }},
                              [](const platform::Error &error, int) {
                                  return platform::resumeForAnswer(
                                      platform::gUtil().MuestraError(error));
                              });
    if (!found)
        return;
    const ServerAndPort split = splitPort(found->server);
    TxtServidor->setText(split.port ? split.server.trimmed().toUpper() : split.server);
    TxtUserId->clear();
    TxtUserPassword->clear();
    TxtDbName->setText(found->database);
    TxtPuerto->setText(split.port.value_or(DefaultPort));
}

void frmAcceso::registerTypedConnection()
{
    for (QLineEdit *box : {TxtServidor, TxtUserId, TxtUserPassword, TxtDbName})
        box->setText(box->text().trimmed());
    const RegistrationScope registering(*this);
    if (registerConnection(typedConnection()))
        LlenarList();
}

void frmAcceso::createShortcut()
{
    platform::StepRunner::run(
        {[] { createTaskTimerShortcut(); }}, [](const platform::Error &error, int) {
            return platform::resumeForAnswer(
                MensajeError(error, std::nullopt, QStringLiteral("CmdLineaComando")));
        });
}

void installConnectionDialog()
{
    setConnectionDialogFactory([]() -> std::unique_ptr<ConnectionDialog> {
        if (registeringDialog)
            return std::make_unique<TypedValuesAgain>(registeringDialog->typedConnection());
        return std::make_unique<frmAcceso>();
    });
}

} // namespace data
