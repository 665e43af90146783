#include "platform/db/connection.h"
#include "platform/db/odbc/odbc_handles.h"
#include "platform/error.h"

#include <QString>
#include <arpa/inet.h>
#include <array>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// What a password looks like once FreeTDS has parsed the connection string: a listener on the
// loopback plays the server just far enough to receive the login, whose password field is read
// back. Needs the FreeTDS ODBC driver; without it the test is skipped.
namespace {

constexpr std::uint8_t PreloginPacket = 0x12;
constexpr std::uint8_t LoginPacket = 0x10;
constexpr std::uint8_t ReplyPacket = 0x04;

class Socket
{
public:
    explicit Socket(int descriptor) : m_descriptor(descriptor) { }
    ~Socket()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    int get() const { return m_descriptor; }

    bool waitReadable() const
    {
        pollfd waiting{m_descriptor, POLLIN, 0};
        return ::poll(&waiting, 1, 10000) == 1;
    }

    bool readExactly(std::uint8_t *into, std::size_t size) const
    {
        while (size > 0) {
            if (!waitReadable())
                return false;
            const ssize_t got = ::read(m_descriptor, into, size);
            if (got <= 0)
                return false;
            into += got;
            size -= std::size_t(got);
        }
        return true;
    }

private:
    int m_descriptor;
};

struct Packet
{
    std::uint8_t type = 0;
    std::vector<std::uint8_t> payload;
};

std::optional<Packet> readPacket(const Socket &peer)
{
    std::array<std::uint8_t, 8> header{};
    if (!peer.readExactly(header.data(), header.size()))
        return std::nullopt;
    const std::size_t length = (std::size_t(header[2]) << 8) | header[3];
    if (length < header.size())
        return std::nullopt;
    Packet packet{header[0], std::vector<std::uint8_t>(length - header.size())};
    if (!peer.readExactly(packet.payload.data(), packet.payload.size()))
        return std::nullopt;
    return packet;
}

// A server that offers no encryption, so the login follows in the clear.
void answerPrelogin(const Socket &peer)
{
    const std::uint8_t reply[] = {
        ReplyPacket, 0x01, 0x00, 8 + 18, 0x00, 0x00, 0x01, 0x00, // header, end of message
        0x00,        0x00, 11,   0x00,   6, // version at 11, 6 bytes
        0x01,        0x00, 17,   0x00,   1, // encryption at 17, 1 byte
        0xFF, // no more options
        0x0F,        0x00, 0x07, 0xD0,   0x00, 0x00, // a server version
        0x02, // encryption not supported
    };
    ASSERT_EQ(::write(peer.get(), reply, sizeof reply), ssize_t(sizeof reply));
}

std::uint16_t littleEndian16(const std::vector<std::uint8_t> &bytes, std::size_t at)
{
    return std::uint16_t(bytes.at(at) | (bytes.at(at + 1) << 8));
}

// The login's password field: UTF-16, each byte's halves swapped and XOR'ed with 0xA5.
QString loginPassword(const std::vector<std::uint8_t> &login)
{
    const std::size_t offset = littleEndian16(login, 44);
    const std::size_t characters = littleEndian16(login, 46);
    QString password;
    for (std::size_t i = 0; i < characters; ++i) {
        std::uint16_t unit = 0;
        for (std::size_t half = 0; half < 2; ++half) {
            std::uint8_t byte = login.at(offset + 2 * i + half) ^ 0xA5;
            byte = std::uint8_t((byte << 4) | (byte >> 4));
            unit |= std::uint16_t(byte) << (8 * half);
        }
        password += QChar(unit);
    }
    return password;
}

class LoginListener
{
public:
    LoginListener() : m_socket(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        m_listening = ::bind(m_socket.get(), reinterpret_cast<sockaddr *>(&address), size) == 0
            && ::listen(m_socket.get(), 1) == 0
            && ::getsockname(m_socket.get(), reinterpret_cast<sockaddr *>(&address), &size) == 0;
        m_port = ntohs(address.sin_port);
        m_password = std::async(std::launch::async, [this] { return receiveLogin(); });
    }

    bool listening() const { return m_listening; }
    int port() const { return m_port; }
    std::optional<QString> password() { return m_password.get(); }

private:
    std::optional<QString> receiveLogin()
    {
        if (!m_listening || !m_socket.waitReadable())
            return std::nullopt;
        const Socket peer(::accept(m_socket.get(), nullptr, nullptr));
        while (const std::optional<Packet> packet = readPacket(peer)) {
            if (packet->type == PreloginPacket)
                answerPrelogin(peer);
            else if (packet->type == LoginPacket)
                return loginPassword(packet->payload);
        }
        return std::nullopt;
    }

    Socket m_socket;
    bool m_listening = false;
    int m_port = 0;
    std::future<std::optional<QString>> m_password;
};

TEST(FreeTdsLogin, PasswordsReachTheDriverWhateverBracesAndSemicolonsTheyHold)
{
    if (!platform::db::odbc::installedDriverNames().contains(QStringLiteral("FreeTDS")))
        GTEST_SKIP() << "the FreeTDS ODBC driver is not installed";
    const QString passwords[] = {
        QStringLiteral("p}q"),     QStringLiteral("a;b}c"),   QStringLiteral("{abre"),
        QStringLiteral("cierra}"), QStringLiteral("ñandú=1"),
    };
    for (const QString &password : passwords) {
        SCOPED_TRACE(password.toStdString());
        LoginListener listener;
        ASSERT_TRUE(listener.listening());
        const auto connection = platform::db::Connection::create();
        try {
            connection->open(QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1,%1;Database "
                                            "=CONTA;UId=ana;Pwd=x;")
                                 .arg(listener.port()),
                             QStringLiteral("ana"), password);
        } catch (const platform::Error &) {
            // The listener hangs up once it has the login.
        }
        const std::optional<QString> received = listener.password();
        ASSERT_TRUE(received.has_value()) << "no login reached the listener";
        EXPECT_EQ(received->toStdString(), password.toStdString());
    }
}

} // namespace
