#include "breakdown/frm_detallado.h"

#include "breakdown/breakdown_page.h"
#include "breakdown/breakdown_workbook.h"
#include "platform/browser/web_browser.h"
#include "platform/error.h"
#include "platform/private_folder.h"
#include "platform/runtime.h"
#include "platform/suite/utilidades.h"
#include "platform/user_dialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace breakdown {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr QSize DesignSize(8295 / TwipsPerPixel, 5355 / TwipsPerPixel);

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

QToolButton *pictureButton(QWidget *parent, const char *name, const QString &caption,
                           QStyle::StandardPixmap icon, const QRect &twips)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setIconSize({24, 24});
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setGeometry(twipsToPixels(twips));
    return button;
}

// Large enough for a page of many columns to be read without scrolling sideways, never below the
// design size.
QSize openingSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return DesignSize;
    const QSize available = screen->availableSize();
    return QSize(available.width() * 9 / 10, available.height() * 4 / 5).expandedTo(DesignSize);
}

bool nameTaken(const QString &path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}

// The page name of the moment, with a counter when a run of this or another window took it
// within the same second: the name is reserved by creating the file, so no two runs ever write,
// or remove, one page.
QString reservePage(const QString &folder, const QString &name)
{
    const QString stem = QFileInfo(name).completeBaseName();
    for (int number = 1;; ++number) {
        const QString path
            = folder + (number == 1 ? name : stem + u'_' + QString::number(number) + u".html");
        if (nameTaken(path))
            continue;
        try {
            platform::createPrivateFile(path)->close();
            return path;
        } catch (const platform::Error &) {
            if (!nameTaken(path))
                throw;
        }
    }
}

// Where the user keeps documents: the desktop's documents folder, else the home folder. Not the
// private folder, which the system may empty at logout with a workbook the user has edited.
QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

// The statistic's name as a part of a file name: no folder separators or control characters,
// and short enough, in the file system's bytes, to leave room for the rest of the name.
QString fileNamePart(const QString &text)
{
    constexpr qsizetype MostBytes = 150;
    QString part;
    for (const QChar c : text.trimmed())
        part += c == u'/' ? u'-' : (c.category() == QChar::Other_Control ? u' ' : c);
    while (QFile::encodeName(part).size() > MostBytes) {
        part.chop(1);
        if (!part.isEmpty() && part.back().isHighSurrogate())
            part.chop(1);
    }
    return part.trimmed();
}

} // namespace

FrmDetallado::FrmDetallado(QWidget *parent) : QWidget(parent, Qt::Window)
{
    buildControls();
}

FrmDetallado::~FrmDetallado()
{
    removeEarlierPages();
}

void FrmDetallado::buildControls()
{
    setWindowTitle(QStringLiteral("Reporte Estadistico - Apertura por Cuentas"));
    setMinimumSize(DesignSize);
    resize(openingSize());

    cmdExcel = pictureButton(this, "cmdExcel", QStringLiteral("Excel"),
                             QStyle::SP_FileDialogDetailedView, {120, 0, 855, 735});
    cmdSalir = pictureButton(this, "cmdSalir", QStringLiteral("Salir"),
                             QStyle::SP_DialogCloseButton, {1200, 0, 855, 735});
    connect(cmdExcel, &QToolButton::clicked, this, &FrmDetallado::cmdExcel_Click);
    connect(cmdSalir, &QToolButton::clicked, this, &FrmDetallado::cmdSalir_Click);

    WebBrowser1 = new platform::WebBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(twipsToPixels({BrowserLeft, BrowserTop, 4575, 2895}));
}

void FrmDetallado::CrearTempNew()
{
    // The last page is forgotten first, so a run that cannot start never shows or exports it.
    WebBrowser1->Navigate2(QStringLiteral("about:blank"));
    WebBrowser1->setVisible(true);
    m_pageRows.clear();
    strCarpetaTemp.clear();
    strArchivoHTML.clear();
    m_runStarted = QDateTime::currentDateTimeUtc();
    const QString folder
        = platform::gUtil().AgregarBarra(platform::privateFolder(QStringLiteral("pages")));
    strArchivoHTML = reservePage(folder, pageFileName(platform::now()));
    strCarpetaTemp = folder;
}

void FrmDetallado::discardUnwrittenPage()
{
    const QFileInfo page(strArchivoHTML);
    if (!strArchivoHTML.isEmpty() && page.isFile() && !page.isSymLink() && page.size() == 0)
        QFile::remove(strArchivoHTML);
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

void FrmDetallado::keepPageRows(QList<BreakdownRow> rows)
{
    m_pageRows = std::move(rows);
}

void FrmDetallado::cmdExcel_Click()
{
    if (m_pageRows.isEmpty()) {
        reportExportFailure(QStringLiteral("No hay un reporte terminado para exportar."));
        return;
    }
    QString path;
    try {
        path = exportWorkbook();
    } catch (const platform::Error &error) {
        reportExportFailure(error.description());
        return;
    }
    platform::launcher().openDocumentReportingFailure(
        path, [window = QPointer<FrmDetallado>(this), path] {
            if (window)
                window->reportExportFailure(
                    QStringLiteral("El escritorio no pudo abrirla con un programa de planillas.\r\n"
                                   "La planilla quedó grabada en %1, donde puede abrirla a mano.")
                        .arg(QDir::toNativeSeparators(path)));
        });
}

// The workbook is made in the private folder and copied whole to the documents folder,
// so a failed export leaves nothing half-written where the user looks.
QString FrmDetallado::exportWorkbook() const
{
    const QString draft
        = strCarpetaTemp + QFileInfo(strArchivoHTML).completeBaseName() + QStringLiteral(".xlsx");
    QFile::remove(draft);
    writeWorkbook(draft, m_pageRows);
    QFile written(draft);
    const bool read = written.open(QIODevice::ReadOnly);
    const QByteArray bytes = written.readAll();
    const QString reason = written.errorString();
    written.close();
    QFile::remove(draft);
    if (!read)
        throw platform::Error(platform::errors::PathFileAccess,
                              draft + QStringLiteral(": ") + reason);
    const QString path = nextWorkbookPath();
    platform::writePrivateFile(path, bytes);
    return path;
}

// "Apertura por cuentas - <statistic> - <date>.xlsx" in the documents folder; a name already
// there gets a counter, so no export replaces a workbook the user may have edited.
QString FrmDetallado::nextWorkbookPath() const
{
    const QString statistic = m_pageRows.first().texts.isEmpty()
        ? QString()
        : fileNamePart(m_pageRows.first().texts.first());
    QString stem = QStringLiteral("Apertura por cuentas");
    if (!statistic.isEmpty())
        stem += QStringLiteral(" - ") + statistic;
    stem += QStringLiteral(" - ") + platform::now().date().toString(Qt::ISODate);
    const QString base = platform::gUtil().AgregarBarra(documentsFolder()) + stem;
    for (int number = 1;; ++number) {
        const QString path = base + (number == 1 ? QString() : QStringLiteral(" (%1)").arg(number))
            + QStringLiteral(".xlsx");
        if (!nameTaken(path))
            return path;
    }
}

void FrmDetallado::reportExportFailure(const QString &reason)
{
    platform::userDialogs().messageBox(QStringLiteral("No se pudo abrir la planilla.\r\n") + reason,
                                       platform::msgbox::Exclamation,
                                       QStringLiteral("Apertura por Cuentas"));
}

void FrmDetallado::removeEarlierPages() const
{
    if (strCarpetaTemp.isEmpty() || !m_runStarted.isValid())
        return;
    const QDir folder(strCarpetaTemp);
    const QFileInfoList pages = folder.entryInfoList({QStringLiteral("Panel_CTA_*.html")},
                                                     QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo &page : pages)
        if (page.filePath() != strArchivoHTML && page.lastModified().toUTC() < m_runStarted)
            QFile::remove(page.filePath());
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

void FrmDetallado::closeEvent(QCloseEvent *event)
{
    removeEarlierPages();
    QWidget::closeEvent(event);
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
