#include "report_pdf.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace report_pdf {

int pageCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(file.readAll()).count(page));
}

std::optional<QString> text(const QString &path)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(program, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000))
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace report_pdf
