#include "platform/db/embedded/tsql_translator.h"

#include <QDate>
#include <QTime>

namespace platform::db::embedded {

namespace {

// SQL Server's datetime range; the columns the program writes are all datetime.
constexpr int firstYear = 1753;
constexpr int lastYear = 9999;

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

// Two-digit years follow SQL Server's default cut-off: 00-49 are 20xx, 50-99 are 19xx.
std::optional<int> yearOf(QStringView digits)
{
    if (digits.size() == 4)
        return digits.toInt();
    if (digits.size() == 2) {
        const int year = digits.toInt();
        return year < 50 ? 2000 + year : 1900 + year;
    }
    return std::nullopt;
}

QDate validDate(std::optional<int> year, QStringView month, QStringView day)
{
    if (!year || month.size() > 2 || day.size() > 2)
        return {};
    const QDate date(*year, month.toInt(), day.toInt());
    if (!date.isValid() || date.year() < firstYear || date.year() > lastYear)
        return {};
    return date;
}

QDate parseDate(QStringView text, DateOrder order)
{
    if (text.size() == 8 && allDigits(text))
        return validDate(text.left(4).toInt(), text.mid(4, 2), text.mid(6, 2));

    qsizetype first = 0;
    while (first < text.size() && text.at(first).isDigit())
        ++first;
    if (first == 0 || first == text.size() || !QStringView(u"/.-").contains(text.at(first)))
        return {};
    const QList<QStringView> parts = text.split(text.at(first));
    if (parts.size() != 3 || !allDigits(parts[0]) || !allDigits(parts[1]) || !allDigits(parts[2]))
        return {};

    if (parts[0].size() == 4 || order == DateOrder::YearMonthDay)
        return validDate(yearOf(parts[0]), parts[1], parts[2]);
    if (order == DateOrder::MonthDayYear)
        return validDate(yearOf(parts[2]), parts[0], parts[1]);
    return validDate(yearOf(parts[2]), parts[1], parts[0]);
}

// h:mm or h:mm:ss
std::optional<QTime> parseTime(QStringView text)
{
    if (text.isEmpty())
        return QTime(0, 0);
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() < 2 || parts.size() > 3 || parts[0].size() > 2)
        return std::nullopt;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!allDigits(parts[i]) || (i > 0 && parts[i].size() != 2))
            return std::nullopt;
    }
    const QTime time(parts[0].toInt(), parts[1].toInt(), parts.size() == 3 ? parts[2].toInt() : 0);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

} // namespace

std::optional<QString> canonicalDateTime(const QString &literal, DateOrder order)
{
    const QStringView text = QStringView(literal).trimmed();
    if (text.isEmpty())
        return QStringLiteral("1900-01-01 00:00:00");

    const qsizetype blank = text.indexOf(u' ');
    const QStringView datePart = blank < 0 ? text : text.left(blank);
    const QStringView timePart = blank < 0 ? QStringView() : text.mid(blank + 1).trimmed();

    const QDate date = parseDate(datePart, order);
    const std::optional<QTime> time = parseTime(timePart);
    if (!date.isValid() || !time)
        return std::nullopt;
    return date.toString(QStringLiteral("yyyy-MM-dd")) + u' '
        + time->toString(QStringLiteral("HH:mm:ss"));
}

} // namespace platform::db::embedded
