#include "data/error_log.h"

#include "platform/private_folder.h"
#include "platform/user_dialogs.h"

#include <QRegularExpression>
#include <QSet>
#include <iostream>

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

QString userErrorLogPath()
{
    return platform::userFolder() + QStringLiteral("/TVERR.LOG");
}

void appendErrorLogLine(const QString &path, const QString &line)
{
    QString target = path;
    try {
        if (target.isEmpty())
            target = userErrorLogPath();
        platform::appendPrivateTextLines(target, {line});
    } catch (const platform::Error &error) {
        std::cerr << line.toLocal8Bit().constData() << std::endl;
        static QSet<QString> reported;
        if (reported.contains(target))
            return;
        reported.insert(target);
        platform::userDialogs().messageBox(
            QStringLiteral("No se pudo escribir en el registro de errores: ") + error.description()
                + QStringLiteral(". Las líneas que no se puedan escribir en él se muestran en la "
                                 "salida de errores del programa."),
            platform::msgbox::OkOnly | platform::msgbox::Exclamation,
            QStringLiteral("Registro de errores"));
    }
}

void createErrorLog()
{
    try {
        platform::appendPrivateBytes(userErrorLogPath(), {});
    } catch (const platform::Error &) { }
}

} // namespace data
