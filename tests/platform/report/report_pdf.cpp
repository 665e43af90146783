#include "report_pdf.h"

#include "platform/report/report_output.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace report_pdf {

void savePreviewAsPdf(testing_support::ScriptedDialogs &dialogs, const QString &path)
{
    dialogs
        .onDialog([](QDialog &dialog) {
            EXPECT_NE(qobject_cast<QPrintPreviewDialog *>(&dialog), nullptr);
            for (QAction *action : dialog.findChildren<QAction *>()) {
                if (action->text() == platform::report::savePdfCaption())
                    action->trigger();
            }
            return int(QDialog::Accepted);
        })
        .onDialog([path](QDialog &dialog) {
            auto *chooser = qobject_cast<QFileDialog *>(&dialog);
            EXPECT_NE(chooser, nullptr);
            if (chooser)
                chooser->selectFile(path);
            return int(QDialog::Accepted);
        });
}

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
