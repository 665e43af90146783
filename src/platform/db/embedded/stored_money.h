#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

// SQLite keeps a money value as a whole number or a binary double. A double is read back as
// the shortest decimal that gives that same double, rounded to money's four places, so every
// amount of up to fifteen digits comes back as written; beyond that some amounts share their
// double with a neighbour, and those the engine refuses rather than changes.
namespace platform::db::embedded {

// The ten-thousandths a stored double stands for; nullopt beyond money's range.
std::optional<std::int64_t> moneyUnitsOf(double stored);

// The double nearest the amount.
double storedMoney(std::int64_t units);

// True when the double nearest the amount reads back as that amount.
bool keptExactly(std::int64_t units);

// The ten-thousandths of a plain decimal text ("-12.34567" gives -123457, a half away from
// zero); nullopt for a text that is no such number or is beyond money's range.
std::optional<std::int64_t> moneyUnitsOfText(std::string_view text);

// False for a number written in a statement that a double cannot hold: SQL Server keeps such
// a literal as an exact decimal, and SQLite would round it.
bool literalKeptExactly(std::string_view literal);

// SQLite works money out in binary doubles: below 2^36 a few operations stay far within half a
// ten-thousandth of the server's exact result, beyond it the last digit may differ.
inline constexpr double computedMoneyLimit = 0x1p36;

// Why a number the engine cannot keep is refused; both texts start with `inexactNumberMessage`.
QString inexactNumberDescription(const QString &number);
QString inexactComputationDescription(double amount);
inline constexpr char inexactNumberMessage[] = "El motor embebido no conserva exacto el número ";

} // namespace platform::db::embedded
