#include "breakdown/breakdown_page.h"
#include "breakdown/frm_detallado.h"
#include "platform/browser/web_browser.h"
#include "platform/legacy_files.h"
#include "platform/runtime.h"
#include "scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <gtest/gtest.h>

namespace {

using breakdown::FrmDetallado;

class RecordingLauncher final : public platform::Launcher
{
public:
    bool start(const QString &, const QStringList &, bool) override { return false; }
    bool openDocument(const QString &path) override
    {
        opened.append(path);
        return opens;
    }

    QStringList opened;
    bool opens = true;
};

// The window on a temporary folder of its own, at a fixed moment, with every box scripted and
// every document opening recorded.
class FrmDetalladoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousTmpDir = qgetenv("TMPDIR");
        qputenv("TMPDIR", folder.path().toLocal8Bit());
        platform::setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); });
        platform::setLauncher(&launcher);
    }
    void TearDown() override
    {
        platform::setLauncher(nullptr);
        platform::setClock({});
        qputenv("TMPDIR", m_previousTmpDir);
    }

    // Writes a small finished page where CrearTempNew named it.
    void writePage(FrmDetallado &window, const QString &nombre)
    {
        window.writeStyleCSS(window.strCarpetaTemp);
        breakdown::BreakdownPage page(
            window.strArchivoHTML,
            window.getCabeceraHTML(QStringLiteral("Reporte Estadistico"), false), nombre);
        page.finish();
    }

    static bool waitForLoad(QSignalSpy &loads)
    {
        return loads.wait(20000) && loads.last().first().toBool();
    }

    static QVariant evaluate(platform::WebBrowser &browser, const QString &script)
    {
        QVariant result;
        bool done = false;
        browser.page()->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            done = true;
        });
        for (int wait = 0; wait < 200 && !done; ++wait)
            QTest::qWait(50);
        return result;
    }

    QTemporaryDir folder;
    RecordingLauncher launcher;
    testing_support::ScriptedDialogs dialogs;

private:
    QByteArray m_previousTmpDir;
};

TEST_F(FrmDetalladoTest, WindowHasItsButtonsCaptionAndDesignSize)
{
    FrmDetallado window;
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral(" - Apertura por Cuentas")));
    EXPECT_EQ(window.cmdExcel->text(), QStringLiteral("Excel"));
    EXPECT_EQ(window.cmdSalir->text(), QStringLiteral("Salir"));
    EXPECT_EQ(window.cmdExcel->geometry(), QRect(8, 0, 57, 49));
    EXPECT_EQ(window.cmdSalir->geometry(), QRect(80, 0, 57, 49));
    EXPECT_TRUE(window.strCarpetaTemp.isEmpty());
    EXPECT_TRUE(window.strArchivoHTML.isEmpty());
}

TEST_F(FrmDetalladoTest, NewPageIsNamedInTheTemporaryFolderAndTheBrowserIsBlanked)
{
    FrmDetallado window;
    window.CrearTempNew();

    EXPECT_EQ(window.strCarpetaTemp, folder.path() + QLatin1Char('/'));
    EXPECT_EQ(window.strArchivoHTML, folder.path() + QStringLiteral("/Panel_CTA_5320261479.html"));
    EXPECT_EQ(window.WebBrowser1->LocationURL(), QStringLiteral("about:blank"));
    EXPECT_FALSE(window.WebBrowser1->isHidden());
}

TEST_F(FrmDetalladoTest, BrowserShowsTheWrittenPageThenBlanksForTheNextRun)
{
    FrmDetallado window;
    window.show();
    window.CrearTempNew();
    writePage(window, QStringLiteral("Ventas & Costos"));

    QSignalSpy loads(window.WebBrowser1, &QWebEngineView::loadFinished);
    window.NavegarA(window.strArchivoHTML);
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(window.WebBrowser1->LocationURL(), "file://" + window.strArchivoHTML);
    EXPECT_EQ(window.WebBrowser1->url().toLocalFile(), window.strArchivoHTML);
    EXPECT_EQ(evaluate(*window.WebBrowser1, QStringLiteral("document.title")).toString(),
              QStringLiteral("Reporte Estadistico"));
    EXPECT_EQ(evaluate(*window.WebBrowser1,
                       QStringLiteral("document.querySelector('tr.TableTitulo td').textContent"))
                  .toString(),
              QStringLiteral("Ventas & Costos"));
    // The style sheet beside the page is applied to it.
    EXPECT_EQ(evaluate(*window.WebBrowser1,
                       QStringLiteral("getComputedStyle(document.querySelector('tr.TableTitulo'))"
                                      ".backgroundColor"))
                  .toString(),
              QStringLiteral("rgb(52, 152, 219)"));

    platform::setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 8, 0)); });
    window.CrearTempNew();
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(window.WebBrowser1->url(), QUrl(QStringLiteral("about:blank")));
    EXPECT_EQ(window.strArchivoHTML, folder.path() + QStringLiteral("/Panel_CTA_5320261480.html"));
}

TEST_F(FrmDetalladoTest, PagePathWithBlanksAndHashLoadsAndAMissingPageAsksNothing)
{
    FrmDetallado window;
    window.show();
    const QString oddFolder = folder.filePath(QStringLiteral("Mis reportes #1"));
    ASSERT_TRUE(QDir().mkpath(oddFolder));
    qputenv("TMPDIR", oddFolder.toLocal8Bit());
    window.CrearTempNew();
    writePage(window, QStringLiteral("Resultados"));

    QSignalSpy loads(window.WebBrowser1, &QWebEngineView::loadFinished);
    window.NavegarA(window.strArchivoHTML);
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(window.WebBrowser1->url().toLocalFile(), window.strArchivoHTML);

    window.NavegarA(folder.filePath(QStringLiteral("no such page.html")));
    EXPECT_TRUE(loads.wait(20000));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FrmDetalladoTest, ExportOpensACopyOfTheLastPageAsAWorkbookOnEveryClick)
{
    FrmDetallado window;
    window.CrearTempNew();
    writePage(window, QStringLiteral("Resultados"));
    window.show();
    window.cmdSalir->click();
    EXPECT_TRUE(window.isHidden());
    window.show();

    window.cmdExcel->click();
    window.cmdExcel->click();

    ASSERT_EQ(launcher.opened.size(), 2);
    EXPECT_NE(launcher.opened[0], launcher.opened[1]);
    const QByteArray page = [&] {
        QFile file(window.strArchivoHTML);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    for (const QString &copy : launcher.opened) {
        EXPECT_TRUE(copy.startsWith(folder.path() + QStringLiteral("/Panel_CTA_5320261479")));
        EXPECT_TRUE(copy.endsWith(QStringLiteral(".xls")));
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), page);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FrmDetalladoTest, ExportFailuresAreReportedAndTheWindowKeepsWorking)
{
    const struct
    {
        const char *name;
        bool writePage;
        bool launcherOpens;
    } cases[] = {
        {"no page written yet", false, true},
        {"no spreadsheet program", true, false},
    };
    for (const auto &c : cases) {
        FrmDetallado window;
        window.CrearTempNew();
        if (c.writePage)
            writePage(window, QStringLiteral("Resultados"));
        launcher.opens = c.launcherOpens;
        dialogs.clearShown();
        dialogs.answer(platform::msgbox::Ok);

        window.cmdExcel_Click();

        ASSERT_EQ(dialogs.count(), 1) << c.name;
        EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("No se pudo abrir la planilla.")))
            << c.name;
        EXPECT_EQ(dialogs.last().style, platform::msgbox::Exclamation) << c.name;
    }
    EXPECT_EQ(launcher.opened.size(), 1); // only the case with a page reached the launcher
}

TEST_F(FrmDetalladoTest, BrowserFollowsTheWindowSizeAndNeverGoesNegative)
{
    const struct
    {
        int width, height;
        QRect browser;
    } cases[] = {
        {10000, 8000, {120, 840, 9700, 6700}},
        {8295, 5355, {120, 840, 7995, 4055}},
        {300, 1300, {120, 840, 0, 0}},
        {0, 0, {120, 840, 0, 0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FrmDetallado::browserPlacement(c.width, c.height), c.browser)
            << c.width << " x " << c.height;

    FrmDetallado window;
    window.show();
    window.resize(667, 534);
    const QSize outer = window.frameGeometry().size();
    EXPECT_EQ(window.WebBrowser1->geometry(),
              QRect(8, 56, (outer.width() * 15 - 300) / 15, (outer.height() * 15 - 1300) / 15));
    EXPECT_EQ(window.cmdExcel->geometry(), QRect(8, 0, 57, 49));
}

} // namespace
