#include "../core/services_test_support.h"
#include "../platform/platform_test_helpers.h"
#include "data/connection_list.h"
#include "data/connection_registration.h"
#include "data/frm_acceso.h"
#include "data_fixture.h"
#include "platform/legacy_files.h"
#include "platform/suite/utilidades.h"
#include "qt_printers.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace {

using data::frmAcceso;
using data::gDB;
using data_testing::DataTest;
using Shown = testing_support::ScriptedDialogs::Shown;
namespace msgbox = platform::msgbox;

// The dialog's controls, found by the names the program gives them.
struct Controls
{
    explicit Controls(QDialog &dialog)
        : lstBases(dialog.findChild<QListWidget *>(QStringLiteral("lstBases"))),
          TxtDbName(box(dialog, "TxtDbName")), TxtServidor(box(dialog, "TxtServidor")),
          TxtPuerto(box(dialog, "TxtPuerto")), TxtUserId(box(dialog, "TxtUserId")),
          TxtUserPassword(box(dialog, "TxtUserPassword")),
          CboPlataformaDB(dialog.findChild<QComboBox *>(QStringLiteral("CboPlataformaDB"))),
          bcAceptar(button(dialog, "bcAceptar")), bcCancelar(button(dialog, "bcCancelar")),
          CmdRegistrar(button(dialog, "CmdRegistrar")),
          CmdLineaComando(button(dialog, "CmdLineaComando"))
    { }

    static QLineEdit *box(QDialog &dialog, const char *name)
    {
        return dialog.findChild<QLineEdit *>(QLatin1String(name));
    }
    static QPushButton *button(QDialog &dialog, const char *name)
    {
        return dialog.findChild<QPushButton *>(QLatin1String(name));
    }

    QStringList listed() const
    {
        QStringList keys;
        for (int i = 0; i < lstBases->count(); ++i)
            keys << lstBases->item(i)->text();
        return keys;
    }

    void type(const QString &database, const QString &server, const QString &user = {},
              const QString &password = {})
    {
        TxtDbName->setText(database);
        TxtServidor->setText(server);
        TxtUserId->setText(user);
        TxtUserPassword->setText(password);
    }

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

class ConnectionDialogTest : public DataTest
{
protected:
    // The registration tests a database through a login named like it; "luis" is a user of the
    // server typed in by hand.
    ConnectionDialogTest()
    {
        data::installConnectionDialog();
        for (const char *database : {"PRUEBA", "VENTAS"})
            addLogin(QString::fromLatin1(database), QString::fromLatin1(database));
        addLogin(QStringLiteral("luis"), QStringLiteral("otra"));
    }

    QString listPath() const { return m_folder.filePath(QStringLiteral("BASES.TXT")); }
    void writeList(const QStringList &lines) { platform::writeTextLines(listPath(), lines); }
    QStringList listLines() const
    {
        return QFile::exists(listPath()) ? platform::readTextLines(listPath()) : QStringList();
    }
    int dialogsShown() const
    {
        return int(std::count_if(m_dialogs.shown().begin(), m_dialogs.shown().end(),
                                 [](const Shown &s) { return s.kind == Shown::Kind::Dialog; }));
    }
    // A registered line as the registration writes it for a database of its own login.
    static QString registeredLine(const QString &database, const QString &server)
    {
        return data::connectionKey(database, server) + QLatin1Char(',') + database
            + QLatin1Char(',') + database + QLatin1Char(',') + platform::gUtil().Codificar(database)
            + QLatin1Char(',') + server;
    }

    core_testing::RecordingLauncher m_launcher;
};

TEST_F(ConnectionDialogTest, TheListShowsTheRegisteredKeysAndTheFirstLineFillsTheBoxes)
{
    writeList({QStringLiteral("PRUEBA / (EMBEBIDO),PRUEBA,PRUEBA,X,(embebido)"),
               QStringLiteral("broken,line"), QStringLiteral(" ,NOKEY,U,X,srv"),
               QStringLiteral("VENTAS / SRV,Ventas,Ventas,X,srv\\inst:1500")});
    frmAcceso dialog;
    Controls c(dialog);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Control de Acceso"));
    EXPECT_EQ(c.listed(),
              QStringList({QStringLiteral("PRUEBA / (EMBEBIDO)"), QStringLiteral("VENTAS / SRV")}));
    EXPECT_EQ(c.lstBases->currentRow(), 0);
    EXPECT_EQ(c.TxtDbName->text(), QStringLiteral("PRUEBA"));
    EXPECT_EQ(c.TxtServidor->text(), QStringLiteral("(embebido)"));
    EXPECT_EQ(c.TxtPuerto->text(), QStringLiteral("1433"));
    EXPECT_EQ(m_dialogs.count(), 0);
}

TEST_F(ConnectionDialogTest, SelectingALineFillsTheBoxesWithItsPortOrTheDefault)
{
    writeList({QStringLiteral("A / SRV,Alfa,A,X,srv\\inst : 1500"),
               QStringLiteral("B / OTRO,Beta,B,X,otro")});
    frmAcceso dialog;
    Controls c(dialog);
    struct Case
    {
        int row;
        QString server;
        QString port;
        QString database;
    };
    const Case cases[] = {
        {1, QStringLiteral("otro"), QStringLiteral("1433"), QStringLiteral("Beta")},
        {0, QStringLiteral("SRV\\INST"), QStringLiteral(" 1500"), QStringLiteral("Alfa")},
    };
    for (const Case &expected : cases) {
        c.TxtUserId->setText(QStringLiteral("typed user"));
        c.TxtUserPassword->setText(QStringLiteral("typed secret"));
        c.lstBases->setCurrentRow(expected.row);
        EXPECT_EQ(c.TxtServidor->text(), expected.server) << expected.row;
        EXPECT_EQ(c.TxtPuerto->text(), expected.port) << expected.row;
        EXPECT_EQ(c.TxtDbName->text(), expected.database) << expected.row;
        EXPECT_EQ(c.TxtUserId->text(), QString()) << "stored users are never shown";
        EXPECT_EQ(c.TxtUserPassword->text(), QString());
    }
    EXPECT_EQ(dialog.servidor(), QStringLiteral("SRV\\INST,1500"));

    const std::pair<const char *, std::function<void()>> restorers[] = {
        {"a click", [&] { Q_EMIT c.lstBases->itemClicked(c.lstBases->item(0)); }},
        {"a key that keeps the row",
         [&] {
             QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
             QCoreApplication::sendEvent(c.lstBases, &space);
         }},
    };
    for (const auto &[name, restore] : restorers) {
        c.TxtServidor->setText(QStringLiteral("changed"));
        c.TxtDbName->setText(QStringLiteral("changed"));
        restore();
        EXPECT_EQ(c.TxtServidor->text(), QStringLiteral("SRV\\INST"))
            << name << " restores the line";
        EXPECT_EQ(c.TxtDbName->text(), QStringLiteral("Alfa")) << name;
        EXPECT_EQ(c.lstBases->currentRow(), 0) << name;
    }

    c.TxtUserId->setText(QStringLiteral("typed user"));
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(c.lstBases, &tab);
    EXPECT_EQ(c.TxtUserId->text(), QStringLiteral("typed user")) << "leaving the list keeps it";
}

TEST_F(ConnectionDialogTest, PromptsArePlaceholdersSoEmptyBoxesGiveEmptyValues)
{
    frmAcceso dialog;
    Controls c(dialog);
    const std::pair<QLineEdit *, QString> prompts[] = {
        {c.TxtDbName, QStringLiteral("ingrese el nombre de la base de datos")},
        {c.TxtServidor, QStringLiteral("ingrese el nombre del servidor e instancia")},
        {c.TxtUserId, QStringLiteral("Ingrese el usuario")},
        {c.TxtUserPassword, QString()},
    };
    dialog.adjustSize();
    for (const auto &[box, prompt] : prompts) {
        EXPECT_EQ(box->placeholderText(), prompt) << box->objectName().toStdString();
        EXPECT_EQ(box->text(), QString()) << box->objectName().toStdString();
        EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(prompt))
            << box->objectName().toStdString() << " shows its prompt whole";
    }
    EXPECT_GT(c.TxtPuerto->width(), c.TxtPuerto->fontMetrics().horizontalAdvance("65535"));
    EXPECT_EQ(c.TxtUserPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(c.lstBases->count(), 0) << "no list file";
    EXPECT_EQ(dialog.dbName(), QString());
    EXPECT_EQ(dialog.servidor(), QString());
    EXPECT_EQ(dialog.usuario(), QString());
    EXPECT_EQ(dialog.userPassword(), QString());
}

TEST_F(ConnectionDialogTest, TheServerCarriesItsPortAsHostCommaPort)
{
    struct Case
    {
        QString server;
        QString port;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("srv"), QStringLiteral("1433"), QStringLiteral("srv")},
        {QStringLiteral("srv"), QStringLiteral("1500"), QStringLiteral("srv,1500")},
        {QStringLiteral("srv"), QStringLiteral(" 1500 "), QStringLiteral("srv,1500")},
        {QStringLiteral("srv"), QStringLiteral("0"), QStringLiteral("srv")},
        {QStringLiteral("srv"), QString(), QStringLiteral("srv")},
        {QStringLiteral("srv"), QStringLiteral("puerto"), QStringLiteral("srv")},
        {QStringLiteral("srv:1600"), QStringLiteral("1500"), QStringLiteral("srv,1600")},
        {QStringLiteral("srv\\inst : 1600"), QStringLiteral("1433"),
         QStringLiteral("srv\\inst,1600")},
        {QStringLiteral("srv,1600"), QStringLiteral("1500"), QStringLiteral("srv,1600")},
        {QStringLiteral("srv:abc"), QStringLiteral("1500"), QStringLiteral("srv:abc")},
        {QString(), QStringLiteral("1500"), QString()},
    };
    frmAcceso dialog;
    Controls c(dialog);
    for (const Case &k : cases) {
        c.TxtServidor->setText(k.server);
        c.TxtPuerto->setText(k.port);
        EXPECT_EQ(dialog.servidor(), k.expected)
            << k.server.toStdString() << " " << k.port.toStdString();
    }

    for (const char *handedOn : {"host:1500", "host,1500"}) {
        dialog.setServidor(QString::fromLatin1(handedOn));
        EXPECT_EQ(c.TxtServidor->text(), QStringLiteral("host")) << handedOn;
        EXPECT_EQ(c.TxtPuerto->text(), QStringLiteral("1500")) << handedOn;
    }
    dialog.setServidor(QStringLiteral("other"));
    EXPECT_EQ(c.TxtPuerto->text(), QStringLiteral("1433"));
}

TEST_F(ConnectionDialogTest, AcceptingHandsTheBoxesToTheOpening)
{
    createDatabase(QStringLiteral("VENTAS"));
    writeList({registeredLine(QStringLiteral("PRUEBA"), QStringLiteral("(embebido)")),
               registeredLine(QStringLiteral("VENTAS"), QStringLiteral("(embebido)"))});
    gDB().gDBName = QStringLiteral("ANTES");
    gDB().gServidor = QStringLiteral("viejo:1600");
    gDB().gUsuario = QStringLiteral("ana");
    gDB().gUserPassWord = QStringLiteral("clave");
    m_dialogs.onDialog([](QDialog &dialog) {
        Controls c(dialog);
        EXPECT_EQ(c.TxtDbName->text(), QStringLiteral("ANTES"));
        EXPECT_EQ(c.TxtServidor->text(), QStringLiteral("viejo"));
        EXPECT_EQ(c.TxtPuerto->text(), QStringLiteral("1600"));
        EXPECT_EQ(c.TxtUserId->text(), QStringLiteral("ana"));
        EXPECT_EQ(c.TxtUserPassword->text(), QStringLiteral("clave"));
        EXPECT_EQ(c.CboPlataformaDB->currentIndex(), 0);
        c.lstBases->setCurrentRow(1);
        c.TxtUserId->setText(QStringLiteral("luis"));
        c.TxtUserPassword->setText(QStringLiteral("otra"));
        c.bcAceptar->click();
        return dialog.result();
    });

    gDB().OpenServerADODB(true, platform::db::adUseClient, QString(), false, true);

    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateOpen);
    EXPECT_EQ(gDB().gDBName, QStringLiteral("VENTAS"));
    EXPECT_EQ(gDB().gServidor, QStringLiteral("(embebido)"));
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("luis"));
    EXPECT_EQ(gDB().gUserPassWord, QStringLiteral("otra"));
    EXPECT_EQ(gDB().gProveedor, QStringLiteral("SQLOLEDB"));
}

TEST_F(ConnectionDialogTest, DoubleClickAcceptsTheLineAndCancelOpensNothing)
{
    writeList({registeredLine(QStringLiteral("PRUEBA"), QStringLiteral("(embebido)"))});
    m_dialogs.onDialog([](QDialog &dialog) {
        Controls c(dialog);
        c.TxtServidor->setText(QStringLiteral("otro"));
        Q_EMIT c.lstBases->itemDoubleClicked(c.lstBases->item(0));
        return dialog.result();
    });
    // The selection empties the user and password, so the server refuses the login.
    m_dialogs.answer(msgbox::No);
    gDB().OpenServerADODB(true, platform::db::adUseClient, QString(), false, true);
    EXPECT_EQ(gDB().gServidor, QStringLiteral("(embebido)"));
    EXPECT_EQ(gDB().gDBName, QStringLiteral("PRUEBA"));
    EXPECT_EQ(gDB().gUsuario, QString());
    EXPECT_EQ(m_dialogs.last().title, QStringLiteral(" Error de Conexion a Base de Datos"));
    EXPECT_TRUE(m_dialogs.last().text.contains(QStringLiteral("Login failed for user ''.")));
    EXPECT_FALSE(gDB().gOpenFlag);
    m_dialogs.clearShown();

    data_testing::resetInstance(gDB());
    m_dialogs.onDialog([](QDialog &dialog) {
        Controls(dialog).bcCancelar->click();
        return dialog.result();
    });
    gDB().OpenServerADODB(true, platform::db::adUseClient, QString(), false, true);
    EXPECT_FALSE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateClosed);
    EXPECT_EQ(gDB().gDBName, QString());
}

TEST_F(ConnectionDialogTest, RegisteringAnEmbeddedDatabaseAppendsItsLineAndLeavesGdbAlone)
{
    createDatabase(QStringLiteral("VENTAS"));
    writeList({registeredLine(QStringLiteral("PRUEBA"), QStringLiteral("(embebido)"))});
    openEmbedded(gDB());
    const auto mainConnection = gDB().gCnn;

    frmAcceso dialog;
    Controls c(dialog);
    c.type(QStringLiteral(" Ventas "), QStringLiteral(" (embebido) "), QStringLiteral("luis"),
           QStringLiteral("otra"));
    c.CmdRegistrar->click();

    EXPECT_EQ(m_dialogs.count(), 0) << "a registration that works shows nothing";
    EXPECT_EQ(
        listLines(),
        QStringList({registeredLine(QStringLiteral("PRUEBA"), QStringLiteral("(embebido)")),
                     registeredLine(QStringLiteral("Ventas"), QStringLiteral("(embebido)"))}));
    EXPECT_EQ(c.listed(),
              QStringList(
                  {QStringLiteral("PRUEBA / (EMBEBIDO)"), QStringLiteral("VENTAS / (EMBEBIDO)")}));

    EXPECT_EQ(gDB().gCnn, mainConnection);
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateOpen);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gDBName, QStringLiteral("PRUEBA"));
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("sa"));
}

TEST_F(ConnectionDialogTest, AKeyAlreadyListedIsDecidedByTheTypedKeyAlone)
{
    createDatabase(QStringLiteral("VENTAS"));
    writeList({registeredLine(QStringLiteral("PRUEBA"), QStringLiteral("(embebido)"))});
    frmAcceso dialog;
    Controls c(dialog);
    ASSERT_EQ(c.lstBases->currentRow(), 0) << "a line is selected";

    c.type(QStringLiteral(" prueba"), QStringLiteral("(Embebido) "));
    m_dialogs.answer(msgbox::Ok);
    c.CmdRegistrar->click();
    ASSERT_EQ(m_dialogs.count(), 1);
    EXPECT_EQ(m_dialogs.last().text,
              QStringLiteral("La conexion que intenta registrar ya existe "));
    EXPECT_EQ(m_dialogs.last().title, QStringLiteral("Atencion"));
    EXPECT_EQ(m_dialogs.last().style, msgbox::Information);
    EXPECT_EQ(listLines().size(), 1);

    m_dialogs.clearShown();
    c.type(QStringLiteral("VENTAS"), QStringLiteral("(embebido)"));
    c.CmdRegistrar->click();
    EXPECT_EQ(m_dialogs.count(), 0);
    EXPECT_EQ(listLines().size(), 2) << "a new key after a selection is registered";
}

TEST_F(ConnectionDialogTest, AnUnreachableDatabaseOffersARetryAndWritesNothing)
{
    openEmbedded(gDB());
    // The second server names an Oracle data source, for which no driver is set up here; its
    // port is handed on after ",".
    const std::pair<QString, QString> servers[] = {
        {QStringLiteral("(embebido)"), QStringLiteral("(embebido)")},
        {QStringLiteral("#127.0.0.1:1"), QStringLiteral("#127.0.0.1,1")},
    };
    for (const auto &[server, handedOn] : servers) {
        m_dialogs.clearShown();
        frmAcceso dialog;
        Controls c(dialog);
        c.type(QStringLiteral("NOEXISTE"), server, QStringLiteral("luis"), QStringLiteral("otra"));
        m_dialogs.answer(msgbox::Yes).answer(msgbox::No).answer(msgbox::Ok);

        c.CmdRegistrar->click();

        ASSERT_EQ(m_dialogs.count(), 3) << server.toStdString();
        for (int i : {0, 1}) {
            const Shown &retry = m_dialogs.shown()[i];
            EXPECT_EQ(retry.title, QStringLiteral(" Error de Conexion a Base de Datos"));
            EXPECT_EQ(retry.style, msgbox::YesNo | msgbox::Critical);
            EXPECT_TRUE(retry.text.contains(
                QStringLiteral("3. Verifique si el inicio de sesion para el usuario luis existe")))
                << "the typed user is tried again";
            EXPECT_TRUE(retry.text.contains(QStringLiteral("por ejemplo : ") + handedOn
                                            + QStringLiteral("\\KORUBAY")))
                << "the typed server and platform are tried again: " << retry.text.toStdString();
        }
        EXPECT_EQ(m_dialogs.last().text,
                  QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + handedOn
                      + QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"));
        EXPECT_EQ(m_dialogs.last().title, QStringLiteral("AVISO AL OPERADOR"));
        EXPECT_EQ(m_dialogs.last().style, msgbox::Information);
        EXPECT_EQ(dialogsShown(), 0) << "the retry does not open the dialog again";
    }
    EXPECT_FALSE(QFile::exists(listPath()));
    EXPECT_TRUE(m_launcher.started.empty());
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateOpen);
    EXPECT_EQ(gDB().gDBName, QStringLiteral("PRUEBA"));
}

TEST_F(ConnectionDialogTest, TheOutsideProgramGetsTheDatabaseJustRegistered)
{
    createDatabase(QStringLiteral("VENTAS"));
    gDB().gDBName = QStringLiteral("ANTERIOR");
    for (const bool programPresent : {false, true}) {
        if (programPresent) {
            QFile program(m_folder.filePath(QStringLiteral("ODBC.exe")));
            ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        }
        QFile::remove(listPath());
        frmAcceso dialog;
        Controls c(dialog);
        c.type(QStringLiteral("VENTAS"), QStringLiteral("(embebido)"));
        c.CmdRegistrar->click();
        EXPECT_EQ(listLines().size(), 1) << programPresent;
    }
    ASSERT_EQ(m_launcher.started.size(), 1u);
    EXPECT_EQ(m_launcher.started[0].program, m_folder.filePath(QStringLiteral("ODBC.exe")));
    EXPECT_EQ(m_launcher.started[0].arguments,
              QStringList({QStringLiteral("Server=(embebido);DB=VENTAS;")}));
    EXPECT_FALSE(m_launcher.started[0].wait);
}

TEST_F(ConnectionDialogTest, AnOutsideProgramThatDoesNotStartIsReported)
{
    createDatabase(QStringLiteral("VENTAS"));
    QFile program(m_folder.filePath(QStringLiteral("ODBC.exe")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    m_launcher.startSucceeds = false;
    frmAcceso dialog;
    Controls c(dialog);
    c.type(QStringLiteral("VENTAS"), QStringLiteral("(embebido)"));
    m_dialogs.answer(msgbox::Ok);

    c.CmdRegistrar->click();

    ASSERT_EQ(m_dialogs.count(), 1);
    EXPECT_EQ(m_dialogs.last().text,
              QStringLiteral("SQL Server start failed.  \rSQL-DMO error:  5 No se pudo iniciar ")
                  + program.fileName());
    EXPECT_EQ(listLines().size(), 1) << "the line was written before";
    EXPECT_EQ(c.listed(), QStringList({QStringLiteral("VENTAS / (EMBEBIDO)")}));
}

TEST_F(ConnectionDialogTest, AFailedWriteEndsTheRegistrationAfterItsMessage)
{
    // A name that the list could not give back whole: the line is refused, not half-written.
    const QString database = QStringLiteral("A,\"B");
    createDatabase(database);
    addLogin(database, database);
    QFile program(m_folder.filePath(QStringLiteral("ODBC.exe")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    frmAcceso dialog;
    Controls c(dialog);
    c.type(database, QStringLiteral("(embebido)"));
    m_dialogs.answer(msgbox::Ok);

    c.CmdRegistrar->click();

    ASSERT_EQ(m_dialogs.count(), 1);
    EXPECT_TRUE(m_dialogs.last().text.startsWith(
        QStringLiteral("SQL Server start failed.  \rSQL-DMO error:  5 ")))
        << m_dialogs.last().text.toStdString();
    EXPECT_EQ(m_dialogs.last().style, msgbox::OkOnly);
    EXPECT_FALSE(QFile::exists(listPath()));
    EXPECT_TRUE(m_launcher.started.empty()) << "nothing goes on after the message";
    EXPECT_EQ(c.lstBases->count(), 0);
}

TEST_F(ConnectionDialogTest, TheShortcutStartsTheTaskTimer)
{
    const QString home = m_folder.filePath(QStringLiteral("home"));
    const ScopedEnvironment homeFolder("HOME", home.toUtf8());
    const ScopedEnvironment configFolder("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    struct Case
    {
        QByteArray setting;
        QString exec;
        QString icon;
    };
    const QString besideTheProgram = m_folder.filePath(QStringLiteral("Relojfaena"));
    const Case cases[] = {
        {QByteArray(), '"' + besideTheProgram + '"', besideTheProgram},
        {"/opt/suite/Reloj \"faena\"", QStringLiteral("\"/opt/suite/Reloj \\\\\"faena\\\\\"\""),
         QStringLiteral("/opt/suite/Reloj \"faena\"")},
        {"/opt/100%/Relojfaena", QStringLiteral("\"/opt/100%%/Relojfaena\""),
         QStringLiteral("/opt/100%/Relojfaena")},
    };
    for (const Case &k : cases) {
        const ScopedEnvironment program("RP_PANELCTA_RELOJFAENA", k.setting);
        frmAcceso dialog;
        Controls(dialog).CmdLineaComando->click();
        QFile entry(home + QStringLiteral("/Desktop/Reloj Faena.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly)) << k.setting.toStdString();
        EXPECT_EQ(QString::fromUtf8(entry.readAll()),
                  QStringLiteral("[Desktop Entry]\nType=Application\nName=Reloj Faena\nExec=")
                      + k.exec + QStringLiteral("\nIcon=") + k.icon
                      + QStringLiteral("\nTerminal=false\n"));
        EXPECT_TRUE(entry.permissions() & QFile::ExeOwner);
    }
    EXPECT_EQ(m_dialogs.count(), 0);
}

TEST_F(ConnectionDialogTest, ACommandLineRunsAndIsWaitedFor)
{
    struct Case
    {
        QString commandLine;
        bool launches;
        bool expected;
        QString program;
        QStringList arguments;
    };
    const Case cases[] = {
        {QStringLiteral("prog uno \"dos tres\""),
         true,
         true,
         QStringLiteral("prog"),
         {QStringLiteral("uno"), QStringLiteral("dos tres")}},
        {QStringLiteral("prog"), false, false, QStringLiteral("prog"), {}},
        {QStringLiteral("  "), true, false, QString(), {}},
    };
    for (const Case &k : cases) {
        m_launcher.started.clear();
        m_launcher.startSucceeds = k.launches;
        QString errorText;
        EXPECT_EQ(frmAcceso::EjecutarCmdRegDB(k.commandLine, errorText), k.expected)
            << k.commandLine.toStdString();
        EXPECT_EQ(errorText,
                  k.expected ? QString() : QStringLiteral("Error al ejecutar el comando"));
        if (k.program.isEmpty()) {
            EXPECT_TRUE(m_launcher.started.empty());
            continue;
        }
        ASSERT_EQ(m_launcher.started.size(), 1u);
        EXPECT_EQ(m_launcher.started[0].program, k.program);
        EXPECT_EQ(m_launcher.started[0].arguments, k.arguments);
        EXPECT_TRUE(m_launcher.started[0].wait);
    }
}

} // namespace
