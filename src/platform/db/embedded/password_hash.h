#pragma once

#include <QString>

// How the embedded server keeps a login's password: never the password itself, but a salted
// PBKDF2-HMAC-SHA256 key, written "pbkdf2-sha256$<iterations>$<salt>$<key>" (base64).
namespace platform::db::embedded {

// The cost of a new password's key.
inline constexpr int standardPasswordIterations = 100000;

// Changes the cost of the keys made from now on in this process: the test programs lower it,
// since the keys of their throw-away servers guard nothing and would only slow every test.
void setPasswordIterations(int iterations);

// A new key of the password, with a random salt, at the process's cost.
QString hashPassword(const QString &password);

// True when the text is a key written by hashPassword.
bool isPasswordHash(const QString &stored);

// True when the password is the one the stored key was made from. A password once found right
// is recognised again at once for the rest of the process, so reconnecting costs no new key.
bool passwordMatches(const QString &stored, const QString &password);

} // namespace platform::db::embedded
