#include "platform/report/report_output.h"

#include "platform/report/report_document.h"
#include "platform/user_dialogs.h"

#include <QAction>
#include <QFileDialog>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QToolBar>

namespace platform::report {

namespace {

QPageLayout reportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                       QPageLayout::Millimeter);
}

QString fileNameFor(const ReportDocument &document)
{
    QString name = document.content().title.trimmed();
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|]"));
    name.replace(unsafe, QStringLiteral("_"));
    return (name.isEmpty() ? QStringLiteral("Reporte") : name) + QStringLiteral(".pdf");
}

void askAndSavePdf(const ReportDocument &document, QWidget *parent)
{
    QFileDialog chooser(parent, QStringLiteral("Guardar reporte como PDF"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setNameFilter(QStringLiteral("Documentos PDF (*.pdf)"));
    chooser.setDefaultSuffix(QStringLiteral("pdf"));
    chooser.selectFile(fileNameFor(document));
    if (userDialogs().execModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString path = chooser.selectedFiles().constFirst();
    if (!saveReportPdf(document, path))
        userDialogs().messageBox(QStringLiteral("No se pudo guardar el reporte en ") + path,
                                 msgbox::Critical);
}

} // namespace

QString savePdfCaption()
{
    return QStringLiteral("Guardar PDF");
}

bool saveReportPdf(const ReportDocument &document, const QString &path)
{
    QPdfWriter writer(path);
    writer.setPageLayout(reportPageLayout());
    writer.setTitle(document.content().title);
    writer.setCreator(UserDialogs::applicationTitle());
    return document.print(writer) > 0;
}

void previewReport(const ReportDocument &document, bool exportable, bool maximized)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(reportPageLayout());
    printer.setDocName(document.content().title);

    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle(QStringLiteral("Vista previa - ") + document.content().title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter *target) { document.print(*target); });
    if (exportable) {
        if (auto *toolBar = preview.findChild<QToolBar *>()) {
            toolBar->addSeparator();
            QAction *save = toolBar->addAction(savePdfCaption());
            QObject::connect(save, &QAction::triggered, &preview,
                             [&document, &preview] { askAndSavePdf(document, &preview); });
        }
    }
    if (maximized)
        preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    else
        preview.resize(1100, 760);
    userDialogs().execModal(preview);
}

void printReport(const ReportDocument &document)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(reportPageLayout());
    printer.setDocName(document.content().title);
    if (!printer.isValid() || document.print(printer) == 0)
        userDialogs().messageBox(QStringLiteral("No hay una impresora disponible para imprimir "
                                                "el reporte."),
                                 msgbox::Critical);
}

} // namespace platform::report
