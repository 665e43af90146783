#include "core/startup_parameters.h"
#include "platform/legacy_files.h"
#include "platform/suite/sistema.h"
#include "platform/suite/utilidades.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using core::ParametrosInicio;

// The parsed values in the order of the keys: additional parameter, menu, server, database,
// user, password, logged user, cash desk.
QStringList values(const ParametrosInicio &p)
{
    return {p.ParametroAdicional, p.Menu,           p.Servidor, p.DbName, p.Usuario,
            p.Password,           p.UsuarioLogeado, p.Caja};
}

struct ParserCase
{
    const char *name;
    QString text;
    QStringList expected;
};

void PrintTo(const ParserCase &c, std::ostream *os)
{
    *os << c.name;
}

class ParameterStringTest : public ::testing::TestWithParam<ParserCase>
{ };

TEST_P(ParameterStringTest, FillsEveryKeyOrItsDefault)
{
    EXPECT_EQ(values(core::LeerParametros(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParameterStringTest,
    ::testing::Values(
        ParserCase{"every_key",
                   "@Server=srv; @DbName=CONTA; @Usuario=sa; @Password=secreto; "
                   "@ParametroAdicional=CFG_Ventas; @Menu=M1; @UsuarioLogeado=juan; @Caja=3;",
                   {"CFG_Ventas", "M1", "srv", "CONTA", "sa", "secreto", "juan", "3"}},
        ParserCase{"keys_in_any_case_and_order_with_blanks_around_the_equals",
                   "@caja = 7 ;@PASSWORD =  pw ; @dbNAME=CONTA;@server= srv",
                   {"", "", "srv", "CONTA", "", "pw", "", "7"}},
        ParserCase{"logged_user_before_user",
                   "@UsuarioLogeado = juan ; @Usuario=sa;",
                   {"", "", "", "", "sa", "", "juan", "1"}},
        ParserCase{"logged_user_alone_is_no_user",
                   "@UsuarioLogeado=juan;",
                   {"", "", "", "", "", "", "juan", "1"}},
        ParserCase{"password_holding_equals_signs",
                   "@Usuario=sa; @Password=a=b=c ; @Caja=2;",
                   {"", "", "", "", "sa", "a=b=c", "", "2"}},
        ParserCase{"no_keys", "koru@", {"", "", "", "", "", "", "", "1"}},
        ParserCase{"empty_cash_desk_and_last_pair_without_semicolon",
                   "@Caja=; @Server=srv:1433",
                   {"", "", "srv:1433", "", "", "", "", ""}},
        ParserCase{"key_without_equals_is_not_a_key",
                   "@Usuario sa; @Server=srv;",
                   {"", "", "srv", "", "", "", "", "1"}},
        ParserCase{"menu_entry_of_a_definition",
                   "@PARAMETROADICIONAL= CFG_Ventas del mes",
                   {"CFG_Ventas del mes", "", "", "", "", "", "", "1"}},
        ParserCase{"string_for_sibling_programs",
                   " ; @server=srv; @dbname=CONTA; @usuario=sa; @Password=pw; "
                   "@ParametroAdicional=X; koru@ ; @UsuarioLogeado = juan; @Caja=2;",
                   {"X", "", "srv", "CONTA", "sa", "pw", "juan", "2"}},
        ParserCase{"string_from_the_settings_file",
                   "@server=srv; @dbname= CONTA; @usuario= sa; @Password= pw; "
                   "@ParametroAdicional=; @Caja=1;koru@",
                   {"", "", "srv", "CONTA", "sa", "pw", "", "1"}}),
    [](const ::testing::TestParamInfo<ParserCase> &info) { return info.param.name; });

TEST(ExtraerServidorTest, KeepsTheHostPart)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"srv", "srv"},
        {"srv:1433", "srv"},
        {"srv,1500", "srv,1500"},
        {"srv\\inst,1500", "srv\\inst,1500"},
        {"tcp/srv:1433", "srv"},
        {"#ORCL", "#ORCL"},
        {"a/b/c", "b/c"},
        {"srv\\INSTANCIA", "srv\\INSTANCIA"},
        {"(embebido)", "(embebido)"},
        {"", ""},
    };
    for (const auto &[server, host] : cases)
        EXPECT_EQ(core::ExtraerServidor(server), host) << server.toStdString();
}

TEST(EstacionUsuarioTest, UpperCaseMachineAndUserCutToFifty)
{
    EXPECT_EQ(core::EstacionUsuario(QStringLiteral("pc-caja"), QStringLiteral("juan")),
              QStringLiteral("PC-CAJA|JUAN"));
    const QString longName(30, QLatin1Char('m'));
    const QString key = core::EstacionUsuario(longName, longName);
    EXPECT_EQ(key, (longName + QLatin1Char('|') + longName).toUpper().left(50));
}

// The station-user key a process of that account works out, with the environment as this one
// left it; empty when the process could not become the account.
QString stationUserKeyOfAccount(uid_t account)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgid(account) != 0 || ::setuid(account) != 0)
            ::_exit(1);
        const platform::Sistema &sistema = platform::gSistema();
        const QByteArray key
            = core::EstacionUsuario(sistema.NombreMaquina(), sistema.NombreUsuario()).toUtf8();
        const bool written = ::write(pipeEnds[1], key.constData(), key.size()) == key.size();
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    QByteArray key;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        key.append(buffer, got);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QString::fromUtf8(key) : QString();
}

// su without -l, setpriv and cron hand a process another account's USER: the key still names
// the account, so two accounts never share, and delete, each other's work rows. Only an account
// the system has no entry for is named by the environment.
TEST(EstacionUsuarioTest, KeyNamesTheAccountWhateverTheEnvironmentSays)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "becoming other accounts needs root";
    const QString machine = platform::gSistema().NombreMaquina().toUpper();
    const struct
    {
        const char *name;
        uid_t account;
        const char *user; // USER as the process finds it
        QString key;
    } cases[] = {
        {"root with another user's USER", 0, "contador", machine + u"|ROOT"},
        {"nobody with root's USER", 65534, "root", machine + u"|NOBODY"},
        {"an account without an entry", 54321, "contador", machine + u"|CONTADOR"},
    };
    const QByteArray previousUser = qgetenv("USER");
    for (const auto &c : cases) {
        qputenv("USER", c.user);
        EXPECT_EQ(stationUserKeyOfAccount(c.account), c.key) << c.name;
    }
    qputenv("USER", previousUser);
}

class SettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_programFolder.isValid());
        m_previousHome = qgetenv("RP_PANELCTA_HOME");
        qputenv("RP_PANELCTA_HOME", m_programFolder.path().toUtf8());
    }
    void TearDown() override { qputenv("RP_PANELCTA_HOME", m_previousHome); }

    QTemporaryDir m_programFolder;
    QByteArray m_previousHome;
};

TEST_F(SettingsFileTest, BuildsTheDefaultConnectionOfTheMachineAndUser)
{
    const platform::Utilidades &util = platform::gUtil();
    platform::writeTextLines(
        m_programFolder.filePath(QStringLiteral("cn000pr.ini")),
        {QStringLiteral("[PC|JUANBaseDeDatos]"), QStringLiteral("Servidor=srv|viejo"),
         QStringLiteral("DbName=CONTA"),
         QStringLiteral("Usuario=") + util.Codificar(QStringLiteral("sa")),
         QStringLiteral("UserPassWord=") + util.Codificar(QStringLiteral("a=b"))});

    const QString text = core::ParametrosDesdeIni(QStringLiteral("pc"), QStringLiteral("juan"));

    EXPECT_EQ(text,
              QStringLiteral("@server=srv; @dbname= CONTA; @usuario= sa; @Password= a=b; "
                             "@ParametroAdicional=; @Caja=1;koru@"));
    EXPECT_EQ(values(core::LeerParametros(text)),
              QStringList({"", "", "srv", "CONTA", "sa", "a=b", "", "1"}));
}

TEST_F(SettingsFileTest, WithoutTheFileTheSuitesDefaultUserIsTaken)
{
    EXPECT_EQ(core::ParametrosDesdeIni(QStringLiteral("pc"), QStringLiteral("juan")),
              QStringLiteral("@server=; @dbname= ; @usuario= Tarvica; @Password= pardelo; "
                             "@ParametroAdicional=; @Caja=1;koru@"));
}

} // namespace
