#include "platform/db/embedded/password_hash.h"

#include <QCryptographicHash>
#include <QHash>
#include <QMutex>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <optional>

namespace platform::db::embedded {

namespace {

const QString scheme = QStringLiteral("pbkdf2-sha256");
std::atomic<int> passwordIterations{standardPasswordIterations};
constexpr int saltBytes = 16;
constexpr int keyBytes = 32;

struct StoredKey
{
    int iterations = 0;
    QByteArray salt;
    QByteArray key;
};

std::optional<StoredKey> parsed(const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != scheme)
        return std::nullopt;
    bool isNumber = false;
    StoredKey result{parts[1].toInt(&isNumber), QByteArray::fromBase64(parts[2].toLatin1()),
                     QByteArray::fromBase64(parts[3].toLatin1())};
    if (!isNumber || result.iterations < 1 || result.salt.isEmpty()
        || result.key.size() != keyBytes)
        return std::nullopt;
    return result;
}

QByteArray derivedKey(const QString &password, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, keyBytes);
}

// Compares in a time that does not tell how many leading bytes agree.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

// Per stored key, a quick digest of the password already found right; held in memory only.
class VerifiedPasswords
{
public:
    bool knows(const QString &stored, const QString &password)
    {
        const QMutexLocker lock(&m_mutex);
        const auto found = m_digests.constFind(stored);
        return found != m_digests.cend() && sameBytes(*found, digest(stored, password));
    }

    void remember(const QString &stored, const QString &password)
    {
        const QMutexLocker lock(&m_mutex);
        m_digests.insert(stored, digest(stored, password));
    }

private:
    static QByteArray digest(const QString &stored, const QString &password)
    {
        const QByteArray text = stored.toUtf8() + '\0' + password.toUtf8();
        return QCryptographicHash::hash(text, QCryptographicHash::Sha256);
    }

    QMutex m_mutex;
    QHash<QString, QByteArray> m_digests;
};

VerifiedPasswords &verifiedPasswords()
{
    static VerifiedPasswords passwords;
    return passwords;
}

} // namespace

void setPasswordIterations(int iterations)
{
    passwordIterations = std::max(1, iterations);
}

QString hashPassword(const QString &password)
{
    QByteArray salt(saltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()),
                                          saltBytes / sizeof(quint32));
    const int iterations = passwordIterations;
    const QString stored = scheme + QLatin1Char('$') + QString::number(iterations)
        + QLatin1Char('$') + QString::fromLatin1(salt.toBase64()) + QLatin1Char('$')
        + QString::fromLatin1(derivedKey(password, salt, iterations).toBase64());
    verifiedPasswords().remember(stored, password);
    return stored;
}

bool isPasswordHash(const QString &stored)
{
    return parsed(stored).has_value();
}

bool passwordMatches(const QString &stored, const QString &password)
{
    const std::optional<StoredKey> key = parsed(stored);
    if (!key)
        return false;
    if (verifiedPasswords().knows(stored, password))
        return true;
    if (!sameBytes(derivedKey(password, key->salt, key->iterations), key->key))
        return false;
    verifiedPasswords().remember(stored, password);
    return true;
}

} // namespace platform::db::embedded
