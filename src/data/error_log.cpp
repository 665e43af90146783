#include "data/error_log.h"

#include "platform/legacy_files.h"

#include <QFile>
#include <QRegularExpression>

namespace data {

QString errorMessageText(const platform::Error &error)
{
    return QStringLiteral("Ha ocurrido el Siguiente Error (") + QString::number(error.number())
        + QStringLiteral(") ") + error.description().trimmed();
}

QString answerWord(int answer)
{
    switch (answer) {
    case 2:
        return QStringLiteral("Cancelar");
    case 3:
        return QStringLiteral("Abortar");
    case 4:
        return QStringLiteral("Reintentar");
    case 5:
        return QStringLiteral("Ignorar");
    case 6:
        return QStringLiteral("Sí");
    case 7:
        return QStringLiteral("No");
    default:
        return {};
    }
}

QString errorLogLine(const QDateTime &when, const QString &routineText, const QString &message,
                     int answer)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString oneLineMessage = message.trimmed();
    oneLineMessage.replace(lineBreak, QStringLiteral(" "));
    return when.toString(QStringLiteral("MM-dd-yyyy HH:mm:ss")) + QStringLiteral(" Rutina: ")
        + routineText.trimmed() + QStringLiteral(" Mensaje ") + oneLineMessage
        + QStringLiteral(" Respondió : ") + answerWord(answer);
}

void appendErrorLogLine(const QString &path, const QString &line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(platform::toWindows1252(QString(line + QStringLiteral("\r\n"))));
}

QString errorLogPathIn(const QString &folder)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + QStringLiteral("TVERR.LOG");
    return folder + QStringLiteral("/TVERR.LOG");
}

} // namespace data
