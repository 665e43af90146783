#include "breakdown/frm_detallado.h"

#include "breakdown/breakdown_page.h"
#include "platform/browser/web_browser.h"
#include "platform/runtime.h"
#include "platform/suite/sistema.h"
#include "platform/suite/utilidades.h"
#include "platform/user_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QResizeEvent>
#include <QSaveFile>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace breakdown {

namespace {

constexpr int TwipsPerPixel = 15;

// Margins of the browser inside the window, in twips.
constexpr int BrowserLeft = 120;
constexpr int BrowserTop = 840;
constexpr int BrowserWidthMargin = 300;
constexpr int BrowserHeightMargin = 1300;

QRect twipsToPixels(const QRect &twips)
{
    return {twips.left() / TwipsPerPixel, twips.top() / TwipsPerPixel,
            twips.width() / TwipsPerPixel, twips.height() / TwipsPerPixel};
}

QToolButton *pictureButton(QWidget *parent, const QString &caption, QStyle::StandardPixmap icon,
                           const QRect &twips)
{
    auto *button = new QToolButton(parent);
    button->setText(caption);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setIconSize({24, 24});
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setGeometry(twipsToPixels(twips));
    return button;
}

} // namespace

FrmDetallado::FrmDetallado(QWidget *parent) : QWidget(parent, Qt::Window)
{
    buildControls();
}

FrmDetallado::~FrmDetallado() = default;

void FrmDetallado::buildControls()
{
    setWindowTitle(QStringLiteral("Reporte Estadistico - Apertura por Cuentas"));
    resize(8295 / TwipsPerPixel, 5355 / TwipsPerPixel);

    cmdExcel = pictureButton(this, QStringLiteral("Excel"), QStyle::SP_FileDialogDetailedView,
                             {120, 0, 855, 735});
    cmdSalir = pictureButton(this, QStringLiteral("Salir"), QStyle::SP_DialogCloseButton,
                             {1200, 0, 855, 735});
    connect(cmdExcel, &QToolButton::clicked, this, &FrmDetallado::cmdExcel_Click);
    connect(cmdSalir, &QToolButton::clicked, this, &FrmDetallado::cmdSalir_Click);

    WebBrowser1 = new platform::WebBrowser(this);
    WebBrowser1->setGeometry(twipsToPixels({BrowserLeft, BrowserTop, 4575, 2895}));
}

void FrmDetallado::CrearTempNew()
{
    strCarpetaTemp = platform::gUtil().AgregarBarra(platform::gSistema().CarpetaTemporal());
    strArchivoHTML = strCarpetaTemp + pageFileName(platform::now());
    WebBrowser1->Navigate2(QStringLiteral("about:blank"));
    WebBrowser1->setVisible(true);
}

void FrmDetallado::writeStyleCSS(const QString &strDirectorio)
{
    writeStyleSheet(strDirectorio);
}

QString FrmDetallado::getCabeceraHTML(const QString &title, bool frames) const
{
    return pageHead(title, frames);
}

void FrmDetallado::NavegarA(const QString &strURL)
{
    WebBrowser1->setFullScreen(true);
    WebBrowser1->Navigate(QStringLiteral("file://") + strURL);
    WebBrowser1->setTheaterMode(false);
}

void FrmDetallado::cmdExcel_Click()
{
    QFile page(strArchivoHTML);
    if (strArchivoHTML.isEmpty() || !page.open(QIODevice::ReadOnly)) {
        reportExportFailure(QStringLiteral("No se encontró la página del reporte."));
        return;
    }
    const QString copyPath = nextSpreadsheetCopyPath();
    QSaveFile copy(copyPath);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(page.readAll()) < 0 || !copy.commit()) {
        reportExportFailure(QStringLiteral("No se pudo escribir el archivo ") + copyPath);
        return;
    }
    if (!platform::launcher().openDocument(copyPath))
        reportExportFailure(QStringLiteral("No se encontró un programa de planillas para abrir ")
                            + copyPath);
}

QString FrmDetallado::nextSpreadsheetCopyPath()
{
    // Spreadsheet programs read an HTML page saved as ".xls" as a workbook of its tables. Each
    // export gets a name of its own so that every click opens a workbook of its own, as the
    // program it stands for would.
    const QFileInfo page(strArchivoHTML);
    return page.path() + QLatin1Char('/') + page.completeBaseName() + QLatin1Char('_')
        + QString::number(++m_exportCount) + QStringLiteral(".xls");
}

void FrmDetallado::reportExportFailure(const QString &reason)
{
    platform::userDialogs().messageBox(QStringLiteral("No se pudo abrir la planilla.\r\n") + reason,
                                       platform::msgbox::Exclamation,
                                       QStringLiteral("Apertura por Cuentas"));
}

void FrmDetallado::cmdSalir_Click()
{
    hide();
}

QRect FrmDetallado::browserPlacement(int windowWidthTwips, int windowHeightTwips)
{
    return {BrowserLeft, BrowserTop, std::max(0, windowWidthTwips - BrowserWidthMargin),
            std::max(0, windowHeightTwips - BrowserHeightMargin)};
}

void FrmDetallado::Form_Resize()
{
    const QSize outer = frameGeometry().size();
    WebBrowser1->setGeometry(twipsToPixels(
        browserPlacement(outer.width() * TwipsPerPixel, outer.height() * TwipsPerPixel)));
}

void FrmDetallado::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

namespace {

FrmDetallado *defaultInstance = nullptr;

void releaseDefaultInstance()
{
    delete defaultInstance;
    defaultInstance = nullptr;
}

} // namespace

FrmDetallado &frmDetallado()
{
    if (!defaultInstance) {
        defaultInstance = new FrmDetallado;
        // The browser engine's own clean-up at the program's end must not find a page still shown.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, releaseDefaultInstance);
    }
    return *defaultInstance;
}

} // namespace breakdown
