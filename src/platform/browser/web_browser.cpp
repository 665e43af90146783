#include "platform/browser/web_browser.h"

#include <QUrl>

namespace platform {

namespace {

const QString FileScheme = QStringLiteral("file://");

// A "file://" address is followed by a plain path, which may hold blanks, "#" or "%": read as
// a URL those would be taken apart, so the path is turned into a URL as a path.
QUrl addressToUrl(const QString &address)
{
    if (address.startsWith(FileScheme, Qt::CaseInsensitive))
        return QUrl::fromLocalFile(address.mid(FileScheme.size()));
    return QUrl(address, QUrl::TolerantMode);
}

} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QWebEngineView(parent) { }

void WebBrowser::Navigate(const QString &url)
{
    m_location = url;
    load(addressToUrl(url));
}

void WebBrowser::Navigate2(const QString &url)
{
    Navigate(url);
}

bool WebBrowser::FullScreen() const
{
    return windowState().testFlag(Qt::WindowFullScreen);
}

void WebBrowser::setFullScreen(bool on)
{
    setWindowStateFlag(Qt::WindowFullScreen, on);
}

bool WebBrowser::TheaterMode() const
{
    return windowState().testFlag(Qt::WindowMaximized);
}

void WebBrowser::setTheaterMode(bool on)
{
    setWindowStateFlag(Qt::WindowMaximized, on);
}

void WebBrowser::setWindowStateFlag(Qt::WindowState flag, bool on)
{
    setWindowState(on ? windowState() | flag : windowState() & ~flag);
}

} // namespace platform
