#pragma once

#include "breakdown/breakdown_page.h"
#include "statistics/statistic_definition.h"

#include <QDateTime>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

class QCloseEvent;
class QResizeEvent;
class QToolButton;

namespace platform {
class WebBrowser;
}

namespace breakdown {

// The window of the per-account breakdown of a statistic: the page in a browser, a button that
// opens the page as a spreadsheet and one that hides the window. One default instance serves
// every breakdown; hiding it keeps its last page until the next run replaces it. The pages live in
// the user's private folder; closing the window or ending the program removes the pages of
// earlier runs.
class FrmDetallado : public QWidget
{
    Q_OBJECT

public:
    explicit FrmDetallado(QWidget *parent = nullptr);
    ~FrmDetallado() override;

    // Folder of the page and its style sheet, ending in one separator, and the current page's
    // full path; both empty until CrearTempNew runs.
    const QString &pageFolder() const { return strCarpetaTemp; }
    const QString &pagePath() const { return strArchivoHTML; }

    // Computes the named definition's stored lines per account and column, over the period,
    // grouping and selections of the definition, into the user's work rows, writes the page and
    // shows it in the browser.
    void GeneraAuxiliar(QString &nombre, const statistics::StatisticDefinition &definition);

    // Names a new page in the user's private page folder, reserving the name, and blanks the
    // browser until it is written. Raises platform::Error when the folder cannot be made private
    // or the page created.
    void CrearTempNew();
    // Removes the page CrearTempNew reserved when the run ended before writing it.
    void discardUnwrittenPage();
    // Writes "Style.css" into the folder. Raises platform::Error when it cannot be written.
    void writeStyleCSS(const QString &strDirectorio);
    // The page head as one line; with frames set it does not open the body.
    QString getCabeceraHTML(const QString &title, bool frames) const;
    // Shows the file in the browser; a failing step is skipped without a message.
    void NavegarA(const QString &strURL);

    // The rows of the page just written, kept for the spreadsheet export until the next run.
    void keepPageRows(QList<BreakdownRow> rows);

    // Writes the rows of the last page as a new workbook of this user alone in the documents
    // folder and opens it with the desktop's spreadsheet program, so every click gives a
    // workbook of its own. A failure is reported, naming the file when it was written, and the
    // window keeps working.
    void cmdExcel_Click();
    // Hides the window; the page and the members stay.
    void cmdSalir_Click();
    // Fits the browser to the window; the buttons stay where they are.
    void Form_Resize();

    // The browser's place, in twips, for a window of that outer size in twips; a window smaller
    // than the margins gives a browser of no width or height rather than a negative one.
    static QRect browserPlacement(int windowWidthTwips, int windowHeightTwips);

    // Removes the pages written before the current run started; the current page, and pages
    // that runs of other windows wrote since, stay.
    void removeEarlierPages() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Each carries its name as its object name.
    QToolButton *cmdExcel = nullptr;
    QToolButton *cmdSalir = nullptr;
    platform::WebBrowser *WebBrowser1 = nullptr;

    QString strCarpetaTemp;
    QString strArchivoHTML;

    void buildControls();
    QString exportWorkbook() const;
    QString nextWorkbookPath() const;
    void reportExportFailure(const QString &reason);

    QList<BreakdownRow> m_pageRows;
    QDateTime m_runStarted;
};

// The default instance, created hidden on first use.
FrmDetallado &frmDetallado();

} // namespace breakdown
