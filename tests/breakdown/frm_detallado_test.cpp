#include "../platform/platform_test_helpers.h"
#include "breakdown/breakdown_page.h"
#include "breakdown/frm_detallado.h"
#include "child_controls.h"
#include "platform/browser/web_browser.h"
#include "platform/legacy_files.h"
#include "platform/runtime.h"
#include "scripted_dialogs.h"
#include "workbook_reader.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testing_support::child;

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

mode_t modeOf(const QString &path)
{
    struct stat status
    { };
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// The window on a runtime folder of its own, standing for the user's, at a fixed moment, with
// every box scripted and every document opening recorded.
class FrmDetalladoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
        // The desktop names the documents folder in the user's settings.
        QDir().mkpath(documentsFolder());
        QDir().mkpath(folder.filePath(QStringLiteral("config")));
        writeBytes(folder.filePath(QStringLiteral("config/user-dirs.dirs")),
                   "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n");
        platform::setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); });
        platform::setLauncher(&launcher);
    }
    void TearDown() override
    {
        platform::setLauncher(nullptr);
        platform::setClock({});
        qputenv("XDG_RUNTIME_DIR", m_previousRuntime);
    }

    QString pagesFolder() const { return folder.path() + QStringLiteral("/rp_panelcta/pages"); }
    QString homeFolder() const { return folder.path() + QStringLiteral("/home"); }
    QString documentsFolder() const { return homeFolder() + QStringLiteral("/Documentos"); }

    // Writes a finished page of one group and one account where CrearTempNew named it, with as
    // many columns as asked, and gives the window its rows.
    void writePage(FrmDetallado &window, const QString &nombre, int columns = 2)
    {
        window.writeStyleCSS(window.pageFolder());
        breakdown::BreakdownPage page(
            window.pagePath(), window.getCabeceraHTML(QStringLiteral("Reporte Estadistico"), false),
            nombre);
        page.toggleRowClass();
        for (int column = 1; column <= columns; ++column)
            page.addColumnCaption(
                QStringLiteral("%1/01/2023").arg(column, 2, 10, QLatin1Char('0')));
        page.writeColumnHeader();
        page.toggleRowClass();
        page.startAccountRow(QStringLiteral("Ventas (+)"), QStringLiteral("41"),
                             QStringLiteral("Ventas de mercadería"));
        for (int column = 1; column <= columns; ++column)
            page.addAmount(platform::Currency::fromDouble(-1234567.89 * column));
        page.closeGroup(QStringLiteral("Ventas (+)"));
        page.writePendingRows();
        page.finish();
        window.keepPageRows(page.rows());
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
    ScopedEnvironment home{"HOME", QFile::encodeName(homeFolder())};
    ScopedEnvironment configuration{"XDG_CONFIG_HOME",
                                    QFile::encodeName(folder.filePath(QStringLiteral("config")))};
    RecordingLauncher launcher;
    testing_support::ScriptedDialogs dialogs;

private:
    QByteArray m_previousRuntime;
};

TEST_F(FrmDetalladoTest, WindowHasItsButtonsCaptionAndOpensBeyondItsDesignSize)
{
    FrmDetallado window;
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral(" - Apertura por Cuentas")));
    EXPECT_EQ(child<QToolButton>(window, "cmdExcel")->text(), QStringLiteral("Excel"));
    EXPECT_EQ(child<QToolButton>(window, "cmdSalir")->text(), QStringLiteral("Salir"));
    EXPECT_EQ(child<QToolButton>(window, "cmdExcel")->geometry(), QRect(8, 0, 57, 49));
    EXPECT_EQ(child<QToolButton>(window, "cmdSalir")->geometry(), QRect(80, 0, 57, 49));
    EXPECT_EQ(window.minimumSize(), QSize(553, 357));
    EXPECT_GT(window.width(), 553);
    EXPECT_GT(window.height(), 357);
    EXPECT_TRUE(window.pageFolder().isEmpty());
    EXPECT_TRUE(window.pagePath().isEmpty());
}

TEST_F(FrmDetalladoTest, NewPageIsNamedInThePrivateFolderAndTheBrowserIsBlanked)
{
    FrmDetallado window;
    window.CrearTempNew();

    EXPECT_EQ(window.pageFolder(), pagesFolder() + QLatin1Char('/'));
    EXPECT_EQ(modeOf(pagesFolder()), 0700u);
    EXPECT_EQ(window.pagePath(), pagesFolder() + QStringLiteral("/Panel_CTA_5320261479.html"));
    EXPECT_EQ(child<platform::WebBrowser>(window, "WebBrowser1")->LocationURL(),
              QStringLiteral("about:blank"));
    EXPECT_FALSE(child<platform::WebBrowser>(window, "WebBrowser1")->isHidden());
}

TEST_F(FrmDetalladoTest, TwoUsersGetPagesOfTheirOwnAndPlantedLinksAreNotFollowed)
{
    QTemporaryDir otherRuntime;
    const QString target = folder.filePath(QStringLiteral("target.txt"));
    writeBytes(target, "keep");

    FrmDetallado first;
    first.CrearTempNew();
    // Links where the style sheet and the page go, as an attacker would plant them.
    QFile::link(target, first.pageFolder() + QStringLiteral("Style.css"));
    QFile::remove(first.pagePath());
    QFile::link(target, first.pagePath());
    writePage(first, QStringLiteral("Primero"));

    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(otherRuntime.path()));
    FrmDetallado second;
    second.CrearTempNew();
    writePage(second, QStringLiteral("Segundo"));

    EXPECT_EQ(bytesOf(target), QByteArray("keep")) << "nothing was written through a link";
    EXPECT_TRUE(second.pagePath().startsWith(otherRuntime.path()));
    for (const FrmDetallado *window : {&first, &second}) {
        for (const QString &file :
             QStringList{window->pagePath(), window->pageFolder() + QStringLiteral("Style.css")}) {
            EXPECT_FALSE(QFileInfo(file).isSymLink()) << file.toStdString();
            EXPECT_EQ(modeOf(file), 0600u) << file.toStdString();
        }
    }
    EXPECT_TRUE(bytesOf(first.pagePath()).contains("Primero"));
    EXPECT_TRUE(bytesOf(second.pagePath()).contains("Segundo"));
}

TEST_F(FrmDetalladoTest, ClosingTheWindowRemovesThePagesOfEarlierRunsOnly)
{
    FrmDetallado window;
    window.show();
    QStringList pages;
    for (const int second : {1, 2, 3}) {
        platform::setClock([second] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, second)); });
        window.CrearTempNew();
        writePage(window, QStringLiteral("Resultados"));
        pages.append(window.pagePath());
        QTest::qWait(20); // the next run starts after this page was written
    }
    const QString workbook = pagesFolder() + QStringLiteral("/Panel_CTA_5320261471_1.xlsx");
    writeBytes(workbook, "PK");
    FrmDetallado otherWindow; // a run of another window, after the last one of this window
    platform::setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 4)); });
    otherWindow.CrearTempNew();
    writePage(otherWindow, QStringLiteral("Otra"));

    window.close();

    EXPECT_FALSE(QFile::exists(pages[0]));
    EXPECT_FALSE(QFile::exists(pages[1]));
    EXPECT_TRUE(QFile::exists(pages[2])) << "the page on show stays";
    EXPECT_TRUE(QFile::exists(otherWindow.pagePath()));
    EXPECT_TRUE(QFile::exists(pagesFolder() + QStringLiteral("/Style.css")));
    EXPECT_TRUE(QFile::exists(workbook)) << "a workbook the user may have open stays";
}

// Two breakdowns in one second, of this window twice or of two windows at once (two starts of
// the program): each page gets a name of its own, and each shows its own breakdown.
TEST_F(FrmDetalladoTest, PagesStartedInOneSecondGetNamesOfTheirOwnAndBothShow)
{
    FrmDetallado first;
    FrmDetallado second;
    first.show();
    second.show();
    first.CrearTempNew();
    second.CrearTempNew();
    writePage(first, QStringLiteral("Primero"));
    writePage(second, QStringLiteral("Segundo"));
    const QString earlierPage = first.pagePath();
    first.CrearTempNew();
    writePage(first, QStringLiteral("Tercero"));

    EXPECT_EQ(earlierPage, pagesFolder() + QStringLiteral("/Panel_CTA_5320261479.html"));
    EXPECT_EQ(second.pagePath(), pagesFolder() + QStringLiteral("/Panel_CTA_5320261479_2.html"));
    EXPECT_EQ(first.pagePath(), pagesFolder() + QStringLiteral("/Panel_CTA_5320261479_3.html"));
    EXPECT_TRUE(bytesOf(earlierPage).contains("Primero"));
    for (const auto &[window, nombre] : {std::pair{&first, "Tercero"}, {&second, "Segundo"}}) {
        QSignalSpy loads(child<platform::WebBrowser>(*window, "WebBrowser1"),
                         &QWebEngineView::loadFinished);
        window->NavegarA(window->pagePath());
        ASSERT_TRUE(waitForLoad(loads)) << nombre;
        EXPECT_EQ(
            evaluate(*child<platform::WebBrowser>(*window, "WebBrowser1"),
                     QStringLiteral("document.querySelector('tr.TableTitulo td').textContent"))
                .toString(),
            QString::fromLatin1(nombre));
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FrmDetalladoTest, BrowserShowsTheWrittenPageThenBlanksForTheNextRun)
{
    FrmDetallado window;
    window.show();
    window.CrearTempNew();
    writePage(window, QStringLiteral("Ventas & Costos"));

    QSignalSpy loads(child<platform::WebBrowser>(window, "WebBrowser1"),
                     &QWebEngineView::loadFinished);
    window.NavegarA(window.pagePath());
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(child<platform::WebBrowser>(window, "WebBrowser1")->LocationURL(),
              "file://" + window.pagePath());
    EXPECT_EQ(child<platform::WebBrowser>(window, "WebBrowser1")->url().toLocalFile(),
              window.pagePath());
    EXPECT_EQ(evaluate(*child<platform::WebBrowser>(window, "WebBrowser1"),
                       QStringLiteral("document.title"))
                  .toString(),
              QStringLiteral("Reporte Estadistico"));
    EXPECT_EQ(evaluate(*child<platform::WebBrowser>(window, "WebBrowser1"),
                       QStringLiteral("document.querySelector('tr.TableTitulo td').textContent"))
                  .toString(),
              QStringLiteral("Ventas & Costos"));
    // The style sheet beside the page is applied to it.
    EXPECT_EQ(evaluate(*child<platform::WebBrowser>(window, "WebBrowser1"),
                       QStringLiteral("getComputedStyle(document.querySelector('tr.TableTitulo'))"
                                      ".backgroundColor"))
                  .toString(),
              QStringLiteral("rgb(52, 152, 219)"));
    // Its sizes apply, in a sans-serif family even where the named fonts are missing.
    const QString amountCell = QStringLiteral("getComputedStyle(document.querySelector("
                                              "'td.TableRowPar[align=right]'))");
    EXPECT_EQ(evaluate(*child<platform::WebBrowser>(window, "WebBrowser1"),
                       amountCell + QStringLiteral(".fontSize"))
                  .toString(),
              QStringLiteral("10px"));
    EXPECT_TRUE(evaluate(*child<platform::WebBrowser>(window, "WebBrowser1"),
                         amountCell + QStringLiteral(".fontFamily"))
                    .toString()
                    .endsWith(QStringLiteral("sans-serif")));

    platform::setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 8, 0)); });
    window.CrearTempNew();
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(child<platform::WebBrowser>(window, "WebBrowser1")->url(),
              QUrl(QStringLiteral("about:blank")));
    EXPECT_EQ(window.pagePath(), pagesFolder() + QStringLiteral("/Panel_CTA_5320261480.html"));
}

TEST_F(FrmDetalladoTest, PagePathWithBlanksAndHashLoadsAndAMissingPageAsksNothing)
{
    FrmDetallado window;
    window.show();
    const QString oddFolder = folder.filePath(QStringLiteral("Mis reportes #1 ñ"));
    ASSERT_TRUE(QDir().mkpath(oddFolder));
    ::chmod(QFile::encodeName(oddFolder).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(oddFolder));
    window.CrearTempNew();
    writePage(window, QStringLiteral("Resultados"));

    QSignalSpy loads(child<platform::WebBrowser>(window, "WebBrowser1"),
                     &QWebEngineView::loadFinished);
    window.NavegarA(window.pagePath());
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(child<platform::WebBrowser>(window, "WebBrowser1")->url().toLocalFile(),
              window.pagePath());

    window.NavegarA(folder.filePath(QStringLiteral("no such page.html")));
    EXPECT_TRUE(loads.wait(20000));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FrmDetalladoTest, ExportWritesANewWorkbookOfTheLastPageOnEveryClick)
{
    FrmDetallado window;
    window.CrearTempNew();
    writePage(window, QStringLiteral("Resultados"));
    window.show();
    child<QToolButton>(window, "cmdSalir")->click();
    EXPECT_TRUE(window.isHidden());
    window.show();

    QTest::mouseClick(child<QToolButton>(window, "cmdExcel"), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>(window, "cmdExcel"), Qt::LeftButton);

    ASSERT_EQ(launcher.opened.size(), 2);
    EXPECT_EQ(launcher.opened[0],
              documentsFolder()
                  + QStringLiteral("/Apertura por cuentas - Resultados - 2026-03-05.xlsx"));
    EXPECT_EQ(launcher.opened[1],
              documentsFolder()
                  + QStringLiteral("/Apertura por cuentas - Resultados - 2026-03-05 (2).xlsx"));
    EXPECT_EQ(QDir(pagesFolder()).entryList({QStringLiteral("*.xlsx")}), QStringList())
        << "no draft is left beside the page";
    for (const QString &workbook : launcher.opened) {
        EXPECT_EQ(modeOf(workbook), 0600u);
        const auto cells = breakdown_testing::readFirstSheet(workbook);
        EXPECT_EQ(cells.value(QStringLiteral("A1")).text, QStringLiteral("Resultados"));
        EXPECT_EQ(cells.value(QStringLiteral("B4")).text,
                  QStringLiteral("41 Ventas de mercadería"));
        EXPECT_TRUE(cells.value(QStringLiteral("D4")).number);
        EXPECT_DOUBLE_EQ(cells.value(QStringLiteral("D4")).value, -2469135.78);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

// The workbook goes where the user keeps documents, named for what it holds: the desktop's
// documents folder, else home. A name taken, by a workbook or a link planted there, gets a
// counter and stays as it was.
TEST_F(FrmDetalladoTest, TheWorkbookGoesToTheDocumentsFolderAndNeverReplacesAFile)
{
    const QString target = folder.filePath(QStringLiteral("target.txt"));
    writeBytes(target, "keep");
    const struct
    {
        const char *name;
        QByteArray userDirs;
        QString nombre;
        QString expected;
    } cases[] = {
        {"documents folder", "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n", "Resultados",
         documentsFolder() + "/Apertura por cuentas - Resultados - 2026-03-05 (2).xlsx"},
        {"no documents folder", "XDG_DOCUMENTS_DIR=\"$HOME/No existe\"\n", "Resultados",
         homeFolder() + "/Apertura por cuentas - Resultados - 2026-03-05 (2).xlsx"},
        {"a name with folders", "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n", "../Ventas/2023",
         documentsFolder() + "/Apertura por cuentas - ..-Ventas-2023 - 2026-03-05 (2).xlsx"},
        // 200 characters of two bytes each, as the definition's name column holds them.
        {"a long name", "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n", QString(200, u'ñ'),
         documentsFolder() + "/Apertura por cuentas - " + QString(75, u'ñ')
             + " - 2026-03-05 (2).xlsx"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(folder.filePath(QStringLiteral("config/user-dirs.dirs")), c.userDirs);
        const QString planted = QString(c.expected).replace(QStringLiteral(" (2)"), QString());
        QFile::remove(planted);
        ASSERT_TRUE(QFile::link(target, planted));
        FrmDetallado window;
        window.CrearTempNew();
        writePage(window, c.nombre);
        launcher.opened.clear();

        window.cmdExcel_Click();

        ASSERT_EQ(launcher.opened, QStringList{c.expected});
        EXPECT_EQ(modeOf(c.expected), 0600u);
        EXPECT_EQ(breakdown_testing::readFirstSheet(c.expected).value(QStringLiteral("A1")).text,
                  c.nombre);
        EXPECT_TRUE(QFileInfo(planted).isSymLink());
        QFile::remove(planted);
        QFile::remove(c.expected);
    }
    EXPECT_EQ(bytesOf(target), QByteArray("keep"));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FrmDetalladoTest, ExportFailuresAreReportedAndTheWindowKeepsWorking)
{
    const struct
    {
        const char *name;
        bool writePage;
        bool launcherOpens;
        bool namesTheWorkbook;
    } cases[] = {
        {"no page written yet", false, true, false},
        {"no spreadsheet program", true, false, true},
    };
    for (const auto &c : cases) {
        FrmDetallado window;
        window.CrearTempNew();
        if (c.writePage)
            writePage(window, QStringLiteral("Resultados"));
        launcher.opens = c.launcherOpens;
        launcher.opened.clear();
        dialogs.clearShown();
        dialogs.answer(platform::msgbox::Ok);

        window.cmdExcel_Click();

        ASSERT_EQ(dialogs.count(), 1) << c.name;
        EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("No se pudo abrir la planilla.")))
            << c.name;
        EXPECT_EQ(dialogs.last().style, platform::msgbox::Exclamation) << c.name;
        EXPECT_EQ(launcher.opened.size(), c.writePage ? 1 : 0) << c.name;
        if (c.namesTheWorkbook) {
            EXPECT_TRUE(dialogs.last().text.contains(launcher.opened.value(0))) << c.name;
            EXPECT_TRUE(QFile::exists(launcher.opened.value(0))) << c.name;
        }
    }
}

// The desktop's opener as the real launcher finds it on the PATH: missing, failing or working.
TEST_F(FrmDetalladoTest, AFailingDesktopOpenerIsReportedNamingTheWorkbook)
{
    platform::setLauncher(nullptr);
    const QString bin = folder.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QByteArray previousPath = qgetenv("PATH");
    const struct
    {
        const char *name;
        const char *opener; // the script's body; none: no opener at all
        bool reported;
    } cases[] = {
        {"no opener", nullptr, true},
        {"opener fails", "exit 4", true},
        {"opener opens", "echo \"$1\" > \"$(dirname \"$0\")/opened\"", false},
    };
    for (const auto &c : cases) {
        QFile::remove(bin + QStringLiteral("/xdg-open"));
        if (c.opener) {
            writeBytes(bin + QStringLiteral("/xdg-open"),
                       QByteArray("#!/bin/sh\n") + c.opener + "\n");
            ::chmod(QFile::encodeName(bin + QStringLiteral("/xdg-open")).constData(), 0700);
        }
        qputenv("PATH", QFile::encodeName(bin) + ":/usr/bin:/bin");
        FrmDetallado window;
        window.show();
        window.CrearTempNew();
        writePage(window, QStringLiteral("Resultados"));
        dialogs.clearShown();
        if (c.reported)
            dialogs.answer(platform::msgbox::Ok);

        QTest::mouseClick(child<QToolButton>(window, "cmdExcel"), Qt::LeftButton);

        if (c.reported) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs.count() == 1; }, 10000)) << c.name;
            if (dialogs.count() == 1) {
                EXPECT_TRUE(dialogs.last().text.contains(
                    documentsFolder() + QStringLiteral("/Apertura por cuentas - Resultados - ")))
                    << c.name;
            }
        } else {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return QFile::exists(bin + QStringLiteral("/opened")); }, 10000));
            QTest::qWait(200);
            EXPECT_EQ(dialogs.count(), 0) << c.name;
        }
        EXPECT_TRUE(child<QToolButton>(window, "cmdSalir")->isEnabled());
        QTest::mouseClick(child<QToolButton>(window, "cmdSalir"), Qt::LeftButton);
        EXPECT_TRUE(window.isHidden()) << "the window keeps working";
    }
    qputenv("PATH", previousPath);
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
    EXPECT_EQ(child<platform::WebBrowser>(window, "WebBrowser1")->geometry(),
              QRect(8, 56, (outer.width() * 15 - 300) / 15, (outer.height() * 15 - 1300) / 15));
    EXPECT_EQ(child<QToolButton>(window, "cmdExcel")->geometry(), QRect(8, 0, 57, 49));
}

} // namespace
